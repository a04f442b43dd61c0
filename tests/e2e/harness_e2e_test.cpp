// The harness's window helpers on a window of another process, before the installer has
// its main window: found by class and process, clicked by posted mouse messages at client
// points, and captured from outside with its real pixels.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/e2e_support.h"
#include "tests/support/standin_http.h"

using namespace e2e;
using namespace testing_support;

class HarnessFlow : public InstallerFlow {};

TEST_F(HarnessFlow, FindsClicksAndCapturesAnotherProcesssWindow) {
  std::wstring clicks = dir_ + L"clicks.txt";
  ChildProcess* probe = start(binDir() + L"vel_e2e_probe_window.exe", L"\"" + clicks + L"\"");
  ASSERT_NE(nullptr, probe);
  HWND window = findMainWindow(probe->processId(), 20000);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(nullptr, findMainWindow(GetCurrentProcessId(), 0)) << "only the other process's window counts";

  // Painted by the time a posted message has come back through its queue.
  ASSERT_TRUE(pumpUntil([&] { return captureWindow(window).rgb(200, 150) == 0x268FD6u; }, 10000));
  Screenshot shot = captureWindow(window);
  RecordProperty("capture", shot.fromScreen ? "screen" : "PrintWindow");
  EXPECT_EQ(400, shot.width);
  EXPECT_EQ(300, shot.height);
  EXPECT_EQ(0x268FD6u, shot.rgb(5, 5));
  EXPECT_EQ(0x268FD6u, shot.rgb(399, 299));
  std::wstring png = saveScreenshot(shot, L"harness_probe.png");
  ASSERT_FALSE(png.empty());
  EXPECT_EQ(0, readFile(png).compare(0, 8, "\x89PNG\r\n\x1a\n"));

  ASSERT_TRUE(clickAt(window, {123, 45}));
  ASSERT_TRUE(clickAt(window, {10, 10}));  // the closing corner
  EXPECT_EQ(0, probe->waitForExit(20000));
  EXPECT_EQ("123 45\n10 10\n", readFile(clicks));
}

TEST_F(HarnessFlow, TearDownEndsWhatTheTestLeftRunningInItsFolder) {
  // A program started from the test's folder by someone else (here: the test, not through
  // start()) is found by its image's folder.
  std::wstring copy = dir_ + L"left_running.exe";
  ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), copy.c_str(), FALSE));
  ChildProcess stray;
  ASSERT_TRUE(stray.start(copy, L"--sleep-ms 600000"));
  std::vector<DWORD> found = processesToEnd({dir_});
  EXPECT_NE(found.end(), std::find(found.begin(), found.end(), stray.processId()));
  EXPECT_EQ(found.end(), std::find(found.begin(), found.end(), GetCurrentProcessId()));
  EXPECT_EQ(1u, processesNamed(L"left_running.exe").size());
  EXPECT_EQ(1u, endProcesses({stray.processId()}));
  EXPECT_EQ(1, stray.waitForExit(5000));  // the code TerminateProcess gave it
  EXPECT_TRUE(processesNamed(L"left_running.exe").empty());
}

TEST(HarnessLists, FileListingsShowWhatAppearedAndTheEventOrderIsChecked) {
  std::wstring dir = makeTempDir(L"e2e_list");
  ASSERT_TRUE(writeFile(dir + L"old.txt", "1"));
  auto before = listFiles(dir);
  CreateDirectoryW((dir + L"sub").c_str(), nullptr);
  ASSERT_TRUE(writeFile(dir + L"sub\\new.bin", "12345"));
  auto after = listFiles(dir);
  EXPECT_EQ((std::vector<std::wstring>{L"sub\\", L"sub\\new.bin"}), addedFiles(before, after));
  EXPECT_EQ(5u, after[L"sub\\new.bin"]);
  removeTree(dir);

  const std::vector<std::string> run = {"run_downloader", "start_downloader", "download_success", "install_success"};
  EXPECT_TRUE(inOrder(run, {"run_downloader", "download_success"}));
  EXPECT_FALSE(inOrder(run, {"install_success", "run_downloader"}));
  EXPECT_FALSE(inOrder(run, {"install_fail"}));
}

TEST_F(HarnessFlow, FlowTablesAndTheInstallVerdictAreReadAsWritten) {
  std::wstring table = dir_ + L"steps.tsv";
  ASSERT_TRUE(writeFile(table, "# a comment\r\nstart\t-\twindow\t60\r\naccept\t120,340\tsleep:500\t5\r\n"
                               "broken\t1,2\twindow\r\n\r\ninstall\t 300,410\tsetup\t300\n"));
  std::vector<FlowStep> steps = readFlowSteps(table);
  ASSERT_EQ(3u, steps.size());
  EXPECT_EQ("start", steps[0].name);
  EXPECT_FALSE(steps[0].click);
  EXPECT_EQ("window", steps[0].wait);
  EXPECT_EQ(60u, steps[0].seconds);
  EXPECT_TRUE(steps[1].click);
  EXPECT_EQ(120, steps[1].point.x);
  EXPECT_EQ(340, steps[1].point.y);
  EXPECT_EQ("install", steps[2].name);
  EXPECT_EQ(300, steps[2].point.x);
  EXPECT_EQ(410, steps[2].point.y);
  EXPECT_FALSE(readFlowSteps(flowStepsTable()).empty()) << "the shipped table reads";

  // The verdict finds the install folder in the setup's command line and the branding there.
  std::wstring folder = dir_ + L"Vel Player\\";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((folder + L"data").c_str(), nullptr));
  ASSERT_TRUE(writeFile(folder + L"data\\launch_1920.jpg", "h"));
  ASSERT_TRUE(writeFile(folder + L"data\\Vel Campaign.ico", "i"));
  ASSERT_TRUE(writeFile(setupRecord_, "\"" + narrow(folder) + "VelPlayer.exe\" -silence -downloader -openid=10203 -path=\"" +
                                          narrow(folder) + "\\\" -lang=en\r\n"));
  InstallVerdict verdict = judgeInstall(setupRecord_);
  EXPECT_EQ(folder, verdict.installFolder);
  EXPECT_EQ(2, verdict.brandingFiles);
  EXPECT_FALSE(verdict.installed()) << "one launch image and the events are missing";
  EXPECT_NE(std::string::npos, verdict.line().find("branding files: 2 of 3 | events: none")) << verdict.line();
  ASSERT_TRUE(writeFile(folder + L"data\\launch_1080.jpg", "v"));
  EXPECT_EQ(3, judgeInstall(setupRecord_).brandingFiles);
}
