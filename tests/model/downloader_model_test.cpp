// The identity the model derives from invented installer names and command lines, the
// install-folder choice against the real (Wine) registry and drives, and the settings tables.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "tests/support/test_support.h"
#include "utility/disk.h"

namespace {

// The test's one model at a time, as the application has one.
std::unique_ptr<DownloaderModel> g_model;

DownloaderModel* freshModel(const std::wstring& name, const wchar_t* commandLine = nullptr) {
  ConfigImp::instance().resetForTest();
  g_model.reset();
  g_model.reset(new DownloaderModel());
  g_model->initFrom(L"C:\\downloads\\" + name + L".exe", commandLine);
  return g_model.get();
}

void writeInstallDir(const std::wstring& key, const std::wstring& folder) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"InstallDir", REG_SZ, folder.c_str(),
                                           static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))));
}

void removeKey(const std::wstring& key) { RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()); }

std::wstring systemUiCode() {
  DownloaderModel* model = freshModel(L"setup");
  return model->uiLanguageCode();
}

TEST(DownloaderModelIdentity, FromTheFileName) {
  struct Case {
    const wchar_t* name;
    PlayerVariant variant;
    const wchar_t* region;
    const wchar_t* uiCode;  // null: the system's
    const wchar_t* openId;
    const wchar_t* package;
    const wchar_t* googleId;
    const wchar_t* adId;
  } cases[] = {
      {L"setup", PlayerVariant::V9, L"en", nullptr, L"100", L"", L"", L"Downloader"},
      {L"VelPlayer9_ens_1203_x", PlayerVariant::V9, L"en", nullptr, L"1203", L"", L"", L"Downloader"},
      {L"velplayer9_ens_100_x", PlayerVariant::V9, L"en", nullptr, L"100", L"", L"", L"Downloader"},
      {L"VELPLAYER64_de_2500_x", PlayerVariant::V64, L"de", L"de", L"2500", L"", L"", L"VelPlayer Installer_200"},
      {L"velplayer64_vn_com.example.game_1500_gclid_abc_1", PlayerVariant::V64, L"vn", L"vn", L"1500",
       L"com.example.game", L"gclid_abc", L"Downloader"},
      {L"velplayer4_tw_77_1", PlayerVariant::V40, L"tw", L"tw", L"77", L"", L"", L"Downloader"},
      {L"velplayer3_kr_2001_x", PlayerVariant::V30, L"kr", L"kr", L"2001", L"", L"", L"VelPlayer Installer_200"},
      {L"velplayer9_english_1203_x", PlayerVariant::V9, L"en", nullptr, L"1203", L"", L"", L"Downloader"},
      {L"velplayer9_en_com.ab_1203_x", PlayerVariant::V9, L"en", L"en", L"1203", L"com.ab", L"", L"Downloader"},
      {L"velplayer9_en_abcd_1203_x", PlayerVariant::V9, L"en", L"en", L"1203", L"", L"", L"Downloader"},
      {L"velplayer9_TW_3000_x", PlayerVariant::V9, L"TW", L"TW", L"3000", L"", L"", L"Downloader"},
      {L"othername_ru_1_x", PlayerVariant::V9, L"ru", L"ru", L"1", L"", L"", L"Downloader"},
      // Values outside their grammar are dropped: the setup's and player's arguments stay as built.
      {L"VelPlayer9_ens_10203_gid -uninstall -path=.._x", PlayerVariant::V9, L"en", nullptr, L"10203", L"", L"",
       L"Downloader"},
      {L"velplayer9_en_com.a -x_1203_x", PlayerVariant::V9, L"en", L"en", L"1203", L"", L"", L"Downloader"},
      {L"velplayer9_d\"_1 2_x", PlayerVariant::V9, L"en", nullptr, L"100", L"", L"", L"Downloader"},
  };
  const std::wstring system = systemUiCode();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    DownloaderModel* model = freshModel(c.name);
    const ConfigImp& config = ConfigImp::instance();
    EXPECT_EQ(c.variant, config.variant());
    EXPECT_EQ(c.region, config.region());
    EXPECT_EQ(c.uiCode ? std::wstring(c.uiCode) : system, model->uiLanguageCode());
    EXPECT_EQ(c.openId, model->openId());
    EXPECT_EQ(c.package, model->packageName());
    EXPECT_EQ(c.googleId, model->googleId());
    EXPECT_EQ(c.adId, config.adId());
  }
  EXPECT_EQ(L"en_US", freshModel(L"velplayer9_TW_3000_x")->localeName()) << "TW matches no table";
  EXPECT_EQ(L"ko_KR", freshModel(L"velplayer9_kr_1_x")->languageRecord().localeName);
  EXPECT_EQ(L"NotoSans-Regular.otf", freshModel(L"velplayer9_kr_1_x")->languageRecord().fontFile);
}

TEST(DownloaderModelIdentity, GameFromTheCommandLine) {
  DownloaderModel* model =
      freshModel(L"velplayer9_en_1_x", L"\"name=Some Game|package=com.example.game|apkurl=https://h/g.apk\"");
  ASSERT_EQ(1u, model->games().size());
  EXPECT_EQ(L"https://h/g.apk", model->games()[0].downloadUrl);
  EXPECT_EQ(L"Some Game", model->games()[0].displayName);
  EXPECT_EQ(L"com.example.game", model->games()[0].packageName);

  EXPECT_TRUE(freshModel(L"velplayer9_en_1_x", L"name=A|apkurl=")->games().empty());
  EXPECT_TRUE(freshModel(L"velplayer9_en_1_x", L"package=p")->games().empty());
  // A package name outside its grammar is dropped; the game stays, as one without a package.
  model = freshModel(L"velplayer9_en_1_x", L"name=G|package=com.a --filename C:\\evil.apk|apkurl=https://h/g.apk");
  ASSERT_EQ(1u, model->games().size());
  EXPECT_EQ(L"", model->games()[0].packageName);
}

TEST(DownloaderModelBundle, ReadsStringElementsOnly) {
  DownloaderModel* model = freshModel(L"setup");
  EXPECT_TRUE(model->loadLanguage(
      L"<?xml version=\"1.0\" encoding=\"utf-8\"?><StringBundle ver=\"100\">"
      L"<String id=\"sure\">\x786E\x5B9A &amp; OK</String><Other id=\"x\">skipped</Other>"
      L"<String id=\"\">no id</String><String id=\"empty\"></String><String id=\"sure2\">Later</String>"
      L"<String id=\"sure2\">Latest</String></StringBundle>"));
  const auto& strings = model->bundleStrings();
  EXPECT_EQ(2u, strings.size());
  EXPECT_EQ(L"\x786E\x5B9A & OK", strings.at(L"sure"));
  EXPECT_EQ(L"Latest", strings.at(L"sure2"));
  EXPECT_FALSE(model->loadLanguage(L"<StringBundle><String id='a'>unclosed"));
  EXPECT_FALSE(model->loadLanguage(L""));
  EXPECT_EQ(2u, model->bundleStrings().size()) << "a failed load keeps what was read before";
}

class InstallFolderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const wchar_t* key : {L"Software\\Tessaro\\VelPlayer9", L"Software\\Quillon\\ovplayer-tw",
                               L"Software\\Quillon\\ovplayer-kr", L"Software\\Tessaro\\VelPlayer64",
                               L"Software\\morvane\\VelPlayer9"}) {
      removeKey(key);
    }
  }
};

TEST_F(InstallFolderTest, TheInstalledPlayersFolderWins) {
  writeInstallDir(L"Software\\Tessaro\\VelPlayer9", L"D:\\Games\\Vel9\\");
  DownloaderModel* model = freshModel(L"velplayer9_de_1_x");
  EXPECT_EQ(L"D:\\Games\\Vel9\\", model->installPath());
  EXPECT_TRUE(model->installedPlayerFound());
  EXPECT_TRUE(model->recommendedInstallPath().empty()) << "no drive was ranked";

  // The domestic region has keys of its own.
  writeInstallDir(L"Software\\morvane\\VelPlayer9", L"E:\\Morvane9\\");
  EXPECT_EQ(L"E:\\Morvane9\\", freshModel(L"velplayer9_cn_1_x")->installPath());

  // Without its final backslash the folder gets one, so that the branding lands inside it.
  writeInstallDir(L"Software\\Tessaro\\VelPlayer9", L"D:\\Games\\playerdata");
  model = freshModel(L"velplayer9_de_1_x");
  EXPECT_EQ(L"D:\\Games\\playerdata\\", model->installPath());
  model->setInstallPath(L"E:\\Chosen");
  EXPECT_EQ(L"E:\\Chosen\\", model->installPath());
  g_model.reset();
}

TEST_F(InstallFolderTest, TaiwanAndKoreaReadTheirOwnKeysFirstFor9And30) {
  writeInstallDir(L"Software\\Tessaro\\VelPlayer9", L"D:\\Generic\\");
  writeInstallDir(L"Software\\Quillon\\ovplayer-tw", L"D:\\Taiwan\\");
  writeInstallDir(L"Software\\Quillon\\ovplayer-kr", L"D:\\Korea\\");
  EXPECT_EQ(L"D:\\Taiwan\\", freshModel(L"velplayer9_tw_1_x")->installPath());
  EXPECT_EQ(L"D:\\Korea\\", freshModel(L"velplayer9_kr_1_x")->installPath());
  EXPECT_EQ(L"D:\\Generic\\", freshModel(L"velplayer9_vn_1_x")->installPath());
  // The 64 variant has its own key and ignores the regional ones.
  writeInstallDir(L"Software\\Tessaro\\VelPlayer64", L"D:\\Vel64\\");
  EXPECT_EQ(L"D:\\Vel64\\", freshModel(L"velplayer64_tw_1_x")->installPath());
}

TEST_F(InstallFolderTest, OtherwiseTheBestDriveWithTheVariantsPath) {
  DownloaderModel* model = freshModel(L"velplayer64_de_1_x");
  EXPECT_FALSE(model->installedPlayerFound());
  bool ssd = false;
  std::wstring best = helper::bestInstallDrive(&ssd);
  EXPECT_EQ(best + L"VelPlayer\\VelPlayer64\\", model->installPath());
  EXPECT_EQ(model->installPath(), model->recommendedInstallPath());
  EXPECT_EQ(ssd, model->recommendedIsSsd());

  model->switchToPlayer4();
  EXPECT_EQ(PlayerVariant::V40, ConfigImp::instance().variant());
  EXPECT_EQ(best + L"VelPlayer\\VelPlayer4.0\\", model->installPath());
}

TEST(ConfigTables, DomesticRegionIsExactAndOthersShareTheRightColumn) {
  ConfigImp& config = ConfigImp::startup();
  config.resetForTest();
  config.setRegion(L"cn");
  config.setPlayer4();
  EXPECT_EQ(L"VelPlayer4.0\\", config.variantFolderName());
  EXPECT_EQ(L"Morvane\\VelPlayer4.0\\", config.variantRelativeInstallPath());
  EXPECT_EQ(L"C:\\p\\velinst.exe", config.playerExecutablePath(L"C:\\p"));
  EXPECT_EQ(config.homePage(), config.browserDownloadUrl());
  config.setRegion(L"CN");
  EXPECT_EQ(L"4.0\\", config.variantFolderName());
  EXPECT_EQ(L"VelPlayer\\VelPlayer4.0\\", config.variantRelativeInstallPath());
  EXPECT_EQ(L"C:\\p\\VelPlayer.exe", config.playerExecutablePath(L"C:\\p"));
  EXPECT_NE(std::wstring::npos, config.browserDownloadUrl().find(L"/uc?id="));
  EXPECT_NE(std::wstring::npos, config.browserDownloadUrl().find(L"&export=download"));
  config.setPlayer3();
  EXPECT_EQ(L"Software\\Quillon\\VelPlayer", config.installedPlayerRegistryKey());
  EXPECT_NE(std::wstring::npos, config.setupDownloadUrl(false).find(L"/download/package/VelPlayer3.0.exe"));
  config.resetForTest();
}

TEST(ConfigTables, RegionalChoices) {
  ConfigImp& config = ConfigImp::startup();
  config.resetForTest();
  std::set<std::wstring> pairs;
  std::wstring cnPair;
  for (const wchar_t* region : {L"cn", L"tw", L"kr", L"vn", L"th", L"ru", L"pt", L"jp", L"id", L"fr", L"es", L"de",
                                L"ar", L"fa", L"en", L"tr", L"xx"}) {
    config.setRegion(region);
    std::wstring id = config.analyticsMeasurementId(), secret = config.analyticsApiSecret();
    EXPECT_EQ(12u, id.size()) << region;
    EXPECT_EQ(0u, id.find(L"G-")) << region;
    EXPECT_EQ(22u, secret.size()) << region;
    pairs.insert(id + L"|" + secret);
    if (std::wstring(region) == L"cn") cnPair = id + L"|" + secret;
    if (std::wstring(region) == L"tw") {
      EXPECT_EQ(cnPair, id + L"|" + secret);
    }
  }
  EXPECT_EQ(14u, pairs.size()) << "cn and tw share one, twelve own, one default for the rest";

  config.setRegion(L"tr");
  EXPECT_EQ(L"language\\downloader_tr.xml", config.languageBundleFile());
  EXPECT_EQ(config.homePage(), [&] { config.setRegion(L"en"); return config.homePage(); }()) << "tr has no regional site";
  config.setRegion(L"it");
  EXPECT_EQ(L"language\\downloader_en.xml", config.languageBundleFile());
  config.setRegion(L"kr");
  std::wstring channel = config.channelCheckUrl();
  EXPECT_EQ(channel.size() - 25, channel.find(L"/check/machine/channel?m="));
  EXPECT_NE(std::wstring::npos, config.openIdConfigUrl(L"1203").find(L"/player_files/openidconfig/1203.data"));
  config.resetForTest();
}

// Start-up writes the settings, then they are only read: a later writer is a fault the
// checked build stops at once.
TEST(ConfigTables, AWriteAfterStartUpEndsTheProcess) {
  ConfigImp::resetForTest();
  ConfigImp::startup().setRegion(L"kr");
  ConfigImp::freeze();
  EXPECT_EQ(L"kr", ConfigImp::instance().region());
  EXPECT_DEATH(ConfigImp::startup().setRegion(L"en"), "settings written after start-up");
  EXPECT_EQ(L"kr", ConfigImp::instance().region());
  ConfigImp::resetForTest();
  ConfigImp::startup().setRegion(L"en");
  EXPECT_EQ(L"en", ConfigImp::instance().region()) << "a test's reset is a new start-up";
}

// The test tree is built with every origin replaced by the loopback stand-in's (whose port
// the tree may move: VEL_STANDIN_PORT with VEL_SERVICE_ORIGIN).
TEST(ConfigTables, EveryAddressUsesTheConfiguredOrigin) {
  const std::wstring origin = L"http://127.0.0.1:" + std::to_wstring(testing_support::standinPort()) + L"/";
  ConfigImp& config = ConfigImp::startup();
  for (const wchar_t* region : {L"cn", L"tw", L"en"}) {
    config.resetForTest();
    config.setRegion(region);
    for (const std::wstring& url : {config.playerFilesBaseUrl(false), config.playerFilesBaseUrl(true),
                                    config.setupDownloadUrl(false), config.setupDownloadUrl(true), config.homePage(),
                                    config.channelCheckUrl(), config.browserDownloadUrl(), config.openIdConfigUrl(L"7")}) {
      EXPECT_EQ(0u, url.find(origin)) << testing::PrintToString(url);
    }
  }
  config.resetForTest();
}

}  // namespace
