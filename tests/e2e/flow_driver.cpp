// Drives the installer through a flow from outside, as scripts/demo --auto does: starts it,
// runs the steps of a table (tests/e2e/flow_steps.tsv: a click at a client point of its
// main window, then a condition to wait for), saves a screenshot after every step, and ends
// with one verdict line from what the stand-ins recorded. A picture that is blank (one colour
// all over: taken before the window painted) or the same as the one before (the page has not
// changed) is not saved, and fails the step: each picture shows the page its step names.
//   vel_e2e_flow_driver.exe INSTALLER STEPS SHOTS_FOLDER SETUP_RECORD
// Exit code 0 when every step held and the verdict is "installed", 1 otherwise. While it
// runs, the throwaway authority of the signed stand-in setups (codesign\authority.der beside
// it) is trusted, so that the installer's check of the downloaded setup can pass.
//   vel_e2e_flow_driver.exe --trust
// only adds that authority to the session's root store and leaves it there (the session's
// prefix is thrown away with the session), for a run of the installer by hand.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "utility/encoding.h"
#include "utility/ufile.h"

using namespace e2e;
using namespace testing_support;

namespace {

bool isBlank(const Screenshot& shot) {
  if (shot.empty()) return true;
  const uint32_t first = shot.rgb(0, 0);
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      if (shot.rgb(x, y) != first) return false;
    }
  }
  return true;
}

bool samePicture(const Screenshot& a, const Screenshot& b) {
  return a.width == b.width && a.height == b.height && a.bgra == b.bgra;
}

}  // namespace

int wmain() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args && count == 2 && std::wstring(args[1]) == L"--trust") {
    LocalFree(args);
    // Never released: the authority stays trusted after this program ends.
    auto* authority = new TrustedCodeSigningAuthority();
    return authority->trusted() ? 0 : 1;
  }
  TrustedCodeSigningAuthority authority;
  if (!args || count < 5) {
    std::fprintf(stderr, "usage: vel_e2e_flow_driver INSTALLER STEPS SHOTS_FOLDER SETUP_RECORD\n");
    return 2;
  }
  const std::wstring installer = args[1], table = args[2], record = args[4];
  std::wstring shots = args[3];
  LocalFree(args);
  if (!shots.empty() && shots.back() != L'\\') shots += L'\\';
  utility::ufile::makeDir(shots);

  std::vector<FlowStep> steps = readFlowSteps(table);
  ChildProcess child;
  if (!child.start(installer, L"")) {
    std::printf("verdict: not started (error %lu)\n", GetLastError());
    return 1;
  }
  bool allHeld = !steps.empty();
  Screenshot previous;
  for (size_t i = 0; i < steps.size() && allHeld; ++i) {
    std::string why;
    allHeld = runFlowStep(steps[i], child, record, &why);
    HWND window = findMainWindow(child.processId(), 0);
    std::wstring file = (i + 1 < 10 ? L"0" : L"") + std::to_wstring(i + 1) + L"_" + utility::fromUtf8(steps[i].name) + L".png";
    std::string picture = " (the installer has no window left to show)";
    if (window && !allHeld) {
      // What the window showed instead, for whoever looks into the failure.
      const std::wstring failed = file.substr(0, file.size() - 4) + L"_failed.png";
      picture = writePng(captureWindow(window), shots + failed) ? " (what it showed: " + utility::toUtf8(failed) + ")" : "";
    } else if (window) {
      Screenshot shot = captureWindow(window);
      if (isBlank(shot)) {
        allHeld = false;
        why = "the window showed nothing but one colour";
        picture = "";
      } else if (samePicture(shot, previous)) {
        allHeld = false;
        why = "the window showed the same picture as the step before";
        picture = "";
      } else {
        picture = writePng(shot, shots + file) ? "" : " (the picture could not be saved)";
        previous = std::move(shot);
      }
    }
    std::printf("step %s: %s%s\n", steps[i].name.c_str(), allHeld ? "held" : why.c_str(), picture.c_str());
    std::fflush(stdout);
  }
  InstallVerdict verdict = judgeInstall(record);
  std::printf("%s\n", verdict.line().c_str());
  child.kill();
  return allHeld && verdict.installed() ? 0 : 1;
}
