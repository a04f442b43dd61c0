// The setup run with the stand-in setup: the exact command line, the three outcomes of the
// wait, the setup's report reaching an endpoint in another process, running player programs
// ended before the setup starts, and the model's run reporting on the window thread and
// stopped at teardown.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <memory>
#include <string>
#include <vector>

#include "core/main_thread_dispatcher.h"
#include "core/worker_thread.h"
#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "model/setup_run.h"
#include "tests/support/recording_observer.h"
#include "tests/support/log_capture.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "utility/window_ipc.h"

using namespace testing_support;

namespace {

// The stand-in setup copied to where the installer puts its download, with its control file.
struct StandinSetup {
  std::wstring dir = makeTempDir(L"setuprun");
  std::wstring exe = dir + L"VelPlayer.exe";
  std::wstring record = dir + L"command.txt";
  StandinSetup(const std::wstring& settings) {
    CopyFileW((binDir() + L"vel_standin_setup.exe").c_str(), exe.c_str(), FALSE);
    writeFile(dir + L"standin_setup.ini",
              "[setup]\r\nrecord=" + narrow(record) + "\r\nplayer=" + narrow(binDir() + L"vel_standin_process.exe") +
                  "\r\n" + narrow(settings));
  }
  ~StandinSetup() { removeTree(dir); }
  std::string recordedLine() {
    std::string line = readFile(record);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
  }
};

void prepareJob(SetupRunJob& job, const StandinSetup& setup, const std::wstring& folder) {
  job.openId = L"1203";
  job.installPath = folder;
  job.setupFile = setup.exe;
}

bool running(const std::wstring& name) {
  utility::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, name.c_str()) == 0) return true;
  }
  return false;
}

std::wstring imagePathOf(DWORD processId) {
  utility::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &size)) return std::wstring();
  return std::wstring(path, size);
}

// Ends the processes started from exe; true when one was running.
bool endProcessesOf(const std::wstring& exe) {
  bool found = false;
  utility::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (_wcsicmp(imagePathOf(entry.th32ProcessID).c_str(), exe.c_str()) != 0) continue;
    found = true;
    utility::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (process && TerminateProcess(process.get(), 1)) WaitForSingleObject(process.get(), 5000);
  }
  return found;
}

class RecordingHandler : public utility::IWindowIPCHandle {
 public:
  int onHandleWindowIPC(unsigned message, WPARAM wParam, LPARAM) override {
    messages.push_back({message, wParam});
    return 0;
  }
  std::vector<std::pair<unsigned, WPARAM>> messages;
};

}  // namespace

TEST(SetupRun, TheSetupGetsTheFixedCommandLine) {
  struct Case {
    const wchar_t* openId;
    const wchar_t* language;
    const wchar_t* folder;  // under the temporary folder
    const wchar_t* googleId;
    const char* expected;   // after the quoted setup path and one blank; FOLDER is the full folder
  } cases[] = {
      {L"1203", L"de", L"Vel Player\\", L"gclid_abc",
       "-silence -downloader -openid=1203 -language=de -path=\"FOLDER\\\" -googleid=gclid_abc"},
      {L"1203", L"", L"player\\", L"", "-silence -downloader -openid=1203 -path=\"FOLDER\\\""},
      {L"", L"en", L"player\\", L"", "-silence -downloader -openid= -language=en -path=\"FOLDER\\\""},
      {L"7", L"", L"a b  c\\", L"g", "-silence -downloader -openid=7 -path=\"FOLDER\\\" -googleid=g"},
  };
  for (const Case& c : cases) {
    StandinSetup setup(L"result=none\r\n");
    std::wstring folder = setup.dir + c.folder;
    SCOPED_TRACE(narrow(folder));
    SetupRunJob job;
    prepareJob(job, setup, folder);
    job.openId = c.openId;
    job.languageCode = c.language;
    job.googleId = c.googleId;
    bool reported = false, ran = false;
    job.finished = [&](bool setupRan) {
      reported = true;
      ran = setupRan;
    };
    _threadInsPlayer(job);
    EXPECT_TRUE(reported);
    EXPECT_TRUE(ran);
    EXPECT_NE(0u, job.startTick.load());
    std::string expected = c.expected;
    expected.replace(expected.find("FOLDER"), 6, narrow(folder));
    EXPECT_EQ("\"" + narrow(setup.exe) + "\" " + expected, setup.recordedLine());
    // The setup splits its line as CommandLineToArgvW does and still finds the folder.
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folder + L"vms\\config\\morvanes.config").c_str()));
  }
}

TEST(SetupRun, TheWaitEndsInTimeFailsToStartOrTimesOutLeavingTheSetupRunning) {
  StandinSetup setup(L"result=none\r\ndelay_ms=4000\r\n");
  DWORD started = GetTickCount();
  EXPECT_FALSE(runSetup(setup.exe, L"-silence", 500));
  EXPECT_LT(GetTickCount() - started, 3000u);
  EXPECT_TRUE(running(L"VelPlayer.exe")) << "a setup past the limit is left running";
  EXPECT_TRUE(pumpUntil([] { return !running(L"VelPlayer.exe"); }, 10000));

  EXPECT_TRUE(runSetup(setup.exe, L"", 10000));
  EXPECT_FALSE(runSetup(setup.dir + L"missing.exe", L"", 10000));

  // The installer ending stops the wait at once; the setup is left alone.
  utility::UniqueHandle stop(CreateEventW(nullptr, TRUE, TRUE, nullptr));
  started = GetTickCount();
  EXPECT_FALSE(runSetup(setup.exe, L"", 10000, stop.get()));
  EXPECT_LT(GetTickCount() - started, 2000u);
  pumpUntil([] { return !running(L"VelPlayer.exe"); }, 10000);
}

TEST(SetupRun, AMissingSetupIsReportedAndTheRunStillEndsWithFalse) {
  StandinSetup setup(L"result=none\r\n");
  SetupRunJob job;
  prepareJob(job, setup, setup.dir + L"player\\");
  job.setupFile = setup.dir + L"nothing.exe";
  bool missing = false, reported = false, ran = true;
  job.setupFileMissing = [&] { missing = true; };
  job.finished = [&](bool setupRan) {
    reported = true;
    ran = setupRan;
  };
  _threadInsPlayer(job);
  EXPECT_TRUE(missing);
  EXPECT_TRUE(reported);
  EXPECT_FALSE(ran);
}

TEST(SetupRun, TheSetupsReportReachesTheEndpointOfAnotherProcess) {
  RecordingHandler handler;
  utility::WindowIPC endpoint;
  ASSERT_TRUE(endpoint.create(L"{2266E930-7040-4A6B-B7C8-E44663785cdd}", &handler));
  {
    StandinSetup setup(L"result=success\r\ndelay_ms=100\r\n");
    EXPECT_TRUE(runSetup(setup.exe, L"", 10000));
    pumpUntil([&] { return !handler.messages.empty(); }, 3000);
  }
  {
    StandinSetup setup(L"result=fail\r\ncode=5\r\n");
    EXPECT_TRUE(runSetup(setup.exe, L"", 10000));
    pumpUntil([&] { return handler.messages.size() >= 2; }, 3000);
  }
  ASSERT_EQ(2u, handler.messages.size());
  EXPECT_EQ(11125u, handler.messages[0].first);
  EXPECT_EQ(11124u, handler.messages[1].first);
  EXPECT_EQ(5u, handler.messages[1].second);
  DestroyWindow(endpoint.window());
}

TEST(SetupRun, RunningPlayerProgramsAreEndedOthersAreNot) {
  // Wine's taskkill knows no "/T" and refuses the whole command line the installer passes.
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) GTEST_SKIP() << "taskkill /T under Wine";
  std::wstring dir = makeTempDir(L"kill");
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (const wchar_t* name : {L"ovplayer.exe", L"bugreport.exe", L"otherapp.exe"}) {
    std::wstring exe = dir + name;
    ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), exe.c_str(), FALSE));
    children.push_back(std::make_unique<ChildProcess>());
    ASSERT_TRUE(children.back()->start(exe, L"--sleep-ms 60000"));
  }
  ASSERT_TRUE(pumpUntil([] { return running(L"ovplayer.exe") && running(L"bugreport.exe"); }, 5000));
  killPlayerProcesses();
  EXPECT_NE(-1, children[0]->waitForExit(5000)) << "ovplayer.exe was ended";
  EXPECT_NE(-1, children[1]->waitForExit(5000)) << "bugreport.exe was ended";
  EXPECT_EQ(-1, children[2]->waitForExit(500)) << "otherapp.exe keeps running";
  children.clear();
  removeTree(dir);
}

// A taskkill.exe planted beside the (elevated) program and in its current folder never runs:
// the system's own is started by its full path.
TEST(SetupRun, APlantedTaskkillIsNotRun) {
  std::wstring dir = makeTempDir(L"plant");
  const std::vector<std::wstring> planted = {binDir() + L"taskkill.exe", dir + L"taskkill.exe"};
  for (const std::wstring& copy : planted) {
    ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(writeFile(copy + L".calls", ""));
  }
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(dir.c_str());
  ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), (dir + L"ovplayer.exe").c_str(), FALSE));
  ChildProcess player;
  ASSERT_TRUE(player.start(dir + L"ovplayer.exe", L"--sleep-ms 20000"));
  ASSERT_TRUE(pumpUntil([] { return running(L"ovplayer.exe"); }, 5000));
  killPlayerProcesses();
  SetCurrentDirectoryW(previous);
  for (const std::wstring& copy : planted) {
    EXPECT_EQ("", readFile(copy + L".calls")) << narrow(copy) << " ran";
    DeleteFileW(copy.c_str());
    DeleteFileW((copy + L".calls").c_str());
  }
  player.kill();
  removeTree(dir);
}

namespace {

// The model runs the stand-in setup from its install folder, as after a download.
class SetupRunModelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { MainThreadDispatcher::createInstance(); }
  void TearDown() override {
    model_.reset();
    ConfigImp::instance().resetForTest();
  }
  // A model whose flow has just seen the download succeed.
  DownloaderModel* model(const StandinSetup& setup) {
    ConfigImp::instance().resetForTest();
    model_.reset();
    model_.reset(new DownloaderModel());
    DownloaderModel* m = model_.get();
    m->initFrom(L"C:\\downloads\\VelPlayer9_ens_12345_x.exe", nullptr);
    m->setInstallPath(setup.dir);
    m->setFlowForTest(install_flow::InstallFlow(install_flow::State::kInstalling));
    EXPECT_EQ(setup.exe, m->setupFilePath());
    observer_.onFinished = [this] { record(true); };
    observer_.onInstallFailed = [this] { record(false); };
    m->setObserver(&observer_);
    return m;
  }
  void record(bool succeeded) {
    reports.push_back(succeeded);
    reportThreads.push_back(GetCurrentThreadId());
  }
  std::vector<bool> reports;
  std::vector<DWORD> reportThreads;
  RecordingObserver observer_;
  std::unique_ptr<DownloaderModel> model_;
};

}  // namespace

// The run's end reaches the flow on the window thread, which judges it by the setup's own
// report (the flow's table has every combination).
TEST_F(SetupRunModelTest, TheRunReportsTheSetupsOutcomeOnTheWindowThreadWithoutWaiting) {
  struct Row {
    const char* what;
    std::vector<bool> setupSays;  // what the setup's window messages report, in order
    bool expected;
  };
  const Row rows[] = {
      {"success reported", {true}, true},
      {"nothing reported", {}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    reports.clear();
    reportThreads.clear();
    StandinSetup setup(L"result=none\r\ndelay_ms=1000\r\n");
    DownloaderModel* m = model(setup);
    DWORD started = GetTickCount();
    m->startInstallPlayer();
    EXPECT_LT(GetTickCount() - started, 500u) << "the window thread does not wait for the setup";
    for (bool success : row.setupSays) m->onSetupReported(success);
    EXPECT_TRUE(reports.empty());
    ASSERT_TRUE(pumpUntil([&] { return !reports.empty(); }, 20000));
    EXPECT_EQ(std::vector<bool>{row.expected}, reports);
    EXPECT_EQ(GetCurrentThreadId(), reportThreads[0]);
    EXPECT_NE(0u, m->installStartTick());
    EXPECT_NE(std::string::npos, setup.recordedLine().find(" -openid=12345 "));
  }
}

TEST_F(SetupRunModelTest, TeardownStopsTheRunInTimeLeavesTheSetupRunningAndReportsNothing) {
  StandinSetup setup(L"result=none\r\ndelay_ms=60000\r\n");
  DownloaderModel* m = model(setup);
  LogCapture log;
  long abandonedBefore = WorkerThread::abandonedCount();
  m->startInstallPlayer();
  ASSERT_TRUE(pumpUntil([&] { return !setup.recordedLine().empty(); }, 10000)) << "the setup started";

  DWORD started = GetTickCount();
  m->teardown();
  EXPECT_LT(GetTickCount() - started, DownloaderModel::kWorkerStopMilliseconds + 500);
  EXPECT_EQ(abandonedBefore, WorkerThread::abandonedCount()) << "the worker ended, it was not abandoned";
  EXPECT_FALSE(log.find(L"setup wait stopped").empty());
  EXPECT_TRUE(log.find(L"setup wait timeout").empty());
  model_.reset();
  pumpFor(500);
  EXPECT_TRUE(reports.empty()) << "nothing is reported after teardown";
  EXPECT_TRUE(endProcessesOf(setup.exe)) << "the setup was left running";
}
