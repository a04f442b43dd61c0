// The main window as a user meets it: the real window driven with posted clicks, over the
// stand-in service and the stand-in setup, and its handlers fed the model's results.
#include <gtest/gtest.h>

#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "model/installer_endpoint.h"
#include "telemetry/vel_reporter.h"
#include "tests/support/log_capture.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "tests/ui/box_fixture.h"
#include "tests/ui/invented_disks.h"
#include "tests/ui/main_frame_fixture.h"
#include "toolkit/option.h"
#include "ui/downloader_box.h"
#include "ui/message_box.h"
#include "utility/disk.h"
#include "utility/window_ipc.h"

using namespace testing_support;
using mainframe::MainFrameTest;

namespace {

constexpr int64_t kSetupBytes = 11 * 1024 * 1024;
const char kSetupPath[] = "/setup/VelPlayer.exe";

// The stand-in setup, padded past the smallest size a setup may have.
std::string paddedStandinSetup() {
  std::string bytes = readFile(binDir() + L"vel_standin_setup.exe");
  if (!bytes.empty() && static_cast<int64_t>(bytes.size()) < kSetupBytes) bytes.resize(kSetupBytes, '\0');
  return bytes;
}

std::string addressDocument(const std::string& path) {
  const std::string url = "http://127.0.0.1:" + std::to_string(standinPort()) + path;
  return R"({"mnq9":{"ver":"9.1.2","url":")" + url + R"(","url_spare":")" + url + R"(","md5":"abc"}})";
}

std::string allCollected() {
  std::string all;
  for (const CollectedBatch& batch : standinCollected()) all += batch.body;
  return all;
}

// Wakes the reporter until the collected events hold the text.
bool collectedHolds(const std::string& text, DWORD milliseconds) {
  DWORD lastWake = 0;
  return pumpUntil(
      [&] {
        if (GetTickCount() - lastWake >= 500) {
          VelReporter::instance().wakeUp();
          lastWake = GetTickCount();
        }
        return allCollected().find(text) != std::string::npos;
      },
      milliseconds);
}

// The installer's window endpoint as the application serves it, for the setup's reports. One
// for the whole test program: its window lives as long as the thread.
class SetupReportEndpoint : public utility::IWindowIPCHandle {
 public:
  static void ensure() {
    static SetupReportEndpoint endpoint;
    if (!endpoint.ipc_.window()) endpoint.ipc_.create(installer_endpoint::kIdentifier, &endpoint);
  }
  int onHandleWindowIPC(unsigned message, WPARAM, LPARAM) override {
    CMainFrame* frame = CMainFrame::current();
    DownloaderModel* model = frame ? &frame->model() : nullptr;
    if (model && message == installer_endpoint::kInstallSucceeded) model->onSetupReported(true);
    if (model && message == installer_endpoint::kInstallFailed) model->onSetupReported(false);
    return 0;
  }

 private:
  utility::WindowIPC ipc_;
};

class MainFrameFlowTest : public MainFrameTest {
 protected:
  void SetUp() override {
    MainFrameTest::SetUp();
    SetupReportEndpoint::ensure();
  }
  // The setup stand-in's control file in the install folder, and the file into which the
  // player stand-in records its command line.
  void prepareSetup(const std::string& settings) {
    const std::wstring folder = dir_ + L"player\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    writeFile(folder + L"standin_setup.ini", "[setup]\r\nrecord=" + narrow(dir_ + L"setup_command.txt") +
                                                  "\r\nplayer=" + narrow(binDir() + L"vel_standin_process.exe") +
                                                  "\r\n" + settings);
    writeFile(folder + L"ovplayer.exe.calls", "");
    ASSERT_TRUE(standinServe(kSetupPath, paddedStandinSetup()));
    ASSERT_TRUE(standinServe("/player_files/en/morvane", addressDocument(kSetupPath)));
  }
  std::string playerRecord() { return readFile(dir_ + L"player\\ovplayer.exe.calls"); }
};

}  // namespace

TEST_F(MainFrameFlowTest, AcceptInstallWatchFinishAndStartThePlayer) {
  prepareSetup("result=success\r\n");
  CMainFrame* frame = open();
  ASSERT_NE(nullptr, frame);
  model_->startAddressWorker();
  EXPECT_EQ(CMainFrame::kSetupPage, frame->currentPage());
  EXPECT_TRUE(toolkit::controlAs<toolkit::COptionUI>(control(L"acceptprotocolopt"))->isSelected())
      << "the licence is accepted in the layout";
  EXPECT_TRUE(control(L"installnowbtn")->isEnabled());
  EXPECT_FALSE(visible(L"errorpathnoticeui"));
  EXPECT_EQ(control(L"installnowbtn"), frame->focusedControl()) << "the page's main action starts focused";

  click(L"installnowbtn");
  EXPECT_TRUE(frame->installStarted());
  EXPECT_EQ(CMainFrame::kProgressPage, frame->currentPage());
  EXPECT_EQ(mainframe::lookup("turn_tip_1").substr(0, 4), textOf(L"tipInstallLabel").substr(0, 4));
  ASSERT_TRUE(pumpUntil([&] { return frame->currentPage() == CMainFrame::kFinishPage; }, 90000));
  EXPECT_TRUE(frame->finished());
  EXPECT_EQ(100, barValue(L"installprogressbar"));
  EXPECT_NE(std::string::npos, readFile(dir_ + L"setup_command.txt").find("-openid=12345"));
  EXPECT_EQ(control(L"tastenowbtn"), frame->focusedControl());

  click(L"tastenowbtn");
  EXPECT_TRUE(mainframe::pumpUntilQuit(5000));
  ASSERT_TRUE(pumpUntil([&] { return !playerRecord().empty(); }, 15000));
  EXPECT_EQ(std::string::npos, playerRecord().find("package=")) << playerRecord();

  ASSERT_TRUE(collectedHolds("download_duration", 30000));
  const std::string events = allCollected();
  const size_t start = events.find("\"start_downloader\""), success = events.find("\"download_success\""),
               duration = events.find("\"download_duration\"");
  ASSERT_NE(std::string::npos, start) << events;
  EXPECT_LT(start, success);
  EXPECT_LT(success, duration);
}

TEST_F(MainFrameFlowTest, AnInstallerWithAPackageSkipsTheFinishPageAndStartsThePlayerWithIt) {
  prepareSetup("result=success\r\n");
  CMainFrame* frame = open(L"VelPlayer9_ens_com.example.game_12345_x.exe");
  ASSERT_NE(nullptr, frame);
  model_->startAddressWorker();
  click(L"installnowbtn");
  EXPECT_TRUE(mainframe::pumpUntilQuit(90000));
  EXPECT_NE(CMainFrame::kFinishPage, frame->currentPage());
  ASSERT_TRUE(pumpUntil([&] { return !playerRecord().empty(); }, 15000));
  EXPECT_NE(std::string::npos, playerRecord().find("downloadpackage=com.example.game|package=com.example.game"))
      << playerRecord();
}

TEST_F(MainFrameFlowTest, TheFailureBoxesOpenOnceAtATimeAndNothingKeptOffersTheBrowser) {
  CMainFrame* frame = open();
  ASSERT_NE(nullptr, frame);
  frame->showDownloadRetry();
  ASSERT_EQ(1u, boxes::windowsOfClass(L"downloadErrorBox").size());
  frame->showDownloadRetry();
  EXPECT_EQ(1u, boxes::windowsOfClass(L"downloadErrorBox").size()) << "one download error box at a time";
  ASSERT_TRUE(boxes::clickAndWaitGone(boxes::windowsOfClass(L"downloadErrorBox")[0], L"closebtn"));
  frame->showDownloadRetry();
  EXPECT_EQ(1u, boxes::windowsOfClass(L"downloadErrorBox").size()) << "shown again once the first was closed";

  frame->offerBrowserDownload();
  HWND nothing = mainframe::messageBoxWith(mainframe::lookup("download_error_tip2"));
  ASSERT_NE(nullptr, nothing);
  ASSERT_TRUE(mainframe::clickBoxButton(nothing, 2));  // "No"
  EXPECT_TRUE(mainframe::pumpUntilQuit(1000));

  frame->selectPage(CMainFrame::kProgressPage);
  frame->showInstallFailed();
  EXPECT_TRUE(frame->installErrorBoxShown());
  frame->showInstallFailed();
  EXPECT_EQ(1u, boxes::windowsOfClass(L"VelInstallErrorBox").size()) << "one install error box at a time";
  EXPECT_EQ(CMainFrame::kProgressPage, frame->currentPage());
}

TEST_F(MainFrameTest, ProgressValuesFollowTheModel) {
  struct Case {
    const wchar_t* locale;
    int percent;
    int downloaded;
    int total;
    const wchar_t* amounts;  // null: not looked at
    int bar;
  };
  const Case cases[] = {
      {L"en_US", 0, 512, 10 * 1048576, L"512.00B/10.00M", 3},
      {L"en_US", 1, 1536, 10 * 1048576, L"1.50KB/10.00M", 3},
      {L"en_US", 2, 3 * 1048576 / 2, 10 * 1048576, L"1.50M/10.00M", 3},
      {L"en_US", 50, 5 * 1048576, 10 * 1048576, nullptr, 31},
      {L"en_US", 100, 10 * 1048576, 10 * 1048576, nullptr, 63},
      {L"ar_IL", 0, 1, 100, nullptr, 0},
      {L"ar_IL", 1, 1, 100, nullptr, 1},
      // 2 x 0.63 is not below 1, so the bar takes 1.26, truncated: the rule, not the raw percent.
      {L"ar_IL", 2, 2, 100, nullptr, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.percent << " " << testing::PrintToString(std::wstring(c.locale)));
    if (!frame_ || locale_ != c.locale) {
      if (frame_) {
        DestroyWindow(frame_->hwnd());
        gallery::pump([] { return !CMainFrame::current(); });
      }
      ASSERT_NE(nullptr, open(L"VelPlayer9_ens_12345_x.exe", c.locale));
    }
    frame_->showDownloadProgress(c.percent, c.downloaded, c.total);
    if (c.amounts) {
      EXPECT_EQ(c.amounts, textOf(L"downloadProgressLabel"));
    }
    EXPECT_EQ(c.bar, barValue(L"installprogressbar"));
    EXPECT_EQ(c.percent <= 1 ? 1 : c.percent, frame_->downloadPercent());
    const std::wstring phase = textOf(L"loadingprogresslabel");
    EXPECT_NE(std::wstring::npos, phase.find(L"(" + std::to_wstring(c.percent) + L"%)")) << "no dangling bracket";
    if (std::wstring(c.locale) == L"ar_IL") EXPECT_EQ(L'\u200F', phase.back());
  }
  frame_->showDownloadProgress(-1, 0, 0);
  EXPECT_EQ(mainframe::lookup("Label_getversion_info"), textOf(L"loadingprogresslabel"));
  EXPECT_EQ(L"", textOf(L"downloadProgressLabel"));
  frame_->showDownloadPercent(40);
  EXPECT_FALSE(visible(L"downloadProgressLabel"));
  EXPECT_EQ(25, barValue(L"installprogressbar"));
}

TEST_F(MainFrameTest, ClosingAsksWhatTheStageCallsFor) {
  ASSERT_NE(nullptr, open());
  // Before Install: the exit confirmation.
  click(L"closebtn");
  ASSERT_NE(nullptr, DownloaderBox::openOver(frame_->hwnd()));
  DestroyWindow(DownloaderBox::openOver(frame_->hwnd())->hwnd());
  gallery::pump([this] { return !DownloaderBox::openOver(frame_->hwnd()); });

  // During the download: the slow-download box; leaving reports the cancel text.
  DWORD clock = 1000;
  frame_->setClock([&clock] { return clock; });
  click(L"installnowbtn");
  frame_->showDownloadProgress(37, 37, 100);
  clock += 95999;
  click(L"closebtn");
  HWND slow = mainframe::messageBoxWith(mainframe::lookup("download_slowtip"));
  ASSERT_NE(nullptr, slow);
  ASSERT_TRUE(mainframe::clickBoxButton(slow, 1));  // "download_close"
  EXPECT_TRUE(mainframe::pumpUntilQuit(2000));
  EXPECT_FALSE(IsWindowVisible(frame_->hwnd()));
  EXPECT_TRUE(collectedHolds("37_95_aws_IE", 30000)) << allCollected();
}

TEST_F(MainFrameTest, ClosingWhileTheSetupRunsOnlyTellsAndOnTheFinishPageQuits) {
  ASSERT_NE(nullptr, open());
  model_->setFlowForTest(install_flow::InstallFlow(install_flow::State::kDownloading));
  // The download's end as its worker reports it; no setup file: the run reports a failure.
  model_->startDownloadPlayer(false);
  ASSERT_TRUE(pumpUntil([&] { return model_->flowState() != install_flow::State::kDownloading; }, 30000));
  ASSERT_EQ(install_flow::State::kDownloadFailed, model_->flowState());
  for (const mainframe::OpenBox& box : mainframe::openMessageBoxes()) DestroyWindow(box.window);
  model_->setFlowForTest(install_flow::InstallFlow(install_flow::State::kInstalling));
  frame_->showInstalling();
  model_->startInstallPlayer();
  EXPECT_EQ(100, frame_->downloadPercent());
  EXPECT_EQ(63, barValue(L"installprogressbar")) << "the download's full share at once";
  ASSERT_TRUE(pumpUntil([] { return !boxes::windowsOfClass(L"VelInstallErrorBox").empty(); }, 10000));
  DestroyWindow(boxes::windowsOfClass(L"VelInstallErrorBox")[0]);
  gallery::pumpFor(30);
  EXPECT_FALSE(frame_->installErrorBoxShown());
  click(L"closebtn");
  EXPECT_NE(nullptr, mainframe::messageBoxWith(mainframe::lookup("installing_exit_tip")));
  EXPECT_TRUE(IsWindow(frame_->hwnd()));
  EXPECT_EQ(nullptr, DownloaderBox::openOver(frame_->hwnd()));

  model_->setFlowForTest(install_flow::InstallFlow(install_flow::State::kInstalling));
  model_->onSetupReported(true);
  model_->onSetupRunEnded(true);
  for (const mainframe::OpenBox& box : mainframe::openMessageBoxes()) DestroyWindow(box.window);
  gallery::pumpFor(50);
  ASSERT_TRUE(frame_->finished());
  click(L"closebtn");
  EXPECT_TRUE(mainframe::pumpUntilQuit(3000));
  EXPECT_EQ(nullptr, CMainFrame::current()) << "closed without a question";
  EXPECT_TRUE(mainframe::openMessageBoxes().empty());
}

TEST_F(MainFrameTest, TheTipsTurnFromWhereTheProcessLeftThem) {
  ASSERT_NE(nullptr, open());
  const int before = ui::processTips().index();
  for (int i = 0; i < 7; ++i) frame_->nextTip();
  const int expected = (before + 6) % 6 + 1;  // seven steps: one more than a full turn
  EXPECT_EQ(mainframe::lookup(("turn_tip_" + std::to_string(expected)).c_str()), textOf(L"tipInstallLabel"));
}

TEST_F(MainFrameTest, InstallPathChoicesAndTheirAdvice) {
  testdisks::Disks disks({{L'C', {200000, true}}, {L'D', {200000, false}}, {L'E', {100, false}}});
  ASSERT_NE(nullptr, open());
  frame_->setDiskSystem(&disks);
  frame_->showPathUI(true);
  DownloaderModel* model = model_.get();
  struct Case {
    const wchar_t* chosen;
    const wchar_t* stored;
  };
  const Case paths[] = {
      {L"D:\\", L"D:\\VelPlayer\\VelPlayer9\\"},
      {L"E:\\Games", L"E:\\Games\\VelPlayer\\VelPlayer9\\"},
      {L"E:\\Games\\VelPlayer9", L"E:\\Games\\VelPlayer9\\"},
      {L"E:\\MorVane", L"E:\\MorVane\\VelPlayer9\\"},
  };
  for (const Case& c : paths) {
    frame_->setInstallPath(c.chosen);
    EXPECT_EQ(c.stored, model->installPath());
    EXPECT_EQ(c.stored, textOf(L"pathedit"));
  }

  // The recommended drive gets no advice, even short of space.
  model->setInstallPath(L"C:\\VelPlayer\\VelPlayer9\\");
  model->setRecommendation(L"C:\\VelPlayer\\VelPlayer9\\", true);
  {
    LogCapture log;
    frame_->changePathClac(true, L"C:\\Other");
    EXPECT_TRUE(!log.find(L"same best path").empty());
    EXPECT_EQ(L"C:\\Other\\VelPlayer\\VelPlayer9\\", model->installPath());
  }
  EXPECT_TRUE(mainframe::openMessageBoxes().empty());
  frame_->changePathClac(true, model->installPath());
  EXPECT_TRUE(mainframe::openMessageBoxes().empty()) << "the same text again";

  // A hard disk with room: the SSD advice; declined, nothing follows.
  frame_->changePathClac(true, L"D:\\Games");
  ASSERT_EQ(1u, mainframe::openMessageBoxes().size());
  EXPECT_NE(std::wstring::npos, mainframe::openMessageBoxes()[0].message.find(L"D")) << "names the chosen drive";
  ASSERT_TRUE(mainframe::clickBoxButton(mainframe::openMessageBoxes()[0].window, 2));  // "path_not"
  gallery::pumpFor(50);
  EXPECT_TRUE(mainframe::openMessageBoxes().empty());
  EXPECT_EQ(L"D:\\Games\\VelPlayer\\VelPlayer9\\", model->installPath());

  // A full hard disk: the SSD advice, then only the space advice, whose "path_ok" moves back
  // to the recommended folder.
  {
    LogCapture log;
    frame_->changePathClac(true, L"E:\\Games");
    ASSERT_EQ(1u, mainframe::openMessageBoxes().size());
    ASSERT_TRUE(mainframe::clickBoxButton(mainframe::openMessageBoxes()[0].window, 2));  // "path_not"
    ASSERT_TRUE(gallery::pump([] { return mainframe::openMessageBoxes().size() == 1; }));
    EXPECT_TRUE(!log.find(L"left 17G").empty());
  }
  ASSERT_TRUE(mainframe::clickBoxButton(mainframe::openMessageBoxes()[0].window, 1));  // "path_ok"
  EXPECT_EQ(L"C:\\VelPlayer\\VelPlayer9\\", model->installPath());

  // "d:" is not the recommended "D:".
  model->setRecommendation(L"D:\\VelPlayer\\VelPlayer9\\", true);
  frame_->changePathClac(true, L"d:\\x");
  EXPECT_EQ(1u, mainframe::openMessageBoxes().size()) << "advice for another drive";
  for (const mainframe::OpenBox& box : mainframe::openMessageBoxes()) DestroyWindow(box.window);
  gallery::pumpFor(30);

  // An invalid path is stored, shown in error and disables Install.
  frame_->setInstallPath(L"C:\\bad|name");
  EXPECT_TRUE(visible(L"errorpathnoticeui"));
  EXPECT_FALSE(control(L"installnowbtn")->isEnabled());
  frame_->setInstallPath(L"C:\\Games");
  EXPECT_FALSE(visible(L"errorpathnoticeui"));
  EXPECT_TRUE(control(L"installnowbtn")->isEnabled());
  EXPECT_TRUE(visible(L"userdefinitionsui")) << "the path row stays open through every change";
  EXPECT_FALSE(visible(L"userdefinitionLayout"));
}

namespace {

class MainFrameGamesTest : public MainFrameTest {
 protected:
  // A player and its console program in the install folder, both recording what they get.
  void layOutPlayer() {
    folder_ = dir_ + L"player\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    for (const wchar_t* name : {L"ovplayer.exe", L"ovconsole.exe"}) {
      ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), (folder_ + name).c_str(), FALSE));
      writeFile(folder_ + name + L".calls", "");
    }
  }
  std::string calls(const wchar_t* program) { return readFile(folder_ + program + L".calls"); }
  std::wstring folder_;
};

}  // namespace

TEST_F(MainFrameGamesTest, TheFirstGameWithAnIdIsHandedToThePlayerAndTheRunEnds) {
  ASSERT_NE(nullptr, open());
  layOutPlayer();
  GameRecord first;
  first.packageName = L"com.example.first";
  first.gameId = L"77";
  GameRecord second;
  second.packageName = L"com.example.second";
  second.downloadUrl = L"http://127.0.0.1:1/never.apk";
  model_->games() = {first, second};
  model_->setFlowForTest(install_flow::InstallFlow(install_flow::State::kInstalling));
  model_->onSetupReported(true);
  model_->onSetupRunEnded(true);
  EXPECT_TRUE(mainframe::pumpUntilQuit(3000));
  ASSERT_TRUE(pumpUntil([&] { return !calls(L"ovplayer.exe").empty(); }, 15000));
  EXPECT_NE(std::string::npos, calls(L"ovplayer.exe").find("apk=|show=true|package=com.example.first|downloadgameid=77"))
      << calls(L"ovplayer.exe");
  EXPECT_TRUE(calls(L"ovconsole.exe").empty()) << "nothing is downloaded or installed";
}

TEST_F(MainFrameGamesTest, AGameToDownloadShowsTheGamePageInstallsItAndStartsThePlayerWithIt) {
  ASSERT_NE(nullptr, open());
  layOutPlayer();
  const int64_t size = 3 * 1048576 + 5;
  ASSERT_TRUE(standinServeGenerated("/games/b.apk", size));
  GameRecord game;
  game.packageName = L"com.example.b";
  game.displayName = L"Game B";
  game.downloadUrl = L"http://127.0.0.1:" + std::to_wstring(standinPort()) + L"/games/b.apk";
  model_->games() = {game};
  model_->setGameConsoleWait(10000);
  model_->setFlowForTest(install_flow::InstallFlow(install_flow::State::kInstalling));
  model_->onSetupReported(true);
  model_->onSetupRunEnded(true);
  EXPECT_EQ(CMainFrame::kGamePage, frame_->currentPage());
  EXPECT_NE(std::wstring::npos, textOf(L"apkinstallprogresslabel").find(L"Game B"));
  EXPECT_TRUE(mainframe::pumpUntilQuit(60000));
  EXPECT_EQ(generatedBytes(0, size), readFile(folder_ + L"Game B.apk"));
  EXPECT_NE(std::string::npos, calls(L"ovconsole.exe").find("installapk --index 0 --filename \"")) << calls(L"ovconsole.exe");
  ASSERT_TRUE(pumpUntil([&] { return !calls(L"ovplayer.exe").empty(); }, 15000));
  EXPECT_NE(std::string::npos, calls(L"ovplayer.exe").find("package=com.example.b")) << calls(L"ovplayer.exe");
}
