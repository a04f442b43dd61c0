// Faults while the player setup downloads: a full disk, a stalled network the user walks
// away from, and a service that ends its answer early. The installer shows the failure or
// goes on along its chain; it never hangs, crashes or reports a failed download as done.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/e2e_support.h"
#include "tests/support/standin_http.h"
#include "utility/encoding.h"
#include "utility/ufile.h"

using namespace e2e;
using namespace testing_support;

namespace {

const char kAddressDocument[] = "/player_files/en/morvane";
const char kMainSetup[] = "/download/package/VelPlayer9.0.exe";
const char kSpareSetup[] = "/download/spare/VelPlayer9.0.exe";
const wchar_t kCampaignImage[] = L"VelPlayer9_ens_10203_e2e.exe";


size_t countOf(const std::vector<std::string>& items, const std::string& item) {
  return static_cast<size_t>(std::count(items.begin(), items.end(), item));
}

}  // namespace

class FaultsFlow : public InstallerFlow {
 protected:
  // Starts the campaign copy and waits for its window.
  ChildProcess* startAndShow(const std::wstring& exe) {
    ChildProcess* installer = start(exe);
    if (!installer) return nullptr;
    std::string why;
    EXPECT_TRUE(runFlowStep(flowStep("window", nullptr, "window", 60), *installer, setupRecord_, &why)) << why;
    return installer;
  }
  // Waits for the download error: the box offering the browser download (nothing worth
  // resuming) or the retry box. From the first, "No" ends the installer, whose last pass
  // reports the failure. The setup never runs.
  void expectTheDownloadErrorThenQuit(ChildProcess& installer) {
    HWND box = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] {
          box = waitForWindowOfClass(installer.processId(), L"MessageBoxWindow", 0);
          if (!box) box = waitForWindowOfClass(installer.processId(), L"downloadErrorBox", 0);
          return box != nullptr;
        },
        180000))
        << "no download error shown";
    pumpFor(300);
    shoot(box, L"error_box");
    shoot(findMainWindow(installer.processId(), 0), L"main_window");
    EXPECT_TRUE(readFile(setupRecord_).empty()) << "the setup ran";
    wchar_t name[64] = {};
    GetClassNameW(box, name, 64);
    if (lstrcmpW(name, L"MessageBoxWindow") != 0) return;
    const POINT no = boxButton(box, false);
    ASSERT_GE(no.x, 0);
    ASSERT_TRUE(clickAt(box, no));
    EXPECT_EQ(0, installer.waitForExit(20000));
    const std::vector<std::string> events = collectedEventKeys();
    EXPECT_EQ(1u, countOf(events, "download_fail"));
    EXPECT_EQ(0u, countOf(events, "download_success"));
  }

  // Presses Install and waits until the stand-in saw the setup requested.
  void installUntilTheSetupIsRequested(ChildProcess& installer) {
    const POINT install = at::kInstall;
    std::string why;
    EXPECT_TRUE(runFlowStep(flowStep("install", &install, std::string("request:") + kMainSetup, 60), installer,
                            setupRecord_, &why))
        << why;
  }
};

// The install folder on a drive of its own, too small for the setup; the player is already
// there (an update), so the installer's own space check lets the install start.
TEST_F(FaultsFlow, AFullDiskShowsTheDownloadErrorAndNeverRunsTheSetup) {
  const std::wstring drive = environment(L"VEL_E2E_SMALL_DRIVE");
  if (drive.empty()) GTEST_SKIP() << "no small drive: neither a loop device nor a tmpfs could be mounted here";
  const std::wstring install = drive + L"\\VelPlayer9\\";
  ASSERT_TRUE(utility::ufile::makeDir(install));
  ASSERT_TRUE(writeFile(install + L"ovplayer.exe", "MZ"));
  ASSERT_TRUE(useInstallFolder(install));  // instead of the fixture's
  watchFolder(install);

  ChildProcess* installer = startAndShow(campaignCopy());
  ASSERT_NE(nullptr, installer);
  installUntilTheSetupIsRequested(*installer);
  // Every route fails on the full disk; what stayed on it is below what is worth resuming.
  expectTheDownloadErrorThenQuit(*installer);
  // Nothing of the setup was left looking complete.
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (GetFileAttributesExW((install + L"VelPlayer.exe").c_str(), GetFileExInfoStandard, &data)) {
    EXPECT_LT(data.nFileSizeLow + (static_cast<uint64_t>(data.nFileSizeHigh) << 32), 11u * 1024 * 1024);
  }
}

// Twenty runs, each left by the user while the network stalls: half before Install while the
// address document hangs (the exit box, "Yes"), half during the setup download (the slow
// download box, "download_close"). Every run ends with 0 within ten seconds of the answer
// and leaves no process behind.
TEST_F(FaultsFlow, ClosingDuringAStalledNetworkEndsEveryRunPromptly) {
  const std::wstring exe = campaignCopy();
  ASSERT_FALSE(exe.empty());
  const int kRuns = 20;
  for (int run = 0; run < kRuns; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    const bool beforeInstall = run % 2 == 0;
    if (beforeInstall) {
      ASSERT_TRUE(armFault(std::string("path=") + kAddressDocument + "&fault=hold&delay_ms=30000&count=1"));
    } else {
      ASSERT_TRUE(armFault(std::string("path=") + kMainSetup + "&fault=hold&delay_ms=30000&count=1"));
    }
    const size_t setupRequests = requestsTo(kMainSetup).size();
    const size_t addressRequests = requestsTo(kAddressDocument).size();
    ChildProcess* installer = startAndShow(exe);
    ASSERT_NE(nullptr, installer);
    HWND window = findMainWindow(installer->processId(), 0);
    const wchar_t* boxClass = L"box";
    POINT answer = at::kExitYes;
    bool measure = false;
    if (beforeInstall) {
      ASSERT_TRUE(pumpUntil([&] { return requestsTo(kAddressDocument).size() > addressRequests; }, 30000));
    } else {
      // Earlier runs asked for the setup too: this run's request is one more.
      ASSERT_TRUE(clickAt(window, at::kInstall));
      ASSERT_TRUE(pumpUntil([&] { return requestsTo(kMainSetup).size() > setupRequests; }, 30000));
      boxClass = L"MessageBoxWindow";
      measure = true;  // "download_close", the first button
    }
    ASSERT_TRUE(clickAt(window, at::kClose));
    HWND box = waitForWindowOfClass(installer->processId(), boxClass, 10000);
    ASSERT_NE(nullptr, box) << "no question on closing";
    // Measured first: that waits until the box has painted its buttons.
    if (measure) answer = boxButton(box, true);
    if (run < 2) {
      pumpFor(300);
      shoot(box, beforeInstall ? L"exit_box" : L"slow_download_box");
    }
    ASSERT_GE(answer.x, 0);
    ASSERT_TRUE(clickAt(box, answer));
    EXPECT_EQ(0, installer->waitForExit(10000)) << "still running or crashed";
    EXPECT_TRUE(processesNamed(kCampaignImage).empty());
    EXPECT_TRUE(processesToEnd({dir_}).empty());
    if (HasFatalFailure() || HasNonfatalFailure()) break;
  }
  // Each answer was reported: the exit box's pair, the slow-download box's cancel.
  EXPECT_EQ(static_cast<size_t>(kRuns / 2), countOf(analyticsEventNames(), "userCancel"));
  EXPECT_EQ(static_cast<size_t>(kRuns), countOf(collectedEventKeys(), "cancel_download"));
}

// The setup's answer breaks off once on the main address: the chain goes on to the spare
// one and the install finishes.
TEST_F(FaultsFlow, AnAnswerEndingEarlyOnTheMainAddressFallsBackToTheSpare) {
  ASSERT_TRUE(armFault(std::string("path=") + kMainSetup + "&fault=close_after&bytes=5000000&count=1"));
  ChildProcess* installer = startAndShow(campaignCopy());
  ASSERT_NE(nullptr, installer);
  const POINT install = at::kInstall;
  const POINT startPlayer = at::kStart;
  std::string why;
  ASSERT_TRUE(runFlowStep(flowStep("install", &install, "setup", 120), *installer, setupRecord_, &why)) << why;
  ASSERT_TRUE(runFlowStep(flowStep("finish", nullptr, "event:downloader_full_duration", 60), *installer, setupRecord_,
                          &why))
      << why;
  shoot(findMainWindow(installer->processId(), 0), L"finish");
  ASSERT_TRUE(runFlowStep(flowStep("start", &startPlayer, "exit", 30), *installer, setupRecord_, &why)) << why;
  EXPECT_EQ(0, installer->waitForExit(0));
  EXPECT_GE(requestsTo(kSpareSetup).size(), 1u);
  EXPECT_TRUE(inOrder(collectedEventKeys(), normalRunEvents()));
}

// Every route's answer ends short of its announced length (the stand-in cuts each answer,
// also a resumed one, after 3 MB): the chain runs through, then the error shows; nothing
// hangs and the setup does not run.
TEST_F(FaultsFlow, AnswersEndingEarlyOnEveryRouteShowTheDownloadError) {
  ASSERT_TRUE(armFault(std::string("path=") + kMainSetup + "&fault=short_body&bytes=3000000&count=10"));
  ASSERT_TRUE(armFault(std::string("path=") + kSpareSetup + "&fault=short_body&bytes=3000000&count=10"));
  ChildProcess* installer = startAndShow(campaignCopy());
  ASSERT_NE(nullptr, installer);
  installUntilTheSetupIsRequested(*installer);
  expectTheDownloadErrorThenQuit(*installer);
  // Both addresses tried by both transfer stacks.
  EXPECT_GE(requestsTo(kMainSetup).size(), 2u);
  EXPECT_GE(requestsTo(kSpareSetup).size(), 2u);
}
