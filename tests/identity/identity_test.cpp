// The file-name and command-line grammars and the language mappings.
#include <gtest/gtest.h>

#include "identity/identity.h"
#include "skin/language_record.h"

namespace {

struct FileNameCase {
  const wchar_t* name;
  bool present;
  const wchar_t* type;
  const wchar_t* language;
  const wchar_t* openId;
  const wchar_t* package;
  const wchar_t* googleId;
};

TEST(InstallerFileName, Grammar) {
  const FileNameCase cases[] = {
      {L"setup", false, L"", L"", L"", L"", L""},
      {L"a_b_c", false, L"", L"", L"", L"", L""},
      {L"VelPlayer9_ens_1203_x", true, L"VelPlayer9", L"ens", L"1203", L"", L""},
      {L"velplayer4_tw_77_1", true, L"velplayer4", L"tw", L"77", L"", L""},
      {L"velplayer64_vn_com.example.game_1500_gclid_abc_1", true, L"velplayer64", L"vn", L"1500", L"com.example.game",
       L"gclid_abc"},
      {L"velplayer9_en_1203_gclid_x_y_z", true, L"velplayer9", L"en", L"1203", L"", L"gclid_x_y"},
      {L"velplayer9_en_com.ab_1203_x", true, L"velplayer9", L"en", L"1203", L"com.ab", L""},
      {L"velplayer9_en_abcd_1203_x", true, L"velplayer9", L"en", L"1203", L"abcd", L""},
      {L"velplayer9_en__gid_x", true, L"velplayer9", L"en", L"", L"", L"gid"},  // empty t2 counts as digits
      {L" velplayer9 _ de _ 2500 _ x ", true, L"velplayer9", L"de", L"2500", L"", L""},
      {L"VELPLAYER64_de_2500_x", true, L"VELPLAYER64", L"de", L"2500", L"", L""},
      {L"velplayer9_TW_1203_x", true, L"velplayer9", L"TW", L"1203", L"", L""},
  };
  for (const FileNameCase& c : cases) {
    FileNameIdentity id = parseInstallerFileName(c.name);
    SCOPED_TRACE(testing::Message() << "name " << testing::PrintToString(std::wstring(c.name)));
    EXPECT_EQ(c.present, id.present);
    if (!c.present) continue;
    EXPECT_EQ(c.type, id.type);
    EXPECT_EQ(c.language, id.language);
    EXPECT_EQ(c.openId, id.openId);
    EXPECT_EQ(c.package, id.package);
    EXPECT_EQ(c.googleId, id.googleId);
  }
}

TEST(InstallerValues, GrammarsOfWhatReachesACommandLine) {
  struct Case {
    bool (*fits)(const std::wstring&);
    const wchar_t* text;
    bool expected;
  } cases[] = {
      {isOpenId, L"10203", true},           {isOpenId, L"", false},
      {isOpenId, L"10203 -x", false},       {isOpenId, L"12345678901234567", false},
      {isGoogleId, L"gclid_abc-1.2", true}, {isGoogleId, L"gid -uninstall", false},
      {isGoogleId, L"a\"b", false},         {isGoogleId, L"", false},
      {isLanguageToken, L"TW", true},       {isLanguageToken, L"e\"", false},
      {isLanguageToken, L"e s", false},     {isPackageName, L"com.example.game", true},
      {isPackageName, L"p", true},          {isPackageName, L"com.a --filename", false},
      {isPackageName, L".com.a", false},    {isPackageName, L"com.a.", false},
      {isPackageName, L"com.1a", false},    {isPackageName, L"..\\x", false},
      {isResolution, L"1280x720", true},    {isResolution, L"1280x720 --root on", false},
      {isResolution, L"x720", false},       {isResolution, L"1280x", false},
      {isResolution, L"12a0x720", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, c.fits(c.text)) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(InstallerCommandLine, PairsAreTrimmedLowerCasedAndLaterKeysWin) {
  auto pairs = parseCommandLinePairs(L"\"name=Some Game|package=com.example.game|apkurl=https://h/x.apk\"");
  EXPECT_EQ(L"Some Game", pairs[L"name"]);
  EXPECT_EQ(L"com.example.game", pairs[L"package"]);
  EXPECT_EQ(L"https://h/x.apk", pairs[L"apkurl"]);

  pairs = parseCommandLinePairs(L" NAME = A | Name=B |noequals| =orphan|apkUrl= u=v ");
  EXPECT_EQ(2u, pairs.size());
  EXPECT_EQ(L"B", pairs[L"name"]);
  EXPECT_EQ(L"u=v", pairs[L"apkurl"]) << "split at the first '=' only";

  EXPECT_TRUE(parseCommandLinePairs(nullptr).empty());
  EXPECT_TRUE(parseCommandLinePairs(L"").empty());
  // Five characters or fewer keep their quotes: the key then starts with one.
  pairs = parseCommandLinePairs(L"\"a=b\"");
  EXPECT_EQ(L"b\"", pairs[L"\"a"]);
}

TEST(InstallerNumbers, DigitsAndLeadingInteger) {
  EXPECT_TRUE(isAllDigits(L""));
  EXPECT_TRUE(isAllDigits(L"0123"));
  EXPECT_FALSE(isAllDigits(L"12a"));
  EXPECT_EQ(2500, leadingInteger(L"2500"));
  EXPECT_EQ(2001, leadingInteger(L"2001abc"));
  EXPECT_EQ(0, leadingInteger(L"abc"));
  EXPECT_EQ(0, leadingInteger(L""));
  EXPECT_GT(leadingInteger(L"99999999999999999999"), 2999) << "huge ids stay out of the 2001-2999 band";
}

TEST(InstallerLanguage, CodesMapBothWays) {
  const wchar_t* pairs[][2] = {
      {L"tw", L"zh_TW"}, {L"kr", L"ko_KR"}, {L"vn", L"vi_VN"}, {L"th", L"th_TH"}, {L"ru", L"ru_RU"},
      {L"pt", L"pt_PT"}, {L"tr", L"tr_TR"}, {L"es", L"es_ES"}, {L"ar", L"ar_IL"}, {L"jp", L"ja_JP"},
      {L"fa", L"fa_IR"}, {L"in", L"hi_IN"}, {L"de", L"de_DE"}, {L"fr", L"fr_FR"}, {L"id", L"in_ID"},
      {L"cn", L"zh_CN"}, {L"it", L"it_IT"}, {L"en", L"en_US"}, {L"my", L"ms_MY"}, {L"ua", L"uk_UA"},
  };
  for (auto& pair : pairs) {
    EXPECT_EQ(pair[1], localeForLanguageCode(pair[0]));
    EXPECT_EQ(pair[0], languageCodeForLocale(pair[1]));
  }
  EXPECT_EQ(L"en_US", localeForLanguageCode(L"TW"));
  EXPECT_EQ(L"en_US", localeForLanguageCode(L"xx"));
  EXPECT_EQ(L"en", languageCodeForLocale(L"nl_NL"));
}

TEST(InstallerLanguage, SystemLanguageTable) {
  struct {
    LANGID language;
    const wchar_t* locale;
  } cases[] = {
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), L"zh_TW"},
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), L"zh_TW"},
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_HONGKONG), L"zh_TW"},
      {MAKELANGID(LANG_HINDI, SUBLANG_DEFAULT), L"hi_IN"},
      {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_SWISS), L"de_DE"},
      {MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN), L"pt_PT"},
      {MAKELANGID(LANG_MALAY, SUBLANG_DEFAULT), L"ms_MY"},
      {MAKELANGID(LANG_UKRAINIAN, SUBLANG_DEFAULT), L"uk_UA"},
      {MAKELANGID(LANG_DUTCH, SUBLANG_DEFAULT), L"en_US"},
  };
  for (auto& c : cases) EXPECT_EQ(c.locale, localeForUiLanguage(c.language)) << c.language;
  EXPECT_EQ(L"tw", languageCodeForLocale(localeForUiLanguage(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED))));
  EXPECT_EQ(L"in", languageCodeForLocale(localeForUiLanguage(MAKELANGID(LANG_HINDI, SUBLANG_DEFAULT))));
}

TEST(LanguageRecord, FontAndLocaleByCode) {
  struct {
    const wchar_t* code;
    LanguageRecord record;
  } cases[] = {
      {L"tw", {L"tw", L"zh_TW", L"Noto Sans", L"NotoSans-Regular.otf"}},
      {L"kr", {L"kr", L"ko_KR", L"Noto Sans", L"NotoSans-Regular.otf"}},
      {L"jp", {L"jp", L"ja_JP", L"Noto Sans", L"NotoSans-Regular.otf"}},
      {L"th", {L"th", L"th_TH", L"Arial", L""}},
      {L"br", {L"pt", L"pt_PT", L"Roboto", L"Roboto-Regular.otf"}},
      {L"id", {L"id", L"in_ID", L"Roboto", L"Roboto-Regular.otf"}},
      {L"cn", {L"en", L"en_US", L"Roboto", L"Roboto-Regular.otf"}},
      {L"TW", {L"en", L"en_US", L"Roboto", L"Roboto-Regular.otf"}},
      {L"", {L"en", L"en_US", L"Roboto", L"Roboto-Regular.otf"}},
  };
  for (auto& c : cases) {
    LanguageRecord r = languageRecordFor(c.code);
    EXPECT_EQ(c.record.shortCode, r.shortCode) << c.code;
    EXPECT_EQ(c.record.localeName, r.localeName) << c.code;
    EXPECT_EQ(c.record.fontFace, r.fontFace) << c.code;
    EXPECT_EQ(c.record.fontFile, r.fontFile) << c.code;
  }
}

}  // namespace
