// Closing the real installer's window at each stage: before Install the exit confirmation,
// during the download the slow-download box, while the setup runs only a notice, on the
// finish page no question at all; and what each way out reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "tests/e2e/e2e_support.h"

using namespace e2e;
using namespace testing_support;

namespace {

size_t count(const std::vector<std::string>& keys, const std::string& key) {
  return static_cast<size_t>(std::count(keys.begin(), keys.end(), key));
}

// Every visible box of the installer, whatever its kind.
size_t boxesShown(DWORD processId) {
  size_t n = 0;
  for (const wchar_t* kind : {L"box", L"MessageBoxWindow", L"downloadErrorBox", L"VelInstallErrorBox"}) {
    n += windowsOfClass(processId, kind).size();
  }
  return n;
}

}  // namespace

class CloseFlow : public InstallerFlow {};

TEST_F(CloseFlow, BeforeInstallTheExitBoxAsksAndYesLeavesWithItsEvents) {
  HWND window = nullptr;
  ChildProcess* installer = launch(&window);
  ASSERT_NE(nullptr, installer);
  const DWORD id = installer->processId();

  // "No" keeps the installer as it was.
  ASSERT_TRUE(clickAt(window, at::kClose));
  HWND box = waitForWindowOfClass(id, L"box", 20000);
  ASSERT_NE(nullptr, box) << "no exit confirmation";
  EXPECT_EQ(1u, boxesShown(id));
  pumpFor(500);
  shoot(box, L"exit_box");
  // A screen reader reads a title, the question and both answers, "No" focused.
  utility::ComApartment apartment;
  const AccessibleTree question = readAccessibleTree(box);
  ASSERT_TRUE(question.reached) << "the box answers no accessibility object";
  SCOPED_TRACE(question.describe());
  EXPECT_FALSE(question.name.empty()) << "the box has no title";
  EXPECT_NE(nullptr, question.find(ROLE_SYSTEM_STATICTEXT));
  const AccessibleChild* no = question.find(ROLE_SYSTEM_PUSHBUTTON, L"No");
  ASSERT_NE(nullptr, no);
  EXPECT_TRUE(no->state & STATE_SYSTEM_FOCUSED);
  EXPECT_NE(nullptr, question.find(ROLE_SYSTEM_PUSHBUTTON, L"Yes"));
  ASSERT_TRUE(clickAt(box, at::kExitNo));
  ASSERT_TRUE(pumpUntil([&] { return windowsOfClass(id, L"box").empty(); }, 10000)) << "No did not close the box";
  EXPECT_EQ(-1, installer->waitForExit(1000)) << "No ended the installer";
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(pumpUntil([&] { return IsWindowEnabled(window) != FALSE; }, 5000)) << "the owner stayed disabled";

  // "Yes" leaves.
  ASSERT_TRUE(clickAt(window, at::kClose));
  box = waitForWindowOfClass(id, L"box", 20000);
  ASSERT_NE(nullptr, box) << "no exit confirmation the second time";
  pumpFor(300);
  // This time the screen reader's default action on "Yes" answers.
  const AccessibleTree again = readAccessibleTree(box);
  long yes = 0;
  for (size_t i = 0; i < again.children.size(); ++i) {
    if (again.children[i].role == ROLE_SYSTEM_PUSHBUTTON && again.children[i].name == L"Yes") yes = static_cast<long>(i) + 1;
  }
  ASSERT_NE(0, yes) << "no Yes the second time";
  // A slow analytics host: the window still goes at once, telemetry follows out of sight.
  ASSERT_TRUE(armFault("/mp/collect", "fault=hold&delay_ms=6000"));
  ASSERT_TRUE(doAccessibleDefaultAction(box, yes));
  EXPECT_TRUE(pumpUntil([&] { return !IsWindowVisible(window); }, 2000)) << "the window waited for the analytics host";
  ASSERT_NE(-1, installer->waitForExit(20000)) << "Yes did not end the installer";

  std::vector<AnalyticsEvent> sent = analyticsEvents();
  auto cancel = std::find_if(sent.begin(), sent.end(), [](const AnalyticsEvent& e) { return e.name == "userCancel"; });
  ASSERT_NE(sent.end(), cancel) << "no \"userCancel\"";
  EXPECT_EQ(kOpenId, cancel->label);
  std::vector<std::string> keys = collectedEventKeys();
  EXPECT_TRUE(inOrder(keys, {"run_downloader", "cancel_download"}));
  EXPECT_EQ(1u, count(keys, "cancel_download"));
  EXPECT_EQ(0u, count(keys, "start_downloader"));
  EXPECT_EQ("notDownload", collectedProperty("cancel_download", "ext_field"));
  // Nothing was downloaded.
  EXPECT_TRUE(requestsTo(kMainPackage).empty());
}

TEST_F(CloseFlow, DuringTheDownloadTheSlowDownloadBoxReportsPercentAndSeconds) {
  // 64 KiB each 200 ms: the 11 MiB setup would take over half a minute.
  ASSERT_TRUE(armFault(kMainPackage, "fault=trickle&bytes=65536&delay_ms=200"));
  HWND window = nullptr;
  ChildProcess* installer = launch(&window);
  ASSERT_NE(nullptr, installer);
  const DWORD id = installer->processId();
  const DWORD beforeInstall = GetTickCount();
  std::string why;
  ASSERT_TRUE(pressInstall(*installer, &why)) << why;
  const DWORD installSeen = GetTickCount();
  // A few progress reports (at most one a second) reach the window.
  pumpFor(4000);
  shoot(window, L"downloading");

  ASSERT_TRUE(clickAt(window, at::kClose));
  HWND box = waitForWindowOfClass(id, L"MessageBoxWindow", 20000);
  ASSERT_NE(nullptr, box) << "no slow-download box";
  EXPECT_TRUE(windowsOfClass(id, L"box").empty()) << "the exit confirmation came instead";
  pumpFor(500);
  shoot(box, L"slow_download_box");
  std::vector<POINT> buttons = messageBoxButtons(box);
  ASSERT_EQ(2u, buttons.size()) << "\"Close\" and \"Download by browser\"";
  // The download runs on while the box is open; the report is of the moment of the answer.
  pumpFor(2500);
  const DWORD beforeAnswer = GetTickCount();
  // "Close": the left one, no browser.
  ASSERT_TRUE(clickAt(box, buttons[0]));
  ASSERT_NE(-1, installer->waitForExit(20000)) << "Close did not end the installer";
  const DWORD ended = GetTickCount();

  std::vector<std::string> keys = collectedEventKeys();
  EXPECT_TRUE(inOrder(keys, {"run_downloader", "start_downloader", "cancel_download"}));
  EXPECT_EQ(0u, count(keys, "download_success"));
  const std::string text = collectedProperty("cancel_download", "ext_field");
  // "<percent>_<seconds>_aws_IE": the main address, the WinInet tag.
  const size_t first = text.find('_');
  const size_t second = first == std::string::npos ? std::string::npos : text.find('_', first + 1);
  ASSERT_NE(std::string::npos, second) << text;
  EXPECT_EQ("_aws_IE", text.substr(second)) << text;
  const int percent = std::atoi(text.substr(0, first).c_str());
  const int seconds = std::atoi(text.substr(first + 1, second - first - 1).c_str());
  EXPECT_EQ(text.substr(0, first), std::to_string(percent)) << text;
  EXPECT_GE(percent, 1) << "progress had arrived: " << text;
  EXPECT_LT(percent, 100) << text;
  EXPECT_GE(seconds, static_cast<int>((beforeAnswer - installSeen) / 1000)) << text;
  EXPECT_LE(seconds, static_cast<int>((ended - beforeInstall) / 1000 + 1)) << text;
  for (const AnalyticsEvent& e : analyticsEvents()) {
    EXPECT_NE("userCancel", e.name);
    EXPECT_NE("DownloadByBrowser3_0", e.name);
  }
}

TEST_F(CloseFlow, WhileTheSetupRunsOnlyANoticeAndTheFinishPageQuitsAtOnce) {
  // The setup takes its time before it reports success.
  ASSERT_TRUE(configureStandinSetup(dir_ + L"standin_setup.ini", setupRecord_, L"success", {L"delay_ms=6000"}));
  HWND window = nullptr;
  ChildProcess* installer = launch(&window);
  ASSERT_NE(nullptr, installer);
  const DWORD id = installer->processId();
  std::string why;
  ASSERT_TRUE(pressInstall(*installer, &why)) << why;
  ASSERT_TRUE(waitForSetup(120000)) << "the setup did not run";

  ASSERT_TRUE(clickAt(window, at::kClose));
  HWND notice = waitForWindowOfClass(id, L"MessageBoxWindow", 10000);
  ASSERT_NE(nullptr, notice) << "no notice while the setup runs";
  pumpFor(300);
  shoot(notice, L"setup_notice");
  EXPECT_TRUE(windowsOfClass(id, L"box").empty());
  std::vector<POINT> buttons = messageBoxButtons(notice);
  ASSERT_EQ(1u, buttons.size()) << "the notice has its one \"Sure\" button only";
  ASSERT_TRUE(clickAt(notice, buttons[0]));
  ASSERT_TRUE(pumpUntil([&] { return boxesShown(id) == 0; }, 10000)) << "the notice stayed";
  EXPECT_EQ(-1, installer->waitForExit(0)) << "the notice ended the installer";
  EXPECT_TRUE(IsWindowVisible(window));

  // The setup reports; the finish page comes, and closing it asks nothing.
  ASSERT_TRUE(pumpUntil(
      [] {
        std::vector<std::string> keys = collectedEventKeys();
        return std::find(keys.begin(), keys.end(), "downloader_full_duration") != keys.end();
      },
      60000));
  pumpFor(500);
  shoot(window, L"finish");
  ASSERT_TRUE(clickAt(window, at::kClose));
  size_t boxes = 0;
  long exitCode = -1;
  pumpUntil(
      [&] {
        boxes = std::max(boxes, boxesShown(id));
        exitCode = installer->waitForExit(0);
        return exitCode != -1;
      },
      10000);
  EXPECT_NE(-1, exitCode) << "closing the finish page did not quit";
  EXPECT_EQ(0u, boxes) << "closing the finish page asked a question";

  std::vector<std::string> keys = collectedEventKeys();
  EXPECT_TRUE(inOrder(keys, {"run_downloader", "start_downloader", "download_success", "download_duration",
                             "install_success", "downloader_full_duration"}));
  EXPECT_EQ(0u, count(keys, "cancel_download"));
}
