// The installer executable under Wine: it prepares its data folder and log, sends its first
// telemetry, runs its message loop, and when the loop is ended shuts down in order with
// exit code 0.
#include <gtest/gtest.h>

#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "utility/ufile.h"

#include <shlobj.h>

using namespace testing_support;

namespace {

// Found here independently of the installer's own path helpers, so that a wrong helper
// cannot agree with itself.
std::wstring dataDir() {
  wchar_t roaming[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming))) return L"";
  return std::wstring(roaming) + L"\\veldownloader_en\\";
}

bool isFolder(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Ends the installer's message loop the way its own windows do: a quit message to its
// window thread, the process's first thread. Posting fails until that thread has a message
// queue, so it is retried for a while.
bool endMessageLoop(const ChildProcess& child) {
  DWORD started = GetTickCount();
  do {
    if (PostThreadMessageW(child.threadId(), WM_QUIT, 0, 0)) return true;
    Sleep(50);
  } while (GetTickCount() - started < 15000);
  return false;
}

}  // namespace

TEST(InstallerRun, StartsLogsAndExitsWithZeroWhenItsLoopEnds) {
  ASSERT_FALSE(dataDir().empty());
  removeTree(dataDir());
  ASSERT_FALSE(isFolder(dataDir()));
  ChildProcess child;
  ASSERT_TRUE(child.start(binDir() + L"VelPlayerInstaller.exe", L""));
  ASSERT_TRUE(endMessageLoop(child));
  EXPECT_EQ(0, child.waitForExit(20000));

  EXPECT_TRUE(isFolder(dataDir())) << "the installer made its data folder in the roaming application data";
  std::string log = readFile(dataDir() + L"downloader.log");
  ASSERT_FALSE(log.empty());
  std::vector<std::string> lines = splitLines(log);
  ASSERT_GE(lines.size(), 3u);
  // The first line's header is followed by two line breaks, then the start marker.
  EXPECT_NE(std::string::npos, lines[0].find("\twWinMain\t(")) << lines[0];
  EXPECT_EQ(':', lines[0].back());
  EXPECT_EQ("", lines[1]);
  EXPECT_EQ(" start run", lines[2]);
  EXPECT_NE(std::string::npos, log.find("DownloadImpl::entrance")) << log;
}

TEST(InstallerRun, AppendsToAnExistingLog) {
  utility::ufile::makeDir(dataDir());
  ASSERT_TRUE(writeFile(dataDir() + L"downloader.log", "earlier run\r\n"));
  ChildProcess child;
  ASSERT_TRUE(child.start(binDir() + L"VelPlayerInstaller.exe", L""));
  ASSERT_TRUE(endMessageLoop(child));
  EXPECT_EQ(0, child.waitForExit(20000));
  std::string log = readFile(dataDir() + L"downloader.log");
  EXPECT_EQ(0u, log.find("earlier run\r\n"));
  EXPECT_NE(std::string::npos, log.find("\r\n\r\n start run\r\n"));
}

namespace {

// The log lines of the newest run, each without its header.
std::vector<std::string> lastRunMessages() {
  std::vector<std::string> lines = splitLines(readFile(dataDir() + L"downloader.log"));
  size_t start = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == " start run") start = i + 1;
  }
  std::vector<std::string> messages;
  for (size_t i = start; i < lines.size(); ++i) {
    size_t colon = lines[i].find("):");
    messages.push_back(colon == std::string::npos ? lines[i] : lines[i].substr(colon + 2));
  }
  return messages;
}

bool contains(const std::vector<std::string>& messages, const std::string& expected) {
  for (const std::string& m : messages) {
    if (m == expected) return true;
  }
  return false;
}

}  // namespace

TEST(InstallerRun, IdentityComesFromItsOwnFileName) {
  struct Case {
    const wchar_t* name;
    std::vector<std::string> expected;
  } cases[] = {
      {L"VelPlayer9_ens_1203_x",
       {"DownloaderModel exe filename= VelPlayer9_ens_1203_x", "type: VelPlayer9, package:, openID:1203 google id ",
        "model. type: VelPlayer9, language ens package:, openID:1203", "openid is 1203, package is ", "ad id : Downloader"}},
      {L"VELPLAYER64_de_2500_x",
       {"type: VELPLAYER64, package:, openID:2500 google id ", "player is 64", "openid is 2500, package is ",
        "read from reg: path is ", "ad id : VelPlayer Installer_200"}},
      {L"velplayer64_vn_com.example.game_1500_gclid_abc_1",
       {"type: velplayer64, package:com.example.game, openID:1500 google id gclid_abc",
        "model. type: velplayer64, language vn package:com.example.game, openID:1500",
        "openid is 1500, package is com.example.game", "ad id : Downloader"}},
  };
  std::wstring dir = makeTempDir(L"identity");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    std::wstring exe = dir + c.name + L".exe";
    ASSERT_TRUE(CopyFileW((binDir() + L"VelPlayerInstaller.exe").c_str(), exe.c_str(), FALSE));
    ChildProcess child;
    ASSERT_TRUE(child.start(exe, L""));
    ASSERT_TRUE(endMessageLoop(child));
    ASSERT_EQ(0, child.waitForExit(20000));
    std::vector<std::string> messages = lastRunMessages();
    for (const std::string& line : c.expected) EXPECT_TRUE(contains(messages, line)) << line;
    bool pathLine = false;
    for (const std::string& m : messages) pathLine = pathLine || m.find("get install path from MaxFreeSpace: ") == 0;
    EXPECT_TRUE(pathLine);
  }
  removeTree(dir);
}

TEST(InstallerRun, SendsDownloadRunThenASignedBatchWithRunDownloader) {
  ASSERT_TRUE(resetStandin());
  std::wstring dir = makeTempDir(L"telemetry");
  std::wstring exe = dir + L"VelPlayer9_ens_1203_x.exe";
  ASSERT_TRUE(CopyFileW((binDir() + L"VelPlayerInstaller.exe").c_str(), exe.c_str(), FALSE));
  ChildProcess child;
  ASSERT_TRUE(child.start(exe, L""));
  auto analyticsBody = [] {
    for (const RecordedRequest& r : standinRequests()) {
      if (r.path == "/mp/collect") return r.body;
    }
    return std::string();
  };
  ASSERT_TRUE(pumpUntil([&] { return !analyticsBody().empty(); }, 20000));
  EXPECT_NE(std::string::npos, analyticsBody().find("\"name\":\"download_run\",\"params\":{\"event_category\":\"4.22\","
                                                    "\"event_label\":\"1203\"}"))
      << analyticsBody();
  ASSERT_TRUE(endMessageLoop(child));
  ASSERT_EQ(0, child.waitForExit(30000));

  // The reporter's last pass at shutdown, if its period had not come yet.
  std::vector<CollectedBatch> batches = standinCollected();
  ASSERT_FALSE(batches.empty());
  bool found = false;
  for (const CollectedBatch& batch : batches) {
    EXPECT_EQ("accepted", batch.verdict);
    found = found || batch.body.find("\"eventKey\": \"run_downloader\"") != std::string::npos;
  }
  EXPECT_TRUE(found) << batches[0].body;
  EXPECT_NE(std::string::npos, batches[0].body.find("\"openid\": \"1203\""));
  removeTree(dir);
}

TEST(InstallerRun, ExitsInTimeWhileEveryTelemetryPostHangs) {
  // Both telemetry services take the connection and do not answer for a minute: the exit
  // aborts those posts and is not held up by them.
  ASSERT_TRUE(resetStandin());
  int status = 0;
  for (const wchar_t* path : {L"/mp/collect", L"/collection/biz/upload"}) {
    ASSERT_TRUE(standinGet(std::wstring(L"/_control/arm?path=") + path + L"&fault=hold&delay_ms=60000&count=4", &status,
                           nullptr));
    ASSERT_EQ(200, status);
  }
  ChildProcess child;
  ASSERT_TRUE(child.start(binDir() + L"VelPlayerInstaller.exe", L""));
  auto analyticsSeen = [] {
    for (const RecordedRequest& r : standinRequests()) {
      if (r.path == "/mp/collect") return true;
    }
    return false;
  };
  ASSERT_TRUE(pumpUntil(analyticsSeen, 20000));
  ASSERT_TRUE(endMessageLoop(child));
  // The reporter's 8 s, the analytics client's 2 s and the curl clean-up's 1.5 s at most.
  EXPECT_EQ(0, child.waitForExit(20000));
  std::vector<std::string> messages = lastRunMessages();
  EXPECT_FALSE(contains(messages, "curl transfers still running 1, curl not cleaned up"));
}

namespace {

const wchar_t* const kEndpointClass = L"{2266E930-7040-4A6B-B7C8-E44663785cdd}";

// The running installer's endpoint, once it has made it.
HWND waitForEndpoint(DWORD timeoutMilliseconds) {
  HWND window = nullptr;
  pumpUntil([&] { return (window = FindWindowExW(nullptr, nullptr, kEndpointClass, nullptr)) != nullptr; },
            timeoutMilliseconds);
  return window;
}

}  // namespace

TEST(InstallerRun, ASecondStartAsksTheFirstToShowItselfAndEnds) {
  ChildProcess first;
  ASSERT_TRUE(first.start(binDir() + L"VelPlayerInstaller.exe", L""));
  ASSERT_NE(nullptr, waitForEndpoint(20000));

  ChildProcess second;
  ASSERT_TRUE(second.start(binDir() + L"VelPlayerInstaller.exe", L""));
  DWORD started = GetTickCount();
  EXPECT_EQ(0, second.waitForExit(10000));
  EXPECT_LT(GetTickCount() - started, 8000u) << "a second copy ends without starting any work";
  pumpFor(800);  // the first copy handles the request; the log writer passes every 500 ms

  ASSERT_TRUE(endMessageLoop(first));
  EXPECT_EQ(0, first.waitForExit(20000));
  std::string log = readFile(dataDir() + L"downloader.log");
  // Both runs wrote into the one log; the second one's lines end in "It's exist".
  EXPECT_NE(std::string::npos, log.find("):wnd exist\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find("):It's exist\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find("):onHandleWindowIPC, msg = 11123\r\n")) << log;

  // With the first copy gone, the next start runs normally.
  ChildProcess third;
  ASSERT_TRUE(third.start(binDir() + L"VelPlayerInstaller.exe", L""));
  EXPECT_NE(nullptr, waitForEndpoint(20000));
  ASSERT_TRUE(endMessageLoop(third));
  EXPECT_EQ(0, third.waitForExit(20000));
  std::vector<std::string> messages = lastRunMessages();
  EXPECT_TRUE(contains(messages, "wnd not exist"));
  EXPECT_FALSE(contains(messages, "It's exist"));
}

TEST(InstallerRun, TheEndpointHandlesOnlyMessagesAboveWmUserAndReportsTheSetupOutcome) {
  ASSERT_TRUE(resetStandin());
  ChildProcess child;
  ASSERT_TRUE(child.start(binDir() + L"VelPlayerInstaller.exe", L""));
  HWND endpoint = waitForEndpoint(20000);
  ASSERT_NE(nullptr, endpoint);
  ASSERT_TRUE(PostMessageW(endpoint, WM_USER, 0, 0));
  ASSERT_TRUE(PostMessageW(endpoint, WM_USER + 1, 0, 0));
  char bytes[] = "ignored";
  COPYDATASTRUCT data = {1, sizeof(bytes), bytes};
  DWORD_PTR result = 1;
  EXPECT_TRUE(SendMessageTimeoutW(endpoint, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                                  &result));
  EXPECT_EQ(0u, result);
  ASSERT_TRUE(PostMessageW(endpoint, 11124, 5, 0));
  ASSERT_TRUE(PostMessageW(endpoint, 11125, 0, 0));

  // "install_success" wakes the reporter: the batch leaves within seconds, not at its period.
  auto batchWith = [](const std::string& text) {
    for (const CollectedBatch& batch : standinCollected()) {
      if (batch.body.find(text) != std::string::npos) return true;
    }
    return false;
  };
  EXPECT_TRUE(pumpUntil([&] { return batchWith("\"eventKey\": \"downloader_full_duration\""); }, 5000));
  ASSERT_TRUE(endMessageLoop(child));
  EXPECT_EQ(0, child.waitForExit(30000));

  std::vector<std::string> messages = lastRunMessages();
  EXPECT_FALSE(contains(messages, "onHandleWindowIPC, msg = 1024"));
  EXPECT_TRUE(contains(messages, "onHandleWindowIPC, msg = 1025"));
  EXPECT_TRUE(contains(messages, "onHandleWindowIPC, msg = 74"));
  EXPECT_TRUE(contains(messages, "player install error! 5"));
  EXPECT_TRUE(contains(messages, "player install sucess"));
  EXPECT_TRUE(batchWith("\"failure_reason\": \"errorcode_5\""));
  EXPECT_TRUE(batchWith("\"eventKey\": \"install_success\""));
}
