// Games brought into the freshly installed player, seen from outside: what the stand-in
// player and console recorded, the files in the install folder and on the desktop, the
// requests and events at the stand-in.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/e2e_support.h"
#include "tests/support/standin_http.h"
#include "utility/encoding.h"

using namespace e2e;
using namespace testing_support;

namespace {

// The campaign's branding with a game list of its own ("result").
std::string campaignDocumentWithGames(const std::string& result) {
  return "{\"title\":\"Vel Campaign\",\"launch_h\":\"URL/brand/launch_h.jpg\",\"launch_V\":\"URL/brand/launch_v.jpg\","
         "\"shortcutname\":\"Vel Campaign\",\"shortcuturl\":\"URL/brand/campaign.ico\",\"ad\":0,\"result\":[" +
         result + "]}";
}

const char kCampaignDocument[] = "/player_files/openidconfig/10203.data";

bool requested(const std::string& path) {
  for (const RecordedRequest& r : standinRequests()) {
    if (r.path == path) return true;
  }
  return false;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace

class GamesFlow : public InstallerFlow {
 protected:
  void SetUp() override {
    InstallerFlow::SetUp();
    install_ = dir_ + L"player\\";
    calls_ = recordPlayerCalls(install_);
  }

  // Installs the player through the window and waits until the installer ends by itself
  // (games handed over or installed end it without a finish page); its exit code.
  long installAndWaitForTheEnd(ChildProcess& installer) {
    const POINT install = at::kInstall;
    std::string why;
    EXPECT_TRUE(runFlowStep(flowStep("window", nullptr, "window", 60), installer, setupRecord_, &why)) << why;
    EXPECT_TRUE(runFlowStep(flowStep("install", &install, "setup", 120), installer, setupRecord_, &why)) << why;
    shoot(findMainWindow(installer.processId(), 0), L"after_setup");
    return installer.waitForExit(120000);
  }

  std::wstring install_;
  PlayerCalls calls_;
};

TEST_F(GamesFlow, AGameFromTheCommandLineIsDownloadedAndInstalledByTheConsole) {
  ASSERT_TRUE(standinServeGenerated("/games/star.apk", 300000));
  const std::wstring commandLine = L"\"name=Star Game|package=com.vel.stargame|apkurl=" +
                                   utility::fromUtf8(standinOrigin()) + L"/games/star.apk\"";
  ChildProcess* installer = start(campaignCopy(), commandLine);
  ASSERT_NE(nullptr, installer);
  EXPECT_EQ(0, installAndWaitForTheEnd(*installer));

  // The package in the install folder, byte for byte.
  const std::wstring package = install_ + L"Star Game.apk";
  EXPECT_EQ(generatedBytes(0, 300000), readFile(package)) << utility::toUtf8(package);
  // One console run for it, without a resolution (a command-line game has none), then the
  // player with the package.
  const std::vector<std::string> console = readLines(calls_.console);
  ASSERT_EQ(1u, console.size()) << joined(console);
  EXPECT_TRUE(contains(console[0], "installapk --index 0 --filename \"" + utility::toUtf8(package) + "\" --wait --hide"))
      << console[0];
  EXPECT_TRUE(pumpUntil([&] { return !readLines(calls_.player).empty(); }, 10000));
  const std::vector<std::string> player = readLines(calls_.player);
  ASSERT_EQ(1u, player.size()) << joined(player);
  EXPECT_TRUE(contains(player[0], "package=com.vel.stargame")) << player[0];
  // A game from the command line stands in for the campaign's list, which is not fetched.
  EXPECT_FALSE(requested(kCampaignDocument));
  EXPECT_TRUE(inOrder(collectedEventKeys(), normalRunEvents()));
}

// A setup that reports failure ends in the install error box, also when there are games to
// bring in: no game is fetched, and neither the console nor the player starts.
TEST_F(GamesFlow, AFailingSetupShowsTheInstallErrorAndBringsInNoGame) {
  ASSERT_TRUE(standinServeGenerated("/games/star.apk", 300000));
  ASSERT_TRUE(configureStandinSetup(dir_ + L"standin_setup.ini", setupRecord_, L"fail", {L"code=7"}));
  const std::wstring commandLine = L"\"name=Star Game|package=com.vel.stargame|apkurl=" +
                                   utility::fromUtf8(standinOrigin()) + L"/games/star.apk\"";
  ChildProcess* installer = start(campaignCopy(), commandLine);
  ASSERT_NE(nullptr, installer);
  const POINT install = at::kInstall;
  std::string why;
  ASSERT_TRUE(runFlowStep(flowStep("window", nullptr, "window", 60), *installer, setupRecord_, &why)) << why;
  ASSERT_TRUE(runFlowStep(flowStep("install", &install, "setup", 120), *installer, setupRecord_, &why)) << why;
  HWND box = waitForWindowOfClass(installer->processId(), L"VelInstallErrorBox", 60000);
  ASSERT_NE(nullptr, box);
  // Long enough for the setup run to have ended and reported.
  pumpFor(4000);
  EXPECT_TRUE(IsWindowVisible(box));
  EXPECT_EQ(-1, installer->waitForExit(0)) << "the installer ended by itself";
  EXPECT_TRUE(readLines(calls_.console).empty()) << joined(readLines(calls_.console));
  EXPECT_TRUE(readLines(calls_.player).empty()) << joined(readLines(calls_.player));
  EXPECT_FALSE(requested("/games/star.apk"));
  // The box's left button ends the installer, which sends what it reported.
  ASSERT_TRUE(clickAt(box, at::kErrorBoxLeft));
  ASSERT_NE(-1, installer->waitForExit(20000)) << "the installer did not end";
  EXPECT_EQ("errorcode_7", collectedProperty("install_fail", "failure_reason"));
  EXPECT_TRUE(readLines(calls_.player).empty()) << joined(readLines(calls_.player));
}

TEST_F(GamesFlow, CampaignGamesAreDownloadedWithResolutionIconAndExpansionThenThePlayerStartsTheLast) {
  ASSERT_TRUE(standinServeGenerated("/games/first.apk", 200000));
  ASSERT_TRUE(standinServeGenerated("/games/first.ico", 766));
  ASSERT_TRUE(standinServeGenerated("/games/second.xapk", 150000));
  ASSERT_TRUE(standinServeGenerated("/games/second.obb", 50000));
  ASSERT_TRUE(serveDocument(
      kCampaignDocument,
      campaignDocumentWithGames(
          "{\"app_download_url\":\"URL/games/first.apk\",\"app_package_name\":\"com.vel.first\","
          "\"gamename\":\"First Game\",\"app_icon\":\"URL/games/first.ico\",\"resolution\":\"1280x720\"},"
          "{\"app_download_url\":\"URL/games/second.xapk\",\"app_package_name\":\"com.vel.second\","
          "\"gamename\":\"Second Game\",\"app_obb\":\"URL/games/second.obb\",\"xapk\":\"1\","
          "\"resolution\":\"1920x1080\"}")));
  ChildProcess* installer = start(campaignCopy());
  ASSERT_NE(nullptr, installer);
  EXPECT_EQ(0, installAndWaitForTheEnd(*installer));

  const std::string first = utility::toUtf8(install_ + L"First Game.apk");
  const std::string second = utility::toUtf8(install_ + L"Second Game.xapk");
  const std::string obb = utility::toUtf8(install_ + L"com.vel.second.obb");
  EXPECT_EQ(generatedBytes(0, 200000), readFile(install_ + L"First Game.apk"));
  EXPECT_EQ(generatedBytes(0, 150000), readFile(install_ + L"Second Game.xapk"));
  EXPECT_EQ(generatedBytes(0, 50000), readFile(install_ + L"com.vel.second.obb"));
  EXPECT_EQ(766u, readFile(install_ + L"com.vel.first.ico").size());

  // The last resolution of the list, then both packages in list order; the expansion file
  // goes with the second.
  const std::vector<std::string> console = readLines(calls_.console);
  ASSERT_EQ(3u, console.size()) << joined(console);
  EXPECT_TRUE(contains(console[0], "modify --index 0 --resolution 1920x1080")) << console[0];
  EXPECT_TRUE(contains(console[1], "installapk --index 0 --filename \"" + first + "\" --wait --hide")) << console[1];
  EXPECT_TRUE(contains(console[2], "installapk --index 0 --filename \"" + second +
                                       "\" --packagename com.vel.second --fileobb \"" + obb + "\" --wait --hide"))
      << console[2];
  EXPECT_TRUE(pumpUntil([&] { return !readLines(calls_.player).empty(); }, 10000));
  const std::vector<std::string> player = readLines(calls_.player);
  ASSERT_EQ(1u, player.size()) << joined(player);
  EXPECT_TRUE(contains(player[0], "package=com.vel.second")) << player[0];

  // A shortcut for the game whose icon came, none for the other.
  const std::wstring desktop = desktopDir();
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((desktop + L"First Game.lnk").c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((desktop + L"Second Game.lnk").c_str()));
  EXPECT_TRUE(inOrder(collectedEventKeys(), normalRunEvents()));
}

// The first record of a campaign's list decides how a game is handed to the player when the
// installer does not download it itself.
struct Handover {
  const char* name;
  const char* record;    // the first element of "result"
  const char* argument;  // what the player must be started with; URL the stand-in's origin
};

const Handover kHandovers[] = {
    {"GameId",
     "{\"gameid\":\"7788\",\"app_package_name\":\"com.vel.idgame\",\"gamename\":\"Id Game\","
     "\"app_download_url\":\"URL/games/id.apk\"}",
     "apk=|show=true|package=com.vel.idgame|downloadgameid=7788"},
    {"AppStoreBeforeGameId",
     "{\"from_appstore\":\"1\",\"gameid\":\"7788\",\"app_package_name\":\"com.vel.store\",\"gamename\":\"Store\","
     "\"app_download_url\":\"URL/games/store.apk\",\"game_slt_url\":\"URL/games/store.png\"}",
     "apk=|show=true|package=com.vel.store|downloadapkurl=URL/games/store.apk;S.package=com.vel.store;"
     "S.appname=Store;S.appicon=URL/games/store.png;S.appsize=96"},
    {"PackageOnly", "{\"app_package_name\":\"com.vel.onlyname\"}",
     "apk=|show=true|package=com.vel.onlyname|downloadpackage=com.vel.onlyname"},
};

class HandoverFlow : public GamesFlow, public ::testing::WithParamInterface<Handover> {};

TEST_P(HandoverFlow, TheFirstGameIsHandedToThePlayerAndNothingIsDownloaded) {
  const Handover& row = GetParam();
  ASSERT_TRUE(serveDocument(kCampaignDocument, campaignDocumentWithGames(
                                                   std::string(row.record) +
                                                   ",{\"app_download_url\":\"URL/games/next.apk\","
                                                   "\"app_package_name\":\"com.vel.next\",\"gamename\":\"Next\"}")));
  ChildProcess* installer = start(campaignCopy());
  ASSERT_NE(nullptr, installer);
  EXPECT_EQ(0, installAndWaitForTheEnd(*installer));

  std::string argument = row.argument;
  for (size_t at = argument.find("URL"); at != std::string::npos; at = argument.find("URL", at)) {
    argument.replace(at, 3, standinOrigin());
  }
  // The player (started by the shell, so wait for its record a moment) with exactly the
  // hand-over argument; the console is never run and no game is fetched.
  EXPECT_TRUE(pumpUntil([&] { return !readLines(calls_.player).empty(); }, 10000));
  const std::vector<std::string> player = readLines(calls_.player);
  ASSERT_EQ(1u, player.size()) << joined(player);
  const std::string tail = " " + argument;
  EXPECT_TRUE(player[0].size() > tail.size() && player[0].compare(player[0].size() - tail.size(), tail.size(), tail) == 0)
      << player[0];
  EXPECT_TRUE(readLines(calls_.console).empty());
  for (const RecordedRequest& r : standinRequests()) EXPECT_NE(0u, r.path.find("/games/")) << r.path;
  EXPECT_TRUE(inOrder(collectedEventKeys(), normalRunEvents()));
}

INSTANTIATE_TEST_SUITE_P(FirstRecord, HandoverFlow, ::testing::ValuesIn(kHandovers),
                         [](const ::testing::TestParamInfo<Handover>& info) { return std::string(info.param.name); });
