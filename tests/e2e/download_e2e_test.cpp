// The setup download's fallbacks and its resume, through the real installer against the
// stand-in: which routes were asked for (WinInet sends its fixed user agent, curl none), what
// the user is offered when routes fail, and the events that report it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "tests/e2e/e2e_support.h"
#include "utility/ufile.h"

using namespace e2e;
using namespace testing_support;

namespace {

std::string describe(const std::vector<RecordedRequest>& requests) {
  std::string text;
  for (const RecordedRequest& r : requests) {
    const std::string* range = r.header("Range");
    text += (text.empty() ? "" : ", ") + r.path + (fromWinInet(r) ? " (WinInet" : " (curl") +
            (range ? ", " + *range : std::string()) + ")";
  }
  return text.empty() ? "none" : text;
}

// The requests for either package address, in order.
std::vector<RecordedRequest> packageRequests() {
  std::vector<RecordedRequest> out;
  for (const RecordedRequest& r : standinRequests()) {
    if (r.path.compare(0, 10, "/download/") == 0) out.push_back(r);
  }
  return out;
}

}  // namespace

class DownloadFlow : public InstallerFlow {
 protected:
  // Install pressed, the setup run and reported success, the finish page closed.
  void installThroughTo(ChildProcess& installer, HWND window) {
    std::string why;
    ASSERT_TRUE(pressInstall(installer, &why)) << why;
    ASSERT_TRUE(waitForSetup(120000)) << "the setup did not run; requests: " << describe(packageRequests());
    ASSERT_TRUE(pumpUntil(
        [] {
          std::vector<std::string> keys = collectedEventKeys();
          return std::find(keys.begin(), keys.end(), "downloader_full_duration") != keys.end();
        },
        60000));
    shoot(window, L"finish");
    // The finish page quits at once on the close button.
    ASSERT_TRUE(pumpUntil(
        [&] {
          clickAt(window, at::kClose);
          return installer.waitForExit(1000) != -1;
        },
        20000));
  }
};

// The main address refusing WinInet: an error status, or the connection closed without an
// answer.
class MainRefused : public DownloadFlow, public ::testing::WithParamInterface<const char*> {};

TEST_P(MainRefused, TheWinInetSpareServes) {
  // WinInet sends a request again by itself when a connection it had kept open closes
  // without an answer, once or (seen under load) twice: the resends are refused too.
  ASSERT_TRUE(armFault(kMainPackage, GetParam(), 3));
  HWND window = nullptr;
  ChildProcess* installer = launch(&window);
  ASSERT_NE(nullptr, installer);
  installThroughTo(*installer, window);
  if (HasFatalFailure()) return;

  // The main address (once, or up to three times with WinInet's own resends), then the
  // spare, all WinInet.
  std::vector<RecordedRequest> requests = packageRequests();
  ASSERT_GE(requests.size(), 2u) << describe(requests);
  ASSERT_LE(requests.size(), std::string(GetParam()) == "fault=drop" ? 4u : 2u) << describe(requests);
  for (size_t i = 0; i + 1 < requests.size(); ++i) EXPECT_EQ(kMainPackage, requests[i].path) << describe(requests);
  EXPECT_EQ(kSparePackage, requests.back().path) << describe(requests);
  for (const RecordedRequest& r : requests) EXPECT_TRUE(fromWinInet(r)) << describe(requests);
  // The spare address is the resource source of the events.
  EXPECT_EQ("res", collectedProperty("download_success", "ext_field"));
  EXPECT_EQ("res_ie", collectedProperty("download_duration", "ext_field"));
  EXPECT_TRUE(inOrder(collectedEventKeys(), {"run_downloader", "start_downloader", "download_success",
                                             "download_duration", "install_success", "downloader_full_duration"}));
  std::vector<std::string> keys = collectedEventKeys();
  EXPECT_EQ(keys.end(), std::find(keys.begin(), keys.end(), "download_fail"));
}

INSTANTIATE_TEST_SUITE_P(Faults, MainRefused, ::testing::Values("fault=status&code=503", "fault=drop"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.index == 0 ? "ErrorStatus" : "Dropped");
                         });

TEST_F(DownloadFlow, BothWinInetRoutesFailCurlServesTheMainAddress) {
  ASSERT_TRUE(armFault(kMainPackage, "fault=status&code=503"));
  ASSERT_TRUE(armFault(kSparePackage, "fault=status&code=502"));
  HWND window = nullptr;
  ChildProcess* installer = launch(&window);
  ASSERT_NE(nullptr, installer);
  installThroughTo(*installer, window);
  if (HasFatalFailure()) return;

  std::vector<RecordedRequest> requests = packageRequests();
  ASSERT_EQ(3u, requests.size()) << describe(requests);
  EXPECT_EQ(kMainPackage, requests[0].path);
  EXPECT_EQ(kSparePackage, requests[1].path);
  EXPECT_EQ(kMainPackage, requests[2].path);
  EXPECT_TRUE(fromWinInet(requests[0]) && fromWinInet(requests[1])) << describe(requests);
  EXPECT_FALSE(fromWinInet(requests[2])) << describe(requests);
  // curl on the main address: the "aws" source, and the tag of the stack that did the work.
  EXPECT_EQ("aws", collectedProperty("download_success", "ext_field"));
  EXPECT_EQ("aws_curl", collectedProperty("download_duration", "ext_field"));
  // The whole setup arrived: the file the setup ran from is the one served.
  const std::string served = paddedSetupBytes();
  const std::string setup = readFile(installFolder_ + L"VelPlayer.exe");
  EXPECT_EQ(served.size(), setup.size());
  EXPECT_TRUE(setup == served);
}

class EveryRouteFails : public DownloadFlow {
 protected:
  // Every route answered 503: the "download_error_tip2" box, a generic box with two buttons.
  HWND failAll(ChildProcess** started, std::vector<POINT>* buttons) {
    EXPECT_TRUE(armFault(kMainPackage, "fault=status&code=503", 2));
    EXPECT_TRUE(armFault(kSparePackage, "fault=status&code=503", 2));
    HWND window = nullptr;
    ChildProcess* installer = launch(&window);
    *started = installer;
    if (!installer) return nullptr;
    std::string why;
    EXPECT_TRUE(pressInstall(*installer, &why)) << why;
    HWND box = waitForWindowOfClass(installer->processId(), L"MessageBoxWindow", 60000);
    EXPECT_NE(nullptr, box) << "no box; requests: " << describe(packageRequests());
    if (!box) return nullptr;
    pumpFor(500);  // drawn
    shoot(box, L"box");
    *buttons = messageBoxButtons(box);
    EXPECT_EQ(2u, buttons->size()) << "the box's buttons, left to right: Yes, No";
    // Four routes, each asked once: WinInet main and spare, then curl main and spare.
    std::vector<RecordedRequest> requests = packageRequests();
    EXPECT_EQ(4u, requests.size()) << describe(requests);
    if (requests.size() == 4) {
      EXPECT_TRUE(fromWinInet(requests[0]) && fromWinInet(requests[1]));
      EXPECT_FALSE(fromWinInet(requests[2]) || fromWinInet(requests[3]));
      EXPECT_EQ(kMainPackage, requests[2].path);
      EXPECT_EQ(kSparePackage, requests[3].path);
    }
    // The page stays: no error box of the partial download, no setup.
    EXPECT_TRUE(windowsOfClass(installer->processId(), L"downloadErrorBox").empty());
    EXPECT_TRUE(readFile(setupRecord_).empty());
    return box;
  }

  void expectFailureReported() {
    std::vector<std::string> keys = collectedEventKeys();
    EXPECT_TRUE(inOrder(keys, {"run_downloader", "start_downloader", "download_fail"}));
    EXPECT_EQ(keys.end(), std::find(keys.begin(), keys.end(), "download_success"));
    // The WinInet spare attempt's codes: no transport error, status 503.
    EXPECT_EQ("-1_503", collectedProperty("download_fail", "failure_reason"));
  }
};

TEST_F(EveryRouteFails, TheBrowserOfferedYesOpensItAndEnds) {
  ChildProcess* installer = nullptr;
  std::vector<POINT> buttons;
  HWND box = failAll(&installer, &buttons);
  ASSERT_TRUE(box && buttons.size() == 2);
  ASSERT_TRUE(clickAt(box, buttons[0]));
  ASSERT_NE(-1, installer->waitForExit(20000)) << "the installer did not end after Yes";
  std::vector<AnalyticsEvent> sent = analyticsEvents();
  auto browser = std::find_if(sent.begin(), sent.end(), [](const AnalyticsEvent& e) { return e.name == "DownloadByBrowser3_0"; });
  ASSERT_NE(sent.end(), browser);
  EXPECT_EQ("error", browser->label);
  expectFailureReported();
}

TEST_F(EveryRouteFails, NoEndsWithoutTheBrowser) {
  ChildProcess* installer = nullptr;
  std::vector<POINT> buttons;
  HWND box = failAll(&installer, &buttons);
  ASSERT_TRUE(box && buttons.size() == 2);
  ASSERT_TRUE(clickAt(box, buttons[1]));
  ASSERT_NE(-1, installer->waitForExit(20000)) << "the installer did not end after No";
  for (const AnalyticsEvent& e : analyticsEvents()) EXPECT_NE("DownloadByBrowser3_0", e.name);
  expectFailureReported();
}

// 20 MiB, cut after 12 MiB (60 %) on every route: what is left is more than the 10 MiB worth
// resuming, so the download error box comes, and its retry continues from where it stopped
// (WinInet's part file; curl's routes write into the setup file itself).
TEST_F(DownloadFlow, CutAtSixtyPercentRetryResumesToTheSameBytes) {
  constexpr int64_t kSize = 20 * 1024 * 1024;
  constexpr int64_t kCut = kSize * 60 / 100;
  ASSERT_TRUE(servePaddedSetup("VelPlayer9.0.exe", kSize));
  const std::string cut = "fault=close_after&bytes=" + std::to_string(kCut);
  ASSERT_TRUE(armFault(kMainPackage, cut, 2));
  ASSERT_TRUE(armFault(kSparePackage, cut));
  // curl's spare route continues the file curl's main route left, from the 60 % mark: cut
  // there too, before its first byte.
  ASSERT_TRUE(armFault(kSparePackage, "fault=close_after&bytes=0"));
  HWND window = nullptr;
  ChildProcess* installer = launch(&window);
  ASSERT_NE(nullptr, installer);
  std::string why;
  ASSERT_TRUE(pressInstall(*installer, &why)) << why;

  HWND box = waitForWindowOfClass(installer->processId(), L"downloadErrorBox", 120000);
  ASSERT_NE(nullptr, box) << "no download error box; requests: " << describe(packageRequests());
  pumpFor(500);
  shoot(box, L"error_box");
  const size_t before = packageRequests().size();
  ASSERT_EQ(4u, before) << describe(packageRequests());
  EXPECT_TRUE(readFile(setupRecord_).empty());

  ASSERT_TRUE(clickAt(box, at::kErrorBoxLeft));
  ASSERT_TRUE(waitForSetup(120000)) << "no setup after Retry; requests: " << describe(packageRequests());
  EXPECT_TRUE(pumpUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000)) << "the box stayed";

  // After Retry: one WinInet request for the rest, from the partial size.
  std::vector<RecordedRequest> requests = packageRequests();
  std::vector<RecordedRequest> retried(requests.begin() + static_cast<std::ptrdiff_t>(before), requests.end());
  ASSERT_EQ(1u, retried.size()) << describe(requests);
  EXPECT_EQ(kMainPackage, retried[0].path);
  EXPECT_TRUE(fromWinInet(retried[0]));
  const std::string* range = retried[0].header("Range");
  ASSERT_NE(nullptr, range) << "the retry fetched the whole file again";
  EXPECT_EQ("bytes=" + std::to_string(kCut) + "-", *range);

  // The setup that ran is byte for byte the one served.
  const std::string served = paddedSetupBytes(kSize);
  const std::string setup = readFile(installFolder_ + L"VelPlayer.exe");
  EXPECT_EQ(served.size(), setup.size());
  EXPECT_TRUE(setup == served) << "the resumed setup differs from the one served";

  ASSERT_TRUE(pumpUntil(
      [] {
        std::vector<std::string> keys = collectedEventKeys();
        return std::find(keys.begin(), keys.end(), "downloader_full_duration") != keys.end();
      },
      60000));
  shoot(window, L"finish");
  EXPECT_TRUE(inOrder(collectedEventKeys(), {"run_downloader", "start_downloader", "download_fail", "download_success",
                                             "download_duration", "install_success", "downloader_full_duration"}));
  // The two WinInet codes of the spare attempt, "<first>_<second>".
  const std::string reason = collectedProperty("download_fail", "failure_reason");
  EXPECT_NE(std::string::npos, reason.find('_')) << reason;
  EXPECT_EQ(std::string::npos, reason.find_first_not_of("-0123456789_")) << reason;
  ASSERT_TRUE(pumpUntil(
      [&] {
        clickAt(window, at::kClose);
        return installer->waitForExit(1000) != -1;
      },
      20000));
}

// Setups the installer must not run: each route's file fails its check, is deleted, and the
// next route is tried; after the four routes the download failure box shows and the setup
// has not run.
struct RejectedSetup {
  const char* name;
  const wchar_t* served;  // a file of bin/codesign
  const char* md5;        // the address document's
};

void PrintTo(const RejectedSetup& row, std::ostream* out) { *out << row.name; }

class SetupRejected : public DownloadFlow, public ::testing::WithParamInterface<RejectedSetup> {};

TEST_P(SetupRejected, NoRouteRunsItAndTheFailureBoxShows) {
  const RejectedSetup& row = GetParam();
  const std::string bytes = readFile(codesignFile(row.served));
  ASSERT_FALSE(bytes.empty());
  ASSERT_TRUE(standinServe(kMainPackage, bytes) && standinServe(kSparePackage, bytes));
  ASSERT_TRUE(serveDocument("/player_files/en/morvane",
                            std::string("{\"mnq9\":{\"ver\":\"9.1.2\",\"url\":\"URL") + kMainPackage +
                                "\",\"url_spare\":\"URL" + kSparePackage + "\",\"md5\":\"" + row.md5 + "\"}}"));
  HWND window = nullptr;
  ChildProcess* installer = launch(&window);
  ASSERT_NE(nullptr, installer);
  std::string why;
  ASSERT_TRUE(pressInstall(*installer, &why)) << why;
  HWND box = waitForWindowOfClass(installer->processId(), L"MessageBoxWindow", 90000);
  ASSERT_NE(nullptr, box) << "no failure box; requests: " << describe(packageRequests());
  shoot(box, L"box");
  EXPECT_EQ(4u, packageRequests().size()) << describe(packageRequests());
  EXPECT_TRUE(readFile(setupRecord_).empty()) << "the setup ran";
  EXPECT_FALSE(utility::ufile::exists(installFolder_ + L"VelPlayer.exe")) << "the rejected file was left";
  std::vector<std::string> keys = collectedEventKeys();
  EXPECT_EQ(keys.end(), std::find(keys.begin(), keys.end(), "download_success"));
}

INSTANTIATE_TEST_SUITE_P(
    Checks, SetupRejected,
    ::testing::Values(RejectedSetup{"WrongDigest", L"setup_signed.exe", "ffffffffffffffffffffffffffffffff"},
                      RejectedSetup{"Unsigned", L"setup_unsigned.exe", ""},
                      RejectedSetup{"OtherPublisher", L"setup_other_publisher.exe", ""},
                      RejectedSetup{"NotForCodeSigning", L"setup_no_code_signing.exe", ""},
                      RejectedSetup{"UntrustedRoot", L"setup_untrusted_root.exe", ""}),
    [](const ::testing::TestParamInfo<RejectedSetup>& info) { return std::string(info.param.name); });

// An unprivileged process replacing the setup file as soon as it appears (every millisecond)
// never gets its program run: the checked file is held until the setup has started, and a
// file swapped in before the check fails it.
TEST_F(DownloadFlow, ASetupSwappedAfterTheMoveNeverRuns) {
  const std::wstring target = installFolder_ + L"VelPlayer.exe";
  const std::wstring impostor = dir_ + L"impostor.exe";
  ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), impostor.c_str(), FALSE));
  // The impostor records into "<its path>.calls" when that file exists.
  ASSERT_TRUE(CreateDirectoryW(installFolder_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(writeFile(target + L".calls", ""));
  std::atomic<bool> stop{false};
  std::atomic<int> swaps{0};
  std::thread swapper([&] {
    const std::wstring staged = dir_ + L"staged.exe";
    while (!stop.load()) {
      if (utility::ufile::exists(target) && CopyFileW(impostor.c_str(), staged.c_str(), FALSE) &&
          MoveFileExW(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        swaps.fetch_add(1);
      }
      Sleep(1);
    }
  });
  HWND window = nullptr;
  ChildProcess* installer = launch(&window);
  std::string why;
  bool pressed = installer && pressInstall(*installer, &why);
  // Either the genuine setup runs (held from its check to its start) or every route's file
  // was swapped before its check and the failure box shows.
  bool ended = pressed && pumpUntil(
                              [&] {
                                return !readFile(setupRecord_).empty() ||
                                       !windowsOfClass(installer->processId(), L"MessageBoxWindow").empty();
                              },
                              120000);
  stop.store(true);
  swapper.join();
  ASSERT_TRUE(pressed) << why;
  EXPECT_TRUE(ended) << "neither the setup nor the failure box; requests: " << describe(packageRequests());
  pumpFor(2000);
  EXPECT_EQ("", readFile(target + L".calls")) << "the swapped-in program ran (" << swaps.load() << " swaps)";
}

// Ending a running player program before the setup starts the system's taskkill by its full
// path: one planted beside the installer never runs.
TEST_F(DownloadFlow, ATaskkillPlantedBesideTheInstallerNeverRuns) {
  const std::wstring planted = dir_ + L"taskkill.exe";
  ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), planted.c_str(), FALSE));
  ASSERT_TRUE(writeFile(planted + L".calls", ""));
  const std::wstring program = dir_ + L"bugreport.exe";
  ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), program.c_str(), FALSE));
  ASSERT_NE(nullptr, start(program, L"--sleep-ms 120000"));
  HWND window = nullptr;
  ChildProcess* installer = launch(&window);
  ASSERT_NE(nullptr, installer);
  installThroughTo(*installer, window);
  if (HasFatalFailure()) return;
  EXPECT_EQ("", readFile(planted + L".calls")) << "the planted taskkill ran";
}
