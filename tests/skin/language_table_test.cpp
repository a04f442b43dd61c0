// The language table's line and cell rules, on invented tables.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "skin/language_table.h"

namespace {

using skin::parseLanguageTable;

const std::string kHeader = "Code\tlanguage_code\tzh_CN\ten_US\tde_DE\r\nLanguage\tlanguage_name\tZH\tEnglish\tDeutsch\r\n";

TEST(LanguageTable, ColumnByLanguageWithTheFirstAsFallback) {
  std::string table = kHeader + "Label\tsure\t\xE7\xA1\xAE\xE5\xAE\x9A\tSure\tOK\r\n";
  EXPECT_EQ(L"Sure", parseLanguageTable(table, L"en_US")[L"sure"]);
  EXPECT_EQ(L"OK", parseLanguageTable(table, L"de_DE")[L"sure"]);
  EXPECT_EQ(L"\x786E\x5B9A", parseLanguageTable(table, L"hi_IN")[L"sure"]) << "no column: the first language";
}

TEST(LanguageTable, HeaderTest) {
  EXPECT_TRUE(parseLanguageTable("Code\tlanguage_code\ten_US\r\nLanguage\tname\tEnglish\r\nLabel\tk\tv\r\n", L"en_US").empty());
  EXPECT_TRUE(parseLanguageTable("Code\r\nLanguage\tlanguage_name\r\nLabel\tk\tv\r\n", L"en_US").empty());
  EXPECT_TRUE(parseLanguageTable("", L"en_US").empty());
  EXPECT_EQ(1u, parseLanguageTable("C\tc\ten_US\nL\tlanguage_name\tE\nLabel\tk\tv\n", L"en_US").size());
}

TEST(LanguageTable, LineAndCellRules) {
  struct Case {
    const char* rows;
    const wchar_t* key;
    const wchar_t* expected;  // null: absent
  } cases[] = {
      // A leading TAB loses its empty first cell, so the row reads as if it had none.
      {"\tLabel\tlead\tx\tleading tab\tx\r\n", L"lead", L"leading tab"},
      {"\t\tlead\tx\tshifted\tx\r\n", L"x", L"x"},
      {"Label\tcr\tx\tone\tx\rLabel\tlf\tx\ttwo\tx\nLabel\tcrlf\tx\tthree\tx\r\n", L"lf", L"two"},
      {"Label\tcr\tx\tone\tx\rLabel\tlf\tx\ttwo\tx\n", L"cr", L"one"},
      {"Label\tdup\tx\tfirst\tx\r\nLabel\tdup\tx\tsecond\tx\r\n", L"dup", L"second"},
      {"Label\tescape\tx\tline\\r\\nnext\tx\r\n", L"escape", L"line\\r\\nnext"},
      {"Label\tshort\tx\r\n", L"short", nullptr},
      {"Label\tempty\tx\t\tx\r\n", L"empty", L""},
      {"\r\n\r\n\r\nLabel\tgap\tx\tv\r\n", L"gap", L"v"},
  };
  for (const Case& c : cases) {
    std::string rows(c.rows);
    auto texts = parseLanguageTable(kHeader + rows, L"en_US");
    auto it = texts.find(c.key);
    if (!c.expected) {
      EXPECT_EQ(texts.end(), it) << c.rows;
    } else {
      ASSERT_NE(texts.end(), it) << c.rows;
      EXPECT_EQ(c.expected, it->second) << c.rows;
    }
  }
}

TEST(LanguageTable, AColumnOfZeroOrOneStillNeedsTheKeyCell) {
  // The language may match the first two header cells; a row must then still have a key.
  struct Case {
    const wchar_t* language;
    const char* rows;
    const wchar_t* key;
    const wchar_t* expected;  // null: absent
  } cases[] = {
      {L"Code", "Label\tfirst\tx\r\nlonely\r\n", L"first", L"Label"},
      {L"Code", "lonely\r\n", L"lonely", nullptr},
      {L"Code", "Label\tfirst\tx\r\nlonely\r\n", L"lonely", nullptr},
      {L"language_code", "Label\tkey\r\n", L"key", L"key"},
      {L"language_code", "Label\tkey\r\nlonely\r\n", L"lonely", nullptr},
  };
  for (const Case& c : cases) {
    auto texts = parseLanguageTable(kHeader + c.rows, c.language);
    auto it = texts.find(c.key);
    if (!c.expected) {
      EXPECT_EQ(texts.end(), it) << c.rows;
    } else {
      ASSERT_NE(texts.end(), it) << c.rows;
      EXPECT_EQ(c.expected, it->second) << c.rows;
    }
    // The one-cell row adds nothing, and leaves the row before it as it was.
    EXPECT_LE(texts.size(), 1u) << c.rows;
  }
}

TEST(LanguageTable, AMegabyteOfLinesWithoutTabsParsesWithoutHanging) {
  // Short lines without a TAB, and one real row at the end. A parse that searched the rest
  // of the data for every line would take minutes; the bound is only a hang guard.
  struct Run {
    std::string table;
    std::map<std::wstring, std::wstring> texts;
    std::promise<void> done;
  };
  auto run = std::make_shared<Run>();
  run->table = kHeader;
  while (run->table.size() < (1u << 20)) run->table += "Label\r\n";
  run->table += "Label\tlast\tx\tv\tx\r\n";
  std::future<void> finished = run->done.get_future();
  std::thread parser([run] {
    run->texts = parseLanguageTable(run->table, L"en_US");
    run->done.set_value();
  });
  if (finished.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    parser.detach();  // it shares only run, and ends with the process
    FAIL() << "parsing 1 MiB took more than 10 s";
  }
  parser.join();
  ASSERT_EQ(1u, run->texts.size());
  EXPECT_EQ(L"v", run->texts[L"last"]);
}

TEST(LanguageTable, ANulEndsTheData) {
  const char rows[] = "Label\tbefore\tx\tv\tx\r\n\0Label\thidden\tx\tv\tx\r\n";
  auto texts = parseLanguageTable(kHeader + std::string(rows, sizeof(rows) - 1), L"en_US");
  EXPECT_EQ(1u, texts.count(L"before"));
  EXPECT_EQ(0u, texts.count(L"hidden"));
}

TEST(LanguageTable, CellsOver512UnitsBecomeEmpty) {
  std::string fits(512, 'a'), over(513, 'b');
  std::string cjk;
  for (int i = 0; i < 171; ++i) cjk += "\xE7\x94\xA8";  // 171 units, 513 bytes: fits
  auto texts = parseLanguageTable(kHeader + "Label\tfits\tx\t" + fits + "\r\nLabel\tover\tx\t" + over + "\r\nLabel\tcjk\tx\t" +
                                      cjk + "\r\n",
                                  L"en_US");
  EXPECT_EQ(512u, texts[L"fits"].size());
  EXPECT_EQ(L"", texts[L"over"]);
  EXPECT_EQ(171u, texts[L"cjk"].size()) << "the limit counts UTF-16 units, not bytes";
}

TEST(LanguageTable, LookupsOfTheCurrentTable) {
  setCurrentLanguage(L"", L"en_US");
  EXPECT_EQ(L"en_US", currentLanguage());
  loadLanguageTable(kHeader + "Label\tsure\tx\tSure\tOK\r\n");
  ASSERT_TRUE(lookupText(L"sure").has_value());
  EXPECT_EQ(L"Sure", *lookupText(L"sure"));
  EXPECT_FALSE(lookupText(L"missing").has_value());
  EXPECT_EQ(L"missing_key", lookupTextOrKey("missing_key"));
  ASSERT_TRUE(lookupText(L"missing_key").has_value()) << "a miss is remembered as its own text";
  EXPECT_EQ(L"Sure", lookupTextOrKey("sure"));
}

}  // namespace
