// Drives the installer through a flow from outside, as scripts/demo --auto does: starts it,
// runs the steps of a table (tests/e2e/flow_steps.tsv: a click at a client point of its
// main window, then a condition to wait for), saves a screenshot after every step, and ends
// with one verdict line from what the stand-ins recorded.
//   vel_e2e_flow_driver.exe INSTALLER STEPS SHOTS_FOLDER SETUP_RECORD
// Exit code 0 when every step held and the verdict is "installed", 1 otherwise.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/support/standin_http.h"
#include "utility/encoding.h"
#include "utility/ufile.h"

using namespace e2e;
using namespace testing_support;

namespace {

struct Step {
  std::string name;
  bool click = false;
  POINT point = {0, 0};
  std::string wait;
  DWORD seconds = 30;
};

std::vector<Step> readSteps(const std::wstring& table) {
  std::vector<Step> steps;
  for (const std::string& raw : splitLines(readFile(table))) {
    std::string line = raw;
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
      fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    if (fields.size() < 4) continue;
    Step step;
    step.name = fields[0];
    size_t comma = fields[1].find(',');
    if (fields[1] != "-" && comma != std::string::npos) {
      step.click = true;
      step.point = {std::atoi(fields[1].c_str()), std::atoi(fields[1].c_str() + comma + 1)};
    }
    step.wait = fields[2];
    step.seconds = static_cast<DWORD>(std::atoi(fields[3].c_str()));
    steps.push_back(step);
  }
  return steps;
}

bool requested(const std::string& path) {
  for (const RecordedRequest& r : standinRequests()) {
    if (r.path == path) return true;
  }
  return false;
}

bool contains(const std::vector<std::string>& items, const std::string& item) {
  for (const std::string& i : items) {
    if (i == item) return true;
  }
  return false;
}

// The folder between -path=" and the next quote of the setup's command line.
std::wstring installFolder(const std::string& commandLine) {
  const std::string marker = "-path=\"";
  size_t start = commandLine.find(marker);
  if (start == std::string::npos) return std::wstring();
  start += marker.size();
  size_t end = commandLine.find('"', start);
  std::wstring folder = utility::fromUtf8(commandLine.substr(start, end == std::string::npos ? std::string::npos : end - start));
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

}  // namespace

int wmain() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args || count < 5) {
    std::fprintf(stderr, "usage: vel_e2e_flow_driver INSTALLER STEPS SHOTS_FOLDER SETUP_RECORD\n");
    return 2;
  }
  const std::wstring installer = args[1], table = args[2], record = args[4];
  std::wstring shots = args[3];
  LocalFree(args);
  if (!shots.empty() && shots.back() != L'\\') shots += L'\\';
  utility::ufile::makeDir(shots);

  std::vector<Step> steps = readSteps(table);
  ChildProcess child;
  if (!child.start(installer, L"")) {
    std::printf("verdict: not started (error %lu)\n", GetLastError());
    return 1;
  }
  bool allHeld = true;
  int number = 0;
  for (const Step& step : steps) {
    ++number;
    HWND window = findMainWindow(child.processId(), step.click ? step.seconds * 1000 : 0);
    if (step.click && (!window || !clickAt(window, step.point))) {
      std::printf("step %s: no main window to click\n", step.name.c_str());
      allHeld = false;
      break;
    }
    std::function<bool()> held;
    const std::string& w = step.wait;
    if (w == "window") {
      held = [&] {
        HWND shown = findMainWindow(child.processId(), 0);
        return shown && IsWindowVisible(shown);
      };
    } else if (w.compare(0, 8, "request:") == 0) {
      held = [&] { return requested(w.substr(8)); };
    } else if (w.compare(0, 6, "event:") == 0) {
      held = [&] { return contains(collectedEventKeys(), w.substr(6)); };
    } else if (w == "setup") {
      held = [&] { return !readFile(record).empty(); };
    } else if (w == "exit") {
      held = [&] { return child.waitForExit(0) != -1; };
    } else if (w.compare(0, 6, "sleep:") == 0) {
      pumpFor(static_cast<DWORD>(std::atoi(w.c_str() + 6)));
      held = [] { return true; };
    } else {
      std::printf("step %s: unknown wait \"%s\"\n", step.name.c_str(), w.c_str());
      allHeld = false;
      break;
    }
    bool ok = pumpUntil(held, step.seconds * 1000);
    window = findMainWindow(child.processId(), 0);
    std::wstring file = (number < 10 ? L"0" : L"") + std::to_wstring(number) + L"_" + utility::fromUtf8(step.name) + L".png";
    bool shot = window && writePng(captureWindow(window), shots + file);
    std::printf("step %s: %s%s\n", step.name.c_str(), ok ? "held" : "did not hold in time",
                shot ? "" : " (no window to capture)");
    if (!ok) {
      allHeld = false;
      break;
    }
  }

  // The verdict, from what the stand-ins recorded.
  std::string commandLine = readFile(record);
  while (!commandLine.empty() && (commandLine.back() == '\n' || commandLine.back() == '\r')) commandLine.pop_back();
  std::wstring folder = installFolder(commandLine);
  int branding = 0;
  for (const wchar_t* name : {L"data\\launch_1920.jpg", L"data\\launch_1080.jpg", L"data\\Vel Campaign.ico"}) {
    branding += !folder.empty() && utility::ufile::exists(folder + name) ? 1 : 0;
  }
  const std::vector<std::string> expected = {"run_downloader",   "start_downloader", "download_success",
                                             "download_duration", "install_success", "downloader_full_duration"};
  std::vector<std::string> events = collectedEventKeys();
  std::string eventText;
  for (const std::string& e : events) eventText += (eventText.empty() ? "" : ",") + e;
  bool installed = allHeld && commandLine.find("-silence -downloader -openid=") != std::string::npos && branding == 3 &&
                   inOrder(events, expected);
  std::printf("verdict: %s | setup: %s | branding files: %d of 3 | events: %s\n",
              installed ? "installed" : "not installed", commandLine.empty() ? "not run" : commandLine.c_str(), branding,
              eventText.empty() ? "none" : eventText.c_str());
  child.kill();
  return installed ? 0 : 1;
}
