// Every shipped language's window title and exit question, drawn with that language's face
// from the real table and the font subsets the installer embeds: each must come out in real
// glyphs (fallback faces where the face lacks the script), and so must a folder name in a
// script the subsets leave out. Each language is saved as a PNG under the build tree.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdio>
#include <set>
#include <vector>

#include "skin/language_record.h"
#include "skin/language_table.h"
#include "tests/support/test_support.h"
#include "tests/toolkit/paint/paint_surface.h"
#include "toolkit/paint/font_fallback.h"
#include "toolkit/paint/font_table.h"
#include "toolkit/paint/text_layout.h"
#include "toolkit/paint/text_painter.h"
#include "toolkit/paint/text_resolve.h"
#include "utility/encoding.h"

namespace {

using paint_testing::Surface;

std::vector<std::wstring> tableLanguages(const std::string& table) {
  std::vector<std::wstring> codes;
  std::string header = table.substr(0, table.find_first_of("\r\n"));
  size_t start = 0;
  for (int cell = 0; start <= header.size(); ++cell) {
    size_t tab = header.find('\t', start);
    std::string code = header.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    if (cell >= 2 && !code.empty()) codes.emplace_back(code.begin(), code.end());
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return codes;
}

// The face the installer uses for a locale: the record whose locale it is, else English's.
std::wstring faceFor(const std::wstring& locale) {
  for (const wchar_t* code : {L"tw", L"kr", L"jp", L"vn", L"th", L"pt", L"ru", L"es", L"ar", L"de", L"fr", L"id"}) {
    LanguageRecord record = languageRecordFor(code);
    if (record.localeName == locale) return record.fontFace;
  }
  return languageRecordFor(L"").fontFace;
}

// The embedded subsets, added for this process as the installer adds its own, under names
// of their own (the system has faces of the real names, which Wine would draw instead).
std::wstring embeddedFace(const std::wstring& face) {
  static const bool added = [] {
    for (const char* font : {"Roboto-Regular.otf", "NotoSans-Regular.otf"}) {
      const std::wstring path = paint_testing::hostPath((std::string(VEL_EMBEDDED_FONTS_DIR) + font).c_str());
      EXPECT_EQ(1, AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr)) << font;
    }
    return true;
  }();
  (void)added;
  return L"Embedded " + face;
}

bool isShown(wchar_t c) { return c > 0x20 && !(c >= 0x200B && c <= 0x200F) && c != 0x00A0; }

// Every visible character of every run has a glyph in the font the run was drawn with.
void expectNoMissingGlyphs(HDC dc, const toolkit::TextLayout& layout, const std::string& what) {
  for (const toolkit::TextLine& line : layout.lines()) {
    for (const toolkit::GlyphRun& run : line.runs) {
      HGDIOBJ previous = SelectObject(dc, run.font);
      std::vector<WORD> glyphs(run.text.size());
      GetGlyphIndicesW(dc, run.text.c_str(), static_cast<int>(run.text.size()), glyphs.data(),
                       GGI_MARK_NONEXISTING_GLYPHS);
      SelectObject(dc, previous);
      for (size_t i = 0; i < run.text.size(); ++i) {
        if (isShown(run.text[i])) {
          EXPECT_NE(0xFFFF, glyphs[i]) << what << ": U+" << std::hex << static_cast<unsigned>(run.text[i])
                                       << " missing in " << std::string(run.face.begin(), run.face.end());
        }
      }
    }
  }
}

int CALLBACK collectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM families) {
  reinterpret_cast<std::set<std::wstring>*>(families)->insert(font->lfFaceName);
  return 1;
}

TEST(LanguageScreens, TheFallbackFacesAreInstalled) {
  std::set<std::wstring> families;
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  toolkit::ScreenDc screen;
  EnumFontFamiliesExW(screen.get(), &query, collectFamily, reinterpret_cast<LPARAM>(&families), 0);
  for (const wchar_t* face : {L"Tahoma", L"Roboto", L"Noto Sans", L"Noto Sans CJK SC", L"Noto Sans CJK TC",
                              L"Noto Sans CJK JP", L"NanumGothic", L"Noto Sans Thai", L"Noto Sans Arabic"}) {
    EXPECT_EQ(1u, families.count(face)) << std::string(face, face + wcslen(face));
  }
}

// The glyph check below would pass on anything if the system filled in missing glyphs itself.
TEST(LanguageScreens, TheGlyphCheckSeesMissingGlyphs) {
  toolkit::FontTable fonts;
  fonts.setDefault(toolkit::FontSpec{L"Roboto", 20});
  paint_testing::Surface surface(10, 10);
  HGDIOBJ previous = SelectObject(surface.dc(), fonts.get(-1));
  WORD glyphs[3] = {};
  GetGlyphIndicesW(surface.dc(), L"A\x5B89\xAC00", 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(surface.dc(), previous);
  EXPECT_NE(0xFFFF, glyphs[0]);
  EXPECT_EQ(0xFFFF, glyphs[1]);
  EXPECT_EQ(0xFFFF, glyphs[2]);
}

TEST(LanguageScreens, EveryLanguageDrawsRealGlyphs) {
  const std::string table = testing_support::readFile(paint_testing::hostPath(VEL_LANGUAGE_TABLE));
  ASSERT_FALSE(table.empty());
  const std::vector<std::wstring> languages = tableLanguages(table);
  ASSERT_EQ(19u, languages.size());
  const std::wstring screens = paint_testing::hostPath(VEL_SCREENS_DIR);
  SHCreateDirectoryExW(nullptr, screens.c_str(), nullptr);

  for (const std::wstring& locale : languages) {
    const std::string name(locale.begin(), locale.end());
    setCurrentLanguage(locale, L"en_US");
    loadLanguageTable(table);
    toolkit::FontTable fonts;
    // Thai's Arial is the system's; the others are the installer's subsets.
    const std::wstring face = faceFor(locale) == L"Arial" ? faceFor(locale) : embeddedFace(faceFor(locale));
    fonts.setDefault(toolkit::FontSpec{face, 20});
    toolkit::TextStyle style;
    style.font = fonts.get(-1);

    Surface surface(520, 130);
    std::set<std::string> faces;
    // The third: an install folder named in Greek, which no language of the table uses.
    const std::wstring texts[] = {toolkit::resolveDisplayText(L"@Title_wndTitle"),
                                  toolkit::resolveDisplayText(L"@MsgBox_exit"),
                                  L"D:\\\x03A0\x03B1\x03B9\x03C7\x03BD\x03AF\x03B4\x03B9\x03B1\\VelPlayer"};
    for (int row = 0; row < 3; ++row) {
      ASSERT_NE(L'@', texts[row][0]) << name << ": the table lacks the key";
      RECT rect{10, 10 + row * 40, 510, 45 + row * 40};
      toolkit::drawText(surface.dc(), rect, texts[row], style);
      EXPECT_GT(surface.countInk(rect), 40) << name << " row " << row << ": no ink";

      toolkit::TextLayout layout(surface.dc(), texts[row], style, rect.right - rect.left);
      EXPECT_EQ(0, layout.missingGlyphs()) << name << " row " << row;
      expectNoMissingGlyphs(surface.dc(), layout, name);
      // A subset holds the table's Latin and Cyrillic texts; the Greek folder needs another face.
      for (const toolkit::TextLine& line : layout.lines()) {
        for (const toolkit::GlyphRun& run : line.runs) {
          if (face == faceFor(locale)) break;
          if (row < 2 && toolkit::scriptGroupOf(run.text.c_str(), static_cast<int>(run.text.size())) ==
                             toolkit::ScriptGroup::Other) {
            EXPECT_EQ(face, run.face) << name << " row " << row << ": " << utility::toUtf8(run.text);
          }
          if (row == 2 && run.text.find(L'\x03B1') != std::wstring::npos) {
            EXPECT_NE(face, run.face) << name;
          }
        }
      }
      for (const toolkit::TextLine& line : layout.lines()) {
        for (const toolkit::GlyphRun& run : line.runs) faces.insert(std::string(run.face.begin(), run.face.end()));
      }
    }
    std::string used;
    for (const std::string& face : faces) used += (used.empty() ? "" : ", ") + face;
    std::printf("%s: %s\n", name.c_str(), used.c_str());
    testing_support::writeFile(screens + L"\\lang_" + locale + L".png", surface.png());
  }
}

// The Arabic and Persian titles put the product name at the left end: the line reads right
// to left, and the Latin name comes last.
TEST(LanguageScreens, RightToLeftLinesPutTheLatinNameLeft) {
  Surface surface(400, 40);
  toolkit::FontTable fonts;
  fonts.setDefault(toolkit::FontSpec{L"Roboto", 20});
  toolkit::TextStyle style;
  style.font = fonts.get(-1);
  for (const wchar_t* title : {L"\x0645\x062B\x0628\x0651\x062A VelPlayer",
                               L"\x0646\x0635\x0628\x200C\x06A9\x0646\x0646\x062F\x0647 VelPlayer"}) {
    toolkit::TextLayout layout(surface.dc(), title, style, 400);
    ASSERT_EQ(1u, layout.lines().size());
    const auto& runs = layout.lines()[0].runs;
    ASSERT_GE(runs.size(), 2u);
    EXPECT_NE(std::wstring::npos, runs.front().text.find(L"VelPlayer"));
    EXPECT_TRUE(runs.back().analysis.fRTL);
  }
}

}  // namespace
