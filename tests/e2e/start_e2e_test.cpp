// The installer's start as a campaign copy, seen from outside: the documents it fetches and
// the events it sends, and one running copy however many are started.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/e2e_support.h"
#include "tests/support/standin_http.h"

using namespace e2e;
using namespace testing_support;

namespace {

const wchar_t kCampaign[] = L"VelPlayer9_ens_10203_e2e";
const wchar_t kCampaignImage[] = L"VelPlayer9_ens_10203_e2e.exe";

// The installer's hidden window endpoint, a top-level window of its process, tells that it
// is up and holds the single-instance claim.
bool hasEndpoint(DWORD processId) {
  for (HWND window : topLevelWindows(processId)) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (lstrcmpW(name, L"{2266E930-7040-4A6B-B7C8-E44663785cdd}") == 0) return true;
  }
  return false;
}

// Ends a running installer as closing its window does: a quit message to its window
// thread, the process's first thread (retried until that thread has a queue).
bool endInstaller(const ChildProcess& installer) {
  return pumpUntil([&] { return PostThreadMessageW(installer.threadId(), WM_QUIT, 0, 0) != FALSE; }, 15000);
}

size_t countOf(const std::vector<std::string>& items, const std::string& item) {
  return static_cast<size_t>(std::count(items.begin(), items.end(), item));
}

std::vector<std::string> requestedPaths() {
  std::vector<std::string> paths;
  for (const RecordedRequest& r : standinRequests()) paths.push_back(r.path);
  return paths;
}

}  // namespace

class StartFlow : public InstallerFlow {};

// A system DLL planted beside the installer (as in a Downloads folder) is never loaded, even
// with Wine told to prefer a native copy of it; one process per DLL, each run until it has
// fetched its documents (the network and painting DLLs are in use by then).
TEST_F(StartFlow, NoDllPlantedBesideTheInstallerIsLoaded) {
  for (const wchar_t* dll : {L"bcrypt", L"crypt32", L"iphlpapi", L"msimg32", L"secur32", L"usp10", L"wininet", L"wintrust"}) {
    SCOPED_TRACE(narrow(dll));
    const std::wstring folder = dir_ + L"planted_" + dll + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    watchFolder(folder);
    const std::wstring planted = folder + dll + L".dll";
    ASSERT_TRUE(CopyFileW((binDir() + L"planted\\" + dll + L"\\" + dll + L".dll").c_str(), planted.c_str(), FALSE));
    std::wstring exe = copyAsCampaign(folder, kCampaign);
    ASSERT_FALSE(exe.empty());
    ASSERT_TRUE(SetEnvironmentVariableW(L"WINEDLLOVERRIDES", (std::wstring(dll) + L"=n,b").c_str()));
    ChildProcess* installer = start(exe);
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", nullptr);
    ASSERT_NE(nullptr, installer);
    EXPECT_TRUE(pumpUntil([&] { return findMainWindow(installer->processId(), 0) != nullptr; }, 30000));
    pumpFor(3000);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((planted + L".loaded").c_str())) << "the planted DLL ran";
    installer->kill();
  }
}

TEST_F(StartFlow, ACampaignCopyFetchesItsDocumentsAndReportsItsRun) {
  std::wstring exe = campaignCopy(kCampaign);
  ASSERT_FALSE(exe.empty());
  ChildProcess* installer = start(exe);
  ASSERT_NE(nullptr, installer);
  const std::vector<std::string> documents = {"/player_files/en/morvane", "/player_files/openidconfig/10203.data",
                                              "/check/machine/channel", "/player_files/en/morvaneex"};
  EXPECT_TRUE(pumpUntil([&] { return inOrder(requestedPaths(), documents); }, 30000));
  EXPECT_TRUE(pumpUntil([&] { return countOf(analyticsEventNames(), "download_run") == 1; }, 20000));
  ASSERT_TRUE(endInstaller(*installer));
  EXPECT_EQ(0, installer->waitForExit(30000));
  // The reporter's last pass at the exit sends what was queued.
  EXPECT_EQ(1u, countOf(collectedEventKeys(), "run_downloader"));
  for (const std::string& path : documents) EXPECT_EQ(1u, countOf(requestedPaths(), path)) << path;
}

TEST_F(StartFlow, ASecondStartBringsTheFirstToTheFrontAndEndsWithZero) {
  std::wstring exe = campaignCopy(kCampaign);
  ChildProcess* first = start(exe);
  ASSERT_NE(nullptr, first);
  ASSERT_TRUE(pumpUntil([&] { return hasEndpoint(first->processId()); }, 30000));
  HWND window = findMainWindow(first->processId(), 10000);
  ASSERT_NE(nullptr, window);
  // The user put the first copy's window away before starting the campaign copy again.
  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(pumpUntil([&] { return IsIconic(window) != FALSE; }, 5000));
  ChildProcess* second = start(exe);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(0, second->waitForExit(5000)) << "the second copy did not end within 5 s";
  EXPECT_TRUE(pumpUntil([&] { return !IsIconic(window) && IsWindowVisible(window); }, 5000))
      << "the first copy's window stayed minimised";
  EXPECT_TRUE(pumpUntil([&] { return GetForegroundWindow() == window; }, 5000)) << "not in front";
  EXPECT_EQ(1u, processesNamed(kCampaignImage).size());
  ASSERT_TRUE(endInstaller(*first));
  EXPECT_EQ(0, first->waitForExit(30000));
  EXPECT_EQ(1u, countOf(analyticsEventNames(), "download_run")) << "the second copy started no work";
}

TEST_F(StartFlow, TwentyStartsAtOnceLeaveOneRunningInstaller) {
  std::wstring exe = campaignCopy(kCampaign);
  std::vector<ChildProcess*> copies;
  for (int i = 0; i < 20; ++i) {
    ChildProcess* copy = start(exe);
    ASSERT_NE(nullptr, copy);
    copies.push_back(copy);
  }
  // All but one end, each with 0; the one left holds the endpoint.
  std::vector<long> codes(copies.size(), -1);
  auto ended = [&] {
    size_t n = 0;
    for (size_t i = 0; i < copies.size(); ++i) {
      if (codes[i] == -1) codes[i] = copies[i]->waitForExit(0);
      n += codes[i] != -1 ? 1 : 0;
    }
    return n;
  };
  EXPECT_TRUE(pumpUntil([&] { return ended() >= copies.size() - 1; }, 120000));
  pumpFor(3000);  // a second survivor would still be running now, never ending by itself
  ASSERT_EQ(copies.size() - 1, ended());
  size_t survivor = 0;
  for (size_t i = 0; i < copies.size(); ++i) {
    if (codes[i] == -1) {
      survivor = i;
    } else {
      EXPECT_EQ(0, codes[i]) << "copy " << i;
    }
  }
  EXPECT_EQ(1u, processesNamed(kCampaignImage).size());
  EXPECT_TRUE(pumpUntil([&] { return hasEndpoint(copies[survivor]->processId()); }, 30000));
  // One window on the screen: the survivor's, and none of another copy.
  EXPECT_NE(nullptr, findMainWindow(copies[survivor]->processId(), 10000));
  EXPECT_EQ(1u, windowsOfClass(0, L"cmainframe").size());
  ASSERT_TRUE(endInstaller(*copies[survivor]));
  EXPECT_EQ(0, copies[survivor]->waitForExit(30000));
  EXPECT_EQ(1u, countOf(analyticsEventNames(), "download_run"));
  EXPECT_EQ(1u, countOf(collectedEventKeys(), "run_downloader"));
}
