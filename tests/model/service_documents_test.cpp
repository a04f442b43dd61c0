// The readers of the service's documents, on text alone: typed keys, invalid documents,
// the game list's element rules, texts, and nesting that must not reach the stack.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "model/service_documents.h"
#include "utility/encoding.h"

namespace {

// Values of the wrong type for a text key, and the texts that are not a valid object document.
const char* const kNotText[] = {"7", "true", "null", "{}", "[\"v\"]", "1.5"};
const char* const kNotObject[] = {"", "[]", "\"text\"", "1", "null", "true", "<html><body>404</body></html>",
                                  "{\"a\":1", "{} x", "{}{}", "{\"a\":1,}"};

std::string member(const std::string& key, const std::string& value) { return "\"" + key + "\":" + value; }

TEST(ServiceDocuments, BrandingTextKeysTakeOnlyStrings) {
  const std::pair<const char*, std::wstring Branding::*> keys[] = {
      {"launch_h", &Branding::launchLandscape}, {"launch_V", &Branding::launchPortrait}, {"title", &Branding::title},
      {"runapp", &Branding::runApp}, {"qqlink", &Branding::qqLink}, {"shortcutname", &Branding::shortcutName},
      {"shortcuturl", &Branding::shortcutUrl}, {"heapsize", &Branding::heapSize}};
  for (const auto& key : keys) {
    Branding branding;
    branding.*key.second = L"before";
    ASSERT_TRUE(readBranding("{\"other\":\"x\"}", branding));  // missing
    EXPECT_EQ(L"before", branding.*key.second) << key.first;
    for (const char* wrong : kNotText) {
      ASSERT_TRUE(readBranding("{" + member(key.first, wrong) + ",\"title_x\":1}", branding));
      EXPECT_EQ(L"before", branding.*key.second) << key.first << " = " << wrong;
    }
    ASSERT_TRUE(readBranding("{\"ad\":\"no\"," + member(key.first, "\"v1\"") + "}", branding));
    EXPECT_EQ(L"v1", branding.*key.second) << key.first;  // beside a mistyped key
  }
  Branding launch;
  readBranding("{\"launch_v\":\"lower\",\"Title\":\"upper\"}", launch);  // names are case-sensitive
  EXPECT_EQ(L"", launch.launchPortrait);
  EXPECT_EQ(L"", launch.title);
}

TEST(ServiceDocuments, BrandingFlagsTakeOnlyIntegersAndRootOnlyBooleans) {
  using Root = Branding::Root;
  struct Case {
    const char* value;
    bool ad, cleanModel, runAppStore;  // defaults: true, false, true
    Root root;                         // default: not given
  } cases[] = {
      {"0", false, false, false, Root::kNotGiven},     {"1", true, true, true, Root::kNotGiven},
      {"-3", true, true, true, Root::kNotGiven},       {"2147483647", true, true, true, Root::kNotGiven},
      {"\"0\"", true, false, true, Root::kNotGiven},   {"\"1\"", true, false, true, Root::kNotGiven},
      {"false", true, false, true, Root::kFalse},      {"true", true, false, true, Root::kTrue},
      {"0.0", true, false, true, Root::kNotGiven},     {"1.0", true, false, true, Root::kNotGiven},
      {"4294967296", true, false, true, Root::kNotGiven}, {"-2147483649", true, false, true, Root::kNotGiven},
      {"\"true\"", true, false, true, Root::kNotGiven}, {"null", true, false, true, Root::kNotGiven}};
  for (const Case& c : cases) {
    Branding branding;
    ASSERT_TRUE(readBranding("{" + member("ad", c.value) + "," + member("cleanmodel", c.value) + "," +
                                 member("runappstore", c.value) + "," + member("root", c.value) + "}",
                             branding));
    EXPECT_EQ(c.ad, branding.ad) << c.value;
    EXPECT_EQ(c.cleanModel, branding.cleanModel) << c.value;
    EXPECT_EQ(c.runAppStore, branding.runAppStore) << c.value;
    EXPECT_TRUE(c.root == branding.root) << c.value;
  }
}

// A record as "url|package|name|icon|obb|image|resolution|id|xapk|appstore".
std::wstring summary(const GameRecord& g) {
  return g.downloadUrl + L"|" + g.packageName + L"|" + g.displayName + L"|" + g.icon + L"|" + g.expansionFile + L"|" +
         g.selectionImage + L"|" + g.resolution + L"|" + g.gameId + L"|" + (g.isXapk ? L"1" : L"0") + L"|" +
         (g.fromAppStore ? L"1" : L"0");
}

TEST(ServiceDocuments, GameListElementRules) {
  struct Case {
    const char* element;
    const wchar_t* record;  // null: dropped
  } cases[] = {
      {"{\"gamename\":\"G\",\"app_icon\":\"I\"}", nullptr},
      {"{\"gameid\":\"42\"}", L"|||||||42|0|0"},
      {"{\"app_package_name\":\"com.a\"}", L"|com.a|||||||0|0"},
      {"{\"app_download_url\":\"http://d/a.apk\"}", L"http://d/a.apk||||||||0|0"},
      {"{\"app_download_url\":\"\",\"gameid\":\"\",\"app_package_name\":\"\",\"gamename\":\"G\"}", nullptr},
      {"{\"gameid\":42,\"app_package_name\":7,\"app_download_url\":true}", nullptr},
      {"{\"gameid\":\"1\",\"xapk\":\"1\",\"from_appstore\":\"1\"}", L"|||||||1|1|1"},
      {"{\"gameid\":\"1\",\"xapk\":1,\"from_appstore\":true}", L"|||||||1|0|0"},
      {"{\"gameid\":\"1\",\"xapk\":\"true\",\"from_appstore\":\"01\"}", L"|||||||1|0|0"},
      {"{\"gameid\":\"1\",\"app_obb\":\"\"}", L"|||||||1|0|0"},
      {"{\"app_download_url\":\"u\",\"app_package_name\":\"p\",\"gamename\":\"n\",\"app_icon\":\"i\","
       "\"app_obb\":\"o\",\"game_slt_url\":\"s\",\"resolution\":\"1280x720\",\"gameid\":\"g\"}",
       L"u|p|n|i|o|s|1280x720|g|0|0"},
      {"{\"gameid\":\"1\",\"gamename\":5,\"app_icon\":null,\"game_slt_url\":[],\"resolution\":1,\"app_obb\":{}}",
       L"|||||||1|0|0"},
      // A package name or resolution outside its grammar never reaches the console program.
      {"{\"gameid\":\"1\",\"app_package_name\":\"com.a --filename C:\\\\evil.apk\",\"resolution\":\"1280x720 --index 1\"}",
       L"|||||||1|0|0"},
      {"{\"gameid\":\"1\",\"app_package_name\":\"com.vel_1.b2\",\"resolution\":\"720x1280\"}",
       L"|com.vel_1.b2|||||720x1280|1|0|0"},
      {"{\"app_package_name\":\"com..a\"}", nullptr},
  };
  for (const Case& c : cases) {
    std::vector<GameRecord> games(1);  // a game already listed stays first
    games[0].gameId = L"earlier";
    ASSERT_TRUE(readGameList(std::string("{\"result\":[7,\"x\",[],") + c.element + "]}", games)) << c.element;
    ASSERT_EQ(c.record ? 2u : 1u, games.size()) << c.element;
    EXPECT_EQ(L"earlier", games[0].gameId);
    if (c.record) {
      EXPECT_EQ(c.record, summary(games[1])) << c.element;
    }
  }
  for (const char* text : {"{}", "{\"result\":{}}", "{\"result\":\"[]\"}", "{\"title\":\"t\"}"}) {
    std::vector<GameRecord> games(1);
    EXPECT_FALSE(readGameList(text, games)) << text;
    EXPECT_EQ(1u, games.size());
  }
}

TEST(ServiceDocuments, TextsAreUtf8ButGameIdAndResolutionPassTheAnsiCodePage) {
  // "游戏中心" and U+1F600 (a surrogate pair), as raw bytes and as escapes.
  const std::wstring expected = L"\u6E38\u620F\u4E2D\u5FC3 \xD83D\xDE00";
  for (const char* title : {"\xE6\xB8\xB8\xE6\x88\x8F\xE4\xB8\xAD\xE5\xBF\x83 \xF0\x9F\x98\x80",
                            "\\u6e38\\u620f\\u4e2d\\u5fc3 \\ud83d\\ude00"}) {
    Branding branding;
    ASSERT_TRUE(readBranding(std::string("{\"title\":\"") + title + "\"}", branding));
    EXPECT_EQ(expected, branding.title);
  }
  std::vector<GameRecord> games;
  ASSERT_TRUE(readGameList("{\"result\":[{\"gamename\":\"caf\xC3\xA9\",\"gameid\":\"caf\xC3\xA9\","
                           "\"resolution\":\"\xC3\xA9x1\"}]}",
                           games));
  ASSERT_EQ(1u, games.size());
  EXPECT_EQ(L"caf\u00E9", games[0].displayName);
  EXPECT_EQ(utility::fromAnsi("caf\xC3\xA9"), games[0].gameId);
  // Read through the ANSI code page too, but no resolution has letters: this one is dropped.
  EXPECT_EQ(L"", games[0].resolution);
}

TEST(ServiceDocuments, PlayerAddressesByVariant) {
  const std::string all =
      "{\"mnq4\":{\"ver\":\"4\",\"url\":\"u4\",\"url_spare\":\"s4\",\"md5\":\"m4\"},"
      "\"mnq64\":{\"ver\":\"64\",\"url\":\"u64\",\"url_spare\":\"s64\",\"md5\":\"m64\"},"
      "\"mnq9\":{\"ver\":\"9\",\"url\":\"u9\",\"md5\":\"m9\"},"
      "\"mnq\":{\"ver\":3,\"url\":\"u3\",\"url_spare\":\"\",\"md5\":\"m3\"}}";
  struct Case {
    PlayerVariant variant;
    const char* text;
    PlayerAddressSet current;
  } cases[] = {
      {PlayerVariant::V40, all.c_str(), {L"4", L"u4", L"s4", L"m4"}},
      {PlayerVariant::V64, all.c_str(), {L"64", L"u64", L"s64", L"m64"}},
      {PlayerVariant::V9, all.c_str(), {L"9", L"u9", L"u9", L"m9"}},           // no "url_spare"
      {PlayerVariant::V30, all.c_str(), {L"v0", L"u3", L"u3", L"m3"}},         // "ver" mistyped, spare empty
      {PlayerVariant::V64, "{\"mnq64\":\"u\",\"mnq\":{\"url\":\"x\"}}", {L"v0", L"u0", L"u0", L"m0"}},  // not an object
      {PlayerVariant::V40, "{\"mnq\":{\"url\":\"x\"}}", {L"v0", L"u0", L"u0", L"m0"}},
  };
  for (const Case& c : cases) {
    PlayerAddressSet current{L"v0", L"u0", L"", L"m0"}, player4{L"p", L"pu", L"ps", L"pm"};
    ASSERT_TRUE(readPlayerAddresses(c.text, c.variant, current, player4)) << c.text;
    EXPECT_TRUE(current.version == c.current.version && current.url == c.current.url &&
                current.spareUrl == c.current.spareUrl && current.md5 == c.current.md5)
        << playerAddressKey(c.variant) << ": " << c.text;
    bool has4 = std::string(c.text).find("mnq4") != std::string::npos;
    EXPECT_EQ(has4 ? L"u4" : L"pu", player4.url);
    EXPECT_EQ(has4 ? L"s4" : L"ps", player4.spareUrl);
  }
}

TEST(ServiceDocuments, ChannelAnswer) {
  struct Case {
    const char* text;
    ChannelAnswer answer;
    const wchar_t* channel;
  } cases[] = {
      {"{\"code\":200,\"data\":12345}", ChannelAnswer::kStored, L"12345"},
      {"{\"code\":200,\"data\":2147483647}", ChannelAnswer::kStored, L"2147483647"},
      {"{\"code\":\"200\",\"data\":5}", ChannelAnswer::kCodeNotRight, L"before"},
      {"{\"code\":201,\"data\":5}", ChannelAnswer::kCodeNotRight, L"before"},
      {"{\"code\":200.0,\"data\":5}", ChannelAnswer::kCodeNotRight, L"before"},
      {"{\"data\":5}", ChannelAnswer::kCodeNotRight, L"before"},
      {"{\"code\":200}", ChannelAnswer::kNoChannel, L"before"},
      {"{\"code\":200,\"data\":0}", ChannelAnswer::kNoChannel, L"before"},
      {"{\"code\":200,\"data\":-7}", ChannelAnswer::kNoChannel, L"before"},
      {"{\"code\":200,\"data\":\"77\"}", ChannelAnswer::kNoChannel, L"before"},
      {"{\"code\":200,\"data\":3000000000}", ChannelAnswer::kNoChannel, L"before"},
      {"{\"code\":200,\"data\":1.5}", ChannelAnswer::kNoChannel, L"before"},
  };
  for (const Case& c : cases) {
    std::wstring channel = L"before";
    EXPECT_EQ(c.answer, readChannelAnswer(c.text, channel)) << c.text;
    EXPECT_EQ(c.channel, channel) << c.text;
  }
}

TEST(ServiceDocuments, CustomerInfoForOneLanguage) {
  struct Case {
    const char* text;
    const wchar_t* code;
    CustomerInfoResult result;
    const wchar_t* installError;
    const wchar_t* link;
  } cases[] = {
      {"{\"de\":{\"installError\":\"D\"},\"en\":{\"installError\":\"E\",\"customerLink\":\"L\"}}", L"en",
       CustomerInfoResult::kRead, L"E", L"L"},
      {"{\"en\":{\"installError\":\"E\",\"customerLink\":\"L\"}}", L"", CustomerInfoResult::kRead, L"E", L"L"},
      {"{\"de\":{\"installError\":\"D\"}}", L"en", CustomerInfoResult::kNoLanguageMember, L"e0", L"l0"},
      {"{\"en\":\"E\"}", L"en", CustomerInfoResult::kNoLanguageMember, L"e0", L"l0"},
      {"{\"en\":{\"installError\":5,\"customerLink\":\"L\"}}", L"en", CustomerInfoResult::kRead, L"e0", L"L"},
      {"{\"zh\":{\"installError\":\"\xE9\x94\x99\"}}", L"zh", CustomerInfoResult::kRead, L"\u9519", L"l0"},
  };
  for (const Case& c : cases) {
    CustomerInfo info{L"e0", L"l0"};
    EXPECT_EQ(c.result, readCustomerInfo(c.text, c.code, info)) << c.text;
    EXPECT_EQ(c.installError, info.installError) << c.text;
    EXPECT_EQ(c.link, info.customerLink) << c.text;
  }
}

// A document every reader accepts, to cut short and to break.
const std::string kEverything =
    "{\"mnq4\":{\"url\":\"u4\"},\"mnq64\":{\"url\":\"u64\"},\"en\":{\"customerLink\":\"L\"},\"code\":200,\"data\":9,"
    "\"result\":[{\"gameid\":\"1\"}],\"title\":\"T\"}";

// Runs every reader over text; true when each called it invalid and changed nothing.
bool allReadAsInvalid(const std::string& text) {
  PlayerAddressSet current{L"v", L"u", L"", L"m"}, player4;
  CustomerInfo info{L"e", L"l"};
  std::wstring channel = L"c";
  std::vector<GameRecord> games;
  Branding branding;
  return !readPlayerAddresses(text, PlayerVariant::V64, current, player4) && current.spareUrl.empty() &&
         player4.url.empty() && readCustomerInfo(text, L"en", info) == CustomerInfoResult::kNotAnObject &&
         info.customerLink == L"l" && readChannelAnswer(text, channel) == ChannelAnswer::kNotAnObject &&
         channel == L"c" && !readGameList(text, games) && games.empty() && !readBranding(text, branding) &&
         branding.title.empty();
}

TEST(ServiceDocuments, NonObjectAndTruncatedDocumentsAreInvalidEverywhere) {
  EXPECT_FALSE(allReadAsInvalid(kEverything));
  EXPECT_TRUE(isJsonObjectText(kEverything));
  for (const char* text : kNotObject) {
    EXPECT_TRUE(allReadAsInvalid(text)) << text;
    EXPECT_FALSE(isJsonObjectText(text)) << text;
  }
  EXPECT_FALSE(isJsonObjectText(std::string("{}\0{}", 5))) << "the text goes on past a NUL";
  for (size_t length = 0; length < kEverything.size(); ++length) {
    EXPECT_TRUE(allReadAsInvalid(kEverything.substr(0, length))) << length;
    EXPECT_FALSE(isJsonObjectText(kEverything.substr(0, length))) << length;
  }
}

// Deep nesting runs on a thread of its own: an overflow there ends the process with a failure,
// while on the main thread Wine would end it quietly with code 0.
TEST(ServiceDocuments, DeepNestingIsRefusedWithoutRecursion) {
  bool finished = false;
  std::thread reader([&finished] {
    for (size_t depth : {10000u, 100000u}) {
      for (bool closed : {true, false}) {
        std::string arrays = std::string(depth, '[') + (closed ? std::string(depth, ']') : "");
        std::string objects;
        for (size_t i = 0; i < depth; ++i) objects += "{\"a\":";
        objects += "1" + (closed ? std::string(depth, '}') : "");
        EXPECT_TRUE(allReadAsInvalid(objects)) << depth << (closed ? " closed" : " open");
        EXPECT_TRUE(allReadAsInvalid("{\"result\":" + arrays + (closed ? "}" : ""))) << depth;
      }
    }
    // The bound: 64 levels in all are read, 65 are not.
    for (size_t inner : {63u, 64u}) {
      Branding branding;
      bool read = readBranding("{\"title\":\"t\",\"x\":" + std::string(inner, '[') + std::string(inner, ']') + "}",
                               branding);
      EXPECT_EQ(inner == 63u, read) << inner;
    }
    finished = true;
  });
  reader.join();
  EXPECT_TRUE(finished);
}

}  // namespace
