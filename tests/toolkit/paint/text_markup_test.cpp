// The inline markup of texts and the "@" key rule.
#include <gtest/gtest.h>

#include "skin/language_table.h"
#include "toolkit/paint/text_markup.h"
#include "toolkit/paint/text_resolve.h"

namespace {

using toolkit::parseMarkup;
using toolkit::TextRun;

// Runs written as "text|u|#rrggbb" for compact expectations (empty flags when unset).
std::wstring describe(const std::vector<TextRun>& runs) {
  std::wstring out;
  for (const TextRun& run : runs) {
    wchar_t colour[16] = L"";
    if (run.hasColor) swprintf(colour, 16, L"#%06x", run.color & 0xFFFFFF);
    out += L"[" + run.text + L"|" + (run.underline ? L"u" : L"") + L"|" + colour + L"]";
  }
  return out;
}

TEST(TextMarkup, RunsAndLiteralTags) {
  struct Case {
    const wchar_t* text;
    const wchar_t* runs;
  } cases[] = {
      {L"plain", L"[plain||]"},
      {L"", L""},
      {L"<u>Accept</u>", L"[Accept|u|]"},
      {L"I agree to <u>the licence</u>.", L"[I agree to ||][the licence|u|][.||]"},
      {L"12M / 40M (<c #268fd6>30%</c>)", L"[12M / 40M (||][30%||#268fd6][)||]"},
      {L"<c #ff0000>red <u>both</u> red</c>", L"[red ||#ff0000][both|u|#ff0000][ red||#ff0000]"},
      {L"<u>a<c #00ff00>b</c></u>c", L"[a|u|][b|u|#00ff00][c||]"},
      {L"<U>up</U>", L"[up|u|]"},
      // Adjacent runs of one style become one.
      {L"<u>a</u><u>b</u>", L"[ab|u|]"},
      {L"x<u></u>y", L"[xy||]"},
      // Unknown, lone and crossed tags stay as they were written.
      {L"<b>bold</b>", L"[<b>bold</b>||]"},
      {L"<u>open", L"[<u>open||]"},
      {L"close</u>", L"[close</u>||]"},
      {L"<c #12345>bad</c>", L"[<c #12345>bad</c>||]"},
      {L"<c>none</c>", L"[<c>none</c>||]"},
      {L"<u><c #ff0000>x</u></c>", L"[<u>||][x</u>||#ff0000]"},
      {L"a < b > c", L"[a < b > c||]"},
      {L"<u>a<u>b</u>", L"[<u>a||][b|u|]"},
      {L"1 < 2 <u>and</u> 3 >", L"[1 < 2 ||][and|u|][ 3 >||]"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.runs, describe(parseMarkup(c.text))) << c.text;
}

const std::string kTable =
    "Code\tlanguage_code\tzh_CN\ten_US\r\nLanguage\tlanguage_name\tZH\tEnglish\r\n"
    "Label\tsure\tOK-zh\tSure\r\nLabel\tcancel\tCancel-zh\tCancel\r\n";

TEST(TextResolve, AtKeysAreLookedUpAtEveryCall) {
  setCurrentLanguage(L"en_US", L"en_US");
  loadLanguageTable(kTable);
  struct Case {
    const wchar_t* raw;
    const wchar_t* shown;
  } cases[] = {
      {L"@sure", L"Sure"},       {L"@missing_key", L"@missing_key"}, {L"@", L"@"},
      {L"", L""},                {L"sure", L"sure"},                 {L" @sure", L" @sure"},
      {L"@@sure", L"@@sure"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.shown, toolkit::resolveDisplayText(c.raw)) << c.raw;

  // A table loaded later shows at the next resolution.
  setCurrentLanguage(L"zh_CN", L"en_US");
  loadLanguageTable(kTable);
  EXPECT_EQ(L"OK-zh", toolkit::resolveDisplayText(L"@sure"));
  loadLanguageTable("not a table");
  EXPECT_EQ(L"@sure", toolkit::resolveDisplayText(L"@sure"));
}

}  // namespace
