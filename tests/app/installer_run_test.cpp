// The installer executable under Wine: it prepares its data folder and log, runs its
// message loop, and when the loop is ended shuts down in order with exit code 0.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "utility/ufile.h"

using namespace testing_support;

namespace {

std::wstring dataDir() { return utility::ufile::appDataDir() + L"\\veldownloader_en\\"; }

// Ends the installer's message loop the way its own windows do: a quit message on its
// window thread, found through the dispatcher window that thread owns.
bool endMessageLoop(const ChildProcess& child) {
  HWND dispatcher = findMessageOnlyWindow(child.processId(), 15000);
  if (!dispatcher) return false;
  DWORD thread = GetWindowThreadProcessId(dispatcher, nullptr);
  return PostThreadMessageW(thread, WM_QUIT, 0, 0) != 0;
}

}  // namespace

TEST(InstallerRun, StartsLogsAndExitsWithZeroWhenItsLoopEnds) {
  removeTree(dataDir());
  ChildProcess child;
  ASSERT_TRUE(child.start(binDir() + L"VelPlayerInstaller.exe", L""));
  ASSERT_TRUE(endMessageLoop(child));
  EXPECT_EQ(0, child.waitForExit(20000));

  EXPECT_TRUE(utility::ufile::parentDir(dataDir() + L"downloader.log") == dataDir());
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
