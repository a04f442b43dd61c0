// The game downloads and installs against the stand-in service: files byte for byte in the
// install folder, the console program's command lines in order, a desktop shortcut per game
// whose icon arrived, the expansion file's single retry, hostile names, and a stop while a
// download stalls. The console program is the stand-in process copied as "ovconsole.exe";
// it records each command line into "ovconsole.exe.calls".
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "model/game_install_job.h"
#include "model/safe_file_name.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "utility/com_apartment.h"
#include "utility/com_ptr.h"
#include "utility/ufile.h"

using namespace testing_support;

namespace {

constexpr DWORD kJobLimit = 60000;

std::wstring url(const std::wstring& path) { return standinUrl(path); }

std::wstring desktop() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\";
}

size_t requestsTo(const std::string& path) {
  size_t count = 0;
  for (const RecordedRequest& r : standinRequests()) count += r.path == path ? 1 : 0;
  return count;
}

bool arm(const std::wstring& query) {
  int status = 0;
  return standinGet(L"/_control/arm?" + query, &status, nullptr) && status == 200;
}

// The names in a folder, sub-folders marked with a trailing "\".
std::set<std::wstring> listFolder(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    names.insert(name + ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? L"\\" : L""));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

struct LinkInfo {
  std::wstring target;
  std::wstring arguments;
  std::wstring icon;
};

bool readLink(const std::wstring& path, LinkInfo& info) {
  utility::ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive()))) {
    return false;
  }
  utility::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.receive())) || FAILED(file->Load(path.c_str(), STGM_READ))) {
    return false;
  }
  wchar_t text[1024] = {};
  link->GetPath(text, 1024, nullptr, 0);
  info.target = text;
  text[0] = 0;
  link->GetArguments(text, 1024);
  info.arguments = text;
  text[0] = 0;
  int index = 0;
  link->GetIconLocation(text, 1024, &index);
  info.icon = text;
  return true;
}

class RecordingSink : public GameInstallSink {
 public:
  void gameCounted() override { add("counted"); }
  void downloadProgress(int64_t current, int64_t total) override {
    // Only the reports of a finished download are certain; the others depend on timing.
    if (current >= total) add("progress " + std::to_string(current) + "/" + std::to_string(total));
  }
  void installWaiting() override { add("waiting"); }
  void finished(const std::wstring& lastPackage) override { add("finished " + narrow(lastPackage)); }

  std::vector<std::string> events() {
    std::lock_guard<std::mutex> lock(lock_);
    return events_;
  }
  bool isFinished() {
    std::vector<std::string> all = events();
    return !all.empty() && all.back().compare(0, 8, "finished") == 0;
  }

 private:
  void add(const std::string& event) {
    std::lock_guard<std::mutex> lock(lock_);
    events_.push_back(event);
  }
  std::mutex lock_;
  std::vector<std::string> events_;
};

class GameInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(resetStandin());
    root_ = makeTempDir(L"games");
    install_ = root_ + L"player\\";
    ASSERT_TRUE(utility::ufile::makeDir(install_));
    console_ = install_ + L"ovconsole.exe";
    ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), console_.c_str(), FALSE));
    ASSERT_TRUE(writeFile(console_ + L".calls", ""));
  }
  void TearDown() override {
    for (const std::wstring& link : links_) DeleteFileW(link.c_str());
    removeTree(root_);
  }

  // Runs the job to its end; false when it did not finish.
  bool runJob(const std::vector<GameRecord>& games) {
    GameInstallJob job(sink_);
    job.setConsoleWait(30000);
    if (!job.start(install_, games)) return false;
    bool finished = pumpUntil([&] { return sink_->isFinished(); }, kJobLimit);
    job.stop(5000);
    return finished;
  }

  // The console's command lines, without the quoted program in front.
  std::vector<std::string> consoleCalls() {
    std::string prefix = "\"" + narrow(console_) + "\" ";
    std::vector<std::string> calls;
    std::string text = readFile(console_ + L".calls");
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      std::string line = text.substr(start, end - start);
      EXPECT_EQ(prefix, line.substr(0, prefix.size())) << "the console program is quoted";
      calls.push_back(line.size() >= prefix.size() ? line.substr(prefix.size()) : line);
    }
    return calls;
  }

  // A desktop link the test expects; removed at the end of the test.
  std::wstring link(const std::wstring& name) {
    std::wstring path = desktop() + name + L".lnk";
    links_.push_back(path);
    return path;
  }

  std::wstring root_;
  std::wstring install_;
  std::wstring console_;
  std::vector<std::wstring> links_;
  std::shared_ptr<RecordingSink> sink_ = std::make_shared<RecordingSink>();
};

TEST_F(GameInstallTest, TwoGamesArriveWholeAndAreInstalledInOrderWithTheirShortcuts) {
  utility::ComApartment com;
  ASSERT_TRUE(standinServeGenerated("/games/alpha.xapk", 300000));
  ASSERT_TRUE(standinServeGenerated("/icons/alpha.ico", 4096));
  ASSERT_TRUE(standinServeGenerated("/games/beta.apk", 200000));
  ASSERT_TRUE(standinServeGenerated("/games/beta.obb", 150000));
  ASSERT_TRUE(standinServeGenerated("/icons/beta.ico", 2048));
  GameRecord alpha;
  alpha.packageName = L"com.vel.alpha";
  alpha.displayName = L"Vel Alpha Test";
  alpha.isXapk = true;
  alpha.downloadUrl = url(L"/games/alpha.xapk");
  alpha.icon = url(L"/icons/alpha.ico");
  alpha.resolution = L"1280x720";
  GameRecord beta;
  beta.packageName = L"com.vel.beta";
  beta.displayName = L"Vel Beta Test";
  beta.downloadUrl = url(L"/games/beta.apk");
  beta.expansionFile = url(L"/games/beta.obb");
  beta.icon = url(L"/icons/beta.ico");
  beta.resolution = L"1920x1080";  // a later record's resolution wins
  std::wstring alphaLink = link(L"Vel Alpha Test");
  std::wstring betaLink = link(L"Vel Beta Test");

  ASSERT_TRUE(runJob({alpha, beta}));

  EXPECT_TRUE(readFile(install_ + L"Vel Alpha Test.xapk") == generatedBytes(0, 300000));
  EXPECT_TRUE(readFile(install_ + L"Vel Beta Test.apk") == generatedBytes(0, 200000));
  EXPECT_TRUE(readFile(install_ + L"com.vel.beta.obb") == generatedBytes(0, 150000));
  EXPECT_TRUE(readFile(install_ + L"com.vel.alpha.ico") == generatedBytes(0, 4096));
  EXPECT_TRUE(readFile(install_ + L"com.vel.beta.ico") == generatedBytes(0, 2048));
  EXPECT_EQ((std::set<std::wstring>{L"Vel Alpha Test.xapk", L"Vel Beta Test.apk", L"com.vel.beta.obb",
                                    L"com.vel.alpha.ico", L"com.vel.beta.ico", L"ovconsole.exe",
                                    L"ovconsole.exe.calls"}),
            listFolder(install_))
      << "no temporary file is left";
  EXPECT_EQ(1u, requestsTo("/games/beta.obb")) << "a good expansion file is fetched once";

  const std::string folder = narrow(install_);
  EXPECT_EQ((std::vector<std::string>{
                "modify --index 0 --resolution 1920x1080",
                "installapk --index 0 --filename \"" + folder + "Vel Alpha Test.xapk\" --wait --hide",
                "installapk --index 0 --filename \"" + folder + "Vel Beta Test.apk\" --packagename com.vel.beta " +
                    "--fileobb \"" + folder + "com.vel.beta.obb\" --wait --hide",
            }),
            consoleCalls());

  EXPECT_EQ((std::vector<std::string>{"counted", "progress 300000/300000", "counted", "progress 150000/150000",
                                      "progress 200000/200000", "waiting", "finished com.vel.beta"}),
            sink_->events());

  LinkInfo info;
  ASSERT_TRUE(readLink(alphaLink, info)) << "the worker made the shortcut through COM";
  EXPECT_EQ(install_ + L"ovplayer.exe", info.target);
  EXPECT_EQ(L"package=com.vel.alpha", info.arguments);
  EXPECT_EQ(install_ + L"com.vel.alpha.ico", info.icon);
  ASSERT_TRUE(readLink(betaLink, info));
  EXPECT_EQ(L"package=com.vel.beta", info.arguments);
}

TEST_F(GameInstallTest, TheExpansionFileIsFetchedAgainOnlyWhenTheFirstTransferFailed) {
  ASSERT_TRUE(standinServeGenerated("/games/gamma.apk", 50000));
  ASSERT_TRUE(standinServeGenerated("/games/gamma.obb", 120000));
  GameRecord gamma;
  gamma.packageName = L"com.vel.gamma";
  gamma.displayName = L"Gamma";
  gamma.downloadUrl = url(L"/games/gamma.apk");
  gamma.expansionFile = url(L"/games/gamma.obb");
  const std::string withObb = "installapk --index 0 --filename \"" + narrow(install_) +
                              "Gamma.apk\" --packagename com.vel.gamma --fileobb \"" + narrow(install_) +
                              "com.vel.gamma.obb\" --wait --hide";

  // The first transfer fails: the second one brings the file.
  ASSERT_TRUE(arm(L"path=/games/gamma.obb&fault=status&code=500&count=1"));
  ASSERT_TRUE(runJob({gamma}));
  EXPECT_EQ(2u, requestsTo("/games/gamma.obb"));
  EXPECT_TRUE(readFile(install_ + L"com.vel.gamma.obb") == generatedBytes(0, 120000));
  EXPECT_EQ(std::vector<std::string>{withObb}, consoleCalls());

  // Both fail: no expansion file, and the console is still told of it.
  ASSERT_TRUE(resetStandin());
  ASSERT_TRUE(standinServeGenerated("/games/gamma.apk", 50000));
  ASSERT_TRUE(standinServeGenerated("/games/gamma.obb", 120000));
  ASSERT_TRUE(writeFile(console_ + L".calls", ""));
  DeleteFileW((install_ + L"com.vel.gamma.obb").c_str());
  ASSERT_TRUE(arm(L"path=/games/gamma.obb&fault=status&code=500&count=5"));
  sink_ = std::make_shared<RecordingSink>();
  ASSERT_TRUE(runJob({gamma}));
  EXPECT_EQ(2u, requestsTo("/games/gamma.obb"));
  EXPECT_FALSE(utility::ufile::exists(install_ + L"com.vel.gamma.obb"));
  EXPECT_TRUE(readFile(install_ + L"Gamma.apk") == generatedBytes(0, 50000));
  EXPECT_EQ(std::vector<std::string>{withObb}, consoleCalls());
}

TEST_F(GameInstallTest, AnIconThatFailsThreeTimesMakesNoShortcutAndTheJobRunsOnce) {
  utility::ComApartment com;
  ASSERT_TRUE(standinServeGenerated("/games/delta.apk", 40000));
  ASSERT_TRUE(standinServeGenerated("/icons/delta.ico", 3000));
  // Two broken transfers leave part of the icon behind; the third is refused.
  ASSERT_TRUE(arm(L"path=/icons/delta.ico&fault=short_body&bytes=1000&count=2"));
  ASSERT_TRUE(arm(L"path=/icons/delta.ico&fault=status&code=404"));
  GameRecord delta;
  delta.packageName = L"com.vel.delta";
  delta.displayName = L"Vel Delta Test";
  delta.downloadUrl = url(L"/games/delta.apk");
  delta.icon = url(L"/icons/delta.ico");
  std::wstring deltaLink = link(L"Vel Delta Test");

  GameInstallJob job(sink_);
  ASSERT_TRUE(job.start(install_, {delta}));
  ASSERT_TRUE(pumpUntil([&] { return sink_->isFinished(); }, kJobLimit));
  EXPECT_EQ(3u, requestsTo("/icons/delta.ico"));
  EXPECT_FALSE(utility::ufile::exists(install_ + L"com.vel.delta.ico")) << "no part of an icon stays";
  EXPECT_FALSE(utility::ufile::exists(deltaLink));
  EXPECT_EQ(std::vector<std::string>{"installapk --index 0 --filename \"" + narrow(install_) +
                                     "Vel Delta Test.apk\" --wait --hide"},
            consoleCalls());
  EXPECT_EQ("finished com.vel.delta", sink_->events().back());

  // A job runs once.
  EXPECT_FALSE(job.start(install_, {delta}));
  job.stop(5000);
  EXPECT_EQ(1u, requestsTo("/games/delta.apk"));
}

TEST_F(GameInstallTest, HostileNamesWriteNothingOutsideTheInstallFolderAndTheConsoleGetsTheRealNames) {
  utility::ComApartment com;
  const std::wstring nested = root_ + L"a\\b\\";
  install_ = nested + L"player\\";
  ASSERT_TRUE(utility::ufile::makeDir(install_));
  console_ = install_ + L"ovconsole.exe";
  ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), console_.c_str(), FALSE));
  ASSERT_TRUE(writeFile(console_ + L".calls", ""));
  ASSERT_TRUE(standinServeGenerated("/games/hostile.apk", 30000));
  ASSERT_TRUE(standinServeGenerated("/games/hostile.obb", 20000));
  ASSERT_TRUE(standinServeGenerated("/icons/hostile.ico", 1000));

  struct Names {
    std::wstring display;
    std::wstring package;
  };
  const Names names[] = {
      {L"..\\..\\evil", L"..\\..\\evilpkg"},
      {L"C:\\Windows\\x", L"CON"},
      {L"", L"a/b"},
      {L"name. ", L"\x01"},
      {std::wstring(300, L'n'), L"con.txt"},
  };
  std::vector<GameRecord> games;
  for (const Names& n : names) {
    GameRecord game;
    game.displayName = n.display;
    game.packageName = n.package;
    game.downloadUrl = url(L"/games/hostile.apk");
    game.expansionFile = url(L"/games/hostile.obb");
    game.icon = url(L"/icons/hostile.ico");
    games.push_back(game);
  }
  const std::wstring evilLink = desktop() + L"..\\..\\evil.lnk";
  for (const Names& n : names) link(safeFileName(n.display, L"game"));
  links_.push_back(evilLink);

  ASSERT_TRUE(runJob(games));

  EXPECT_EQ((std::set<std::wstring>{L"a\\", L"player\\"}), listFolder(root_));
  EXPECT_EQ((std::set<std::wstring>{L"ovconsole.exe", L"ovconsole.exe.calls"}), listFolder(root_ + L"player\\"));
  EXPECT_EQ(std::set<std::wstring>{L"b\\"}, listFolder(root_ + L"a\\"));
  EXPECT_EQ(std::set<std::wstring>{L"player\\"}, listFolder(nested));
  EXPECT_FALSE(utility::ufile::exists(L"C:\\Windows\\x.apk"));
  EXPECT_FALSE(utility::ufile::exists(evilLink));
  const std::wstring longName(64, L'n');
  EXPECT_EQ((std::set<std::wstring>{L"_.._evil.apk", L"_.._evilpkg.obb", L"_.._evilpkg.ico", L"C__Windows_x.apk",
                                    L"_CON.obb", L"_CON.ico", L"game.apk", L"a_b.obb", L"a_b.ico", L"name.apk",
                                    L"_.obb", L"_.ico", longName + L".apk", L"_con.txt.obb", L"_con.txt.ico",
                                    L"ovconsole.exe", L"ovconsole.exe.calls"}),
            listFolder(install_));
  for (const Names& n : names) {
    std::wstring shortcut = desktop() + safeFileName(n.display, L"game") + L".lnk";
    EXPECT_TRUE(utility::ufile::exists(shortcut)) << narrow(shortcut);
  }

  std::vector<std::string> calls = consoleCalls();
  ASSERT_EQ(5u, calls.size());
  const std::string folder = narrow(install_);
  EXPECT_EQ("installapk --index 0 --filename \"" + folder + "_.._evil.apk\" --packagename ..\\..\\evilpkg --fileobb \"" +
                folder + "_.._evilpkg.obb\" --wait --hide",
            calls[0]);
  EXPECT_NE(std::string::npos, calls[1].find(" --packagename CON --fileobb \"" + folder + "_CON.obb\""));
  EXPECT_NE(std::string::npos, calls[2].find(" --packagename a/b --fileobb "));
  EXPECT_NE(std::string::npos, calls[4].find(" --packagename con.txt --fileobb "));
  EXPECT_EQ("finished con.txt", sink_->events().back());
}

TEST_F(GameInstallTest, AStopDuringAStalledDownloadEndsTheJobAndSkipsTheRest) {
  ASSERT_TRUE(standinServeGenerated("/games/stalled.apk", 100000));
  ASSERT_TRUE(standinServeGenerated("/games/after.apk", 1000));
  ASSERT_TRUE(arm(L"path=/games/stalled.apk&fault=stall&delay_ms=3000"));
  GameRecord stalled;
  stalled.packageName = L"com.vel.stalled";
  stalled.displayName = L"Stalled";
  stalled.downloadUrl = url(L"/games/stalled.apk");
  GameRecord after = stalled;
  after.packageName = L"com.vel.after";
  after.displayName = L"After";
  after.downloadUrl = url(L"/games/after.apk");

  {
    GameInstallJob job(sink_);
    ASSERT_TRUE(job.start(install_, {stalled, after}));
    ASSERT_TRUE(pumpUntil([] { return requestsTo("/games/stalled.apk") == 1; }, 10000));
    // Stopping returns even while the read is stuck (Wine does not abort it).
    job.stop(200);
    EXPECT_EQ(std::vector<std::string>{"counted"}, sink_->events());
  }
  // Once the stalled bytes arrive, an abandoned worker refuses them and ends.
  ASSERT_TRUE(pumpUntil([] { return GameInstallJob::activeWorkers() == 0; }, kJobLimit));
  EXPECT_EQ(std::vector<std::string>{"counted"}, sink_->events()) << "no word after the stop";
  EXPECT_EQ(0u, requestsTo("/games/after.apk"));
  EXPECT_TRUE(consoleCalls().empty());
  EXPECT_FALSE(utility::ufile::exists(install_ + L"Stalled.apk"));
}

}  // namespace
