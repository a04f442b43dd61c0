// Texts drawn into a DIB: markup underline and colour, alignment, wrapping, the ellipsis,
// and the window's font table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/paint/paint_surface.h"
#include "toolkit/paint/font_table.h"
#include "toolkit/paint/text_layout.h"
#include "toolkit/paint/text_painter.h"

namespace {

using namespace paint_testing;

class TextPainter : public ::testing::Test {
 protected:
  TextPainter() {
    fonts_.setDefault(toolkit::FontSpec{L"Tahoma", 24});
    style_.font = fonts_.get(-1);
    style_.underlineFont = fonts_.underlined(-1);
  }
  // The longest horizontal run of ink in any row of rect.
  static int longestInkRow(const Surface& surface, const RECT& rect) {
    int longest = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
      int run = 0;
      for (int x = rect.left; x < rect.right; ++x) {
        run = surface.countInk(RECT{x, y, x + 1, y + 1}) ? run + 1 : 0;
        longest = std::max(longest, run);
      }
    }
    return longest;
  }
  toolkit::FontTable fonts_;
  toolkit::TextStyle style_;
};

TEST_F(TextPainter, UnderlinedRunDrawsALineUnderItsTextOnly) {
  style_.markup = true;
  Surface plain(300, 40), marked(300, 40);
  const RECT rect{0, 0, 300, 40};
  toolkit::drawText(plain.dc(), rect, L"oooo oooo", style_);
  toolkit::drawText(marked.dc(), rect, L"oooo <u>oooo</u>", style_);
  RECT left = plain.inkBounds(RECT{0, 0, 300, 40});
  ASSERT_GT(left.right, 0);
  const int half = (left.left + left.right) / 2;
  EXPECT_LT(longestInkRow(plain, rect), 20) << "round letters have no long rows";
  EXPECT_GT(longestInkRow(marked, RECT{half, 0, 300, 40}), 40) << "the underline";
  EXPECT_LT(longestInkRow(marked, RECT{0, 0, half, 40}), 20) << "no underline under the plain word";
}

TEST_F(TextPainter, ColouredRunUsesItsColourTheRestTheStyleColour) {
  style_.markup = true;
  fonts_.add(1, toolkit::FontSpec{L"Tahoma", 32, true});
  style_.font = fonts_.get(1);
  Surface surface(400, 50);
  toolkit::drawText(surface.dc(), RECT{0, 0, 400, 50}, L"<c #e01010>HHHH</c>HHHH", style_);
  RECT ink = surface.inkBounds(RECT{0, 0, 400, 50}, 240);
  ASSERT_GT(ink.right, ink.left);
  const int half = (ink.left + ink.right) / 2;
  int redLeft = 0, redRight = 0, blackRight = 0;
  for (int y = ink.top; y < ink.bottom; ++y) {
    for (int x = ink.left; x < ink.right; ++x) {
      uint32_t p = surface.pixel(x, y);
      const bool isRed = red(p) > 200 && green(p) < 40 && blue(p) < 40;
      (x < half ? redLeft : redRight) += isRed;
      if (x >= half && red(p) < 30 && green(p) < 30 && blue(p) < 30) ++blackRight;
    }
  }
  EXPECT_GT(redLeft, 50);
  EXPECT_EQ(0, redRight);
  EXPECT_GT(blackRight, 50);
}

TEST_F(TextPainter, AlignmentPlacesTheInk) {
  struct Case {
    UINT format;
    int left, right, top, bottom;  // expected edges of the ink box: -1 unchecked
  } cases[] = {
      {DT_LEFT | DT_TOP | DT_SINGLELINE, 0, -1, 0, -1},
      {DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, -1, 400, -1, 100},
      {DT_CENTER | DT_VCENTER | DT_SINGLELINE, -1, -1, -1, -1},
  };
  for (const Case& c : cases) {
    style_.format = c.format;
    Surface surface(400, 100);
    toolkit::drawText(surface.dc(), RECT{0, 0, 400, 100}, L"Install", style_);
    RECT ink = surface.inkBounds(RECT{0, 0, 400, 100});
    ASSERT_GT(ink.right, ink.left) << c.format;
    if (c.left >= 0) {
      EXPECT_LE(ink.left - c.left, 4) << c.format;
    }
    if (c.right >= 0) {
      EXPECT_LE(c.right - ink.right, 4) << c.format;
    }
    if (c.top >= 0) {
      EXPECT_LE(ink.top - c.top, 10) << c.format;
    }
    if (c.bottom >= 0) {
      EXPECT_LE(c.bottom - ink.bottom, 10) << c.format;
    }
    if (c.format & DT_CENTER) {
      EXPECT_LE(std::abs((ink.left + ink.right) / 2 - 200), 3);
      EXPECT_LE(std::abs((ink.top + ink.bottom) / 2 - 50), 8);
    }
  }
}

TEST_F(TextPainter, WordBreakWrapsAtBlanksWithinTheWidth) {
  style_.format = DT_LEFT | DT_TOP | DT_WORDBREAK;
  Surface surface(10, 10);
  const std::wstring text = L"Installation failed, please try to change your install path";
  SIZE one = toolkit::measureText(surface.dc(), 0, text, style_);
  SIZE wrapped = toolkit::measureText(surface.dc(), 150, text, style_);
  toolkit::TextLayout layout(surface.dc(), text, style_, 150);
  EXPECT_GE(layout.lines().size(), 3u);
  EXPECT_EQ(static_cast<LONG>(layout.lines().size()) * one.cy, wrapped.cy);
  EXPECT_LE(wrapped.cx, 150);
  for (const toolkit::TextLine& line : layout.lines()) {
    ASSERT_FALSE(line.runs.empty());
    const std::wstring& first = line.runs.front().text;
    EXPECT_NE(L' ', first[0]) << "lines start at a word";
  }
  // Hard breaks count with or without DT_WORDBREAK; a single line keeps one.
  style_.format = DT_LEFT | DT_TOP;
  EXPECT_EQ(3 * one.cy, toolkit::measureText(surface.dc(), 0, L"a\r\nb\nc", style_).cy);
  style_.format = DT_SINGLELINE;
  EXPECT_EQ(one.cy, toolkit::measureText(surface.dc(), 0, L"a\r\nb\nc", style_).cy);
  // A word longer than the line is cut, not lost.
  style_.format = DT_WORDBREAK;
  toolkit::TextLayout longWord(surface.dc(), L"Downloading...Downloading...", style_, 60);
  std::wstring joined;
  for (const auto& line : longWord.lines()) {
    EXPECT_LE(line.width, 60);
    for (const auto& run : line.runs) joined += run.text;
  }
  EXPECT_EQ(L"Downloading...Downloading...", joined);
}

TEST_F(TextPainter, MarkupRunsKeepTheirStyleAcrossWrappedLines) {
  style_.markup = true;
  style_.format = DT_WORDBREAK;
  Surface surface(160, 200);
  const std::wstring text = L"Read the <u>licence agreement and the privacy policy</u> (<c #268fd6>now</c>)";
  toolkit::drawText(surface.dc(), RECT{0, 0, 160, 200}, text, style_);
  toolkit::TextLayout layout(surface.dc(), text, style_, 160);
  ASSERT_GE(layout.lines().size(), 3u);
  std::wstring underlined;
  for (const toolkit::TextLine& line : layout.lines()) {
    for (const toolkit::GlyphRun& run : line.runs) {
      LOGFONTW font{};
      GetObjectW(run.font, sizeof(font), &font);
      if (font.lfUnderline) underlined += (underlined.empty() ? L"" : L" ") + run.text;
    }
  }
  EXPECT_EQ(L"licence agreement and the privacy policy", underlined);
}

TEST_F(TextPainter, EndEllipsisFitsTheWidth) {
  style_.format = DT_SINGLELINE | DT_END_ELLIPSIS;
  Surface surface(10, 10);
  const std::wstring text = L"Slow download? Download faster with browser";
  toolkit::TextLayout cut(surface.dc(), text, style_, 120);
  ASSERT_EQ(1u, cut.lines().size());
  EXPECT_LE(cut.lines()[0].width, 120);
  EXPECT_EQ(L"\x2026", cut.lines()[0].runs.back().text);
  toolkit::TextLayout whole(surface.dc(), text, style_, 2000);
  EXPECT_NE(L"\x2026", whole.lines()[0].runs.back().text);
  EXPECT_LE(toolkit::measureText(surface.dc(), 120, text, style_).cx, 120);
}

// A path too long loses its middle: the drive and the folder it ends in stay readable.
TEST_F(TextPainter, PathEllipsisKeepsTheStartAndTheLastFolder) {
  style_.format = DT_SINGLELINE | DT_PATH_ELLIPSIS;
  Surface surface(10, 10);
  const auto shown = [&](const std::wstring& text, int width) {
    toolkit::TextLayout layout(surface.dc(), text, style_, width);
    std::wstring all;
    for (const toolkit::GlyphRun& run : layout.lines()[0].runs) all += run.text;
    EXPECT_LE(layout.lines()[0].width, width) << all.c_str();
    return all;
  };
  const std::wstring path = L"Z:\\tmp\\sessions\\e2e\\player\\VelPlayer9\\";
  std::wstring cut = shown(path, 330);
  EXPECT_EQ(0u, cut.find(L"Z:\\")) << cut.c_str();
  EXPECT_NE(std::wstring::npos, cut.find(L"\x2026\\VelPlayer9\\")) << cut.c_str();
  EXPECT_EQ(path, shown(path, 2000));
  // No folder to keep, or the last one alone too wide: the end goes, as with endellipsis.
  cut = shown(L"VelPlayerWithAVeryLongFolderName", 200);
  EXPECT_EQ(L'\x2026', cut.back());
  cut = shown(L"C:\\VelPlayerWithAVeryLongFolderName", 200);
  EXPECT_EQ(L'\x2026', cut.back());
  EXPECT_EQ(0u, cut.find(L"C:\\Vel"));
}

// Korean breaks between words only; Chinese breaks after a phrase rather than inside a word
// when the line stays well filled.
TEST_F(TextPainter, KoreanAndChineseLinesBreakBetweenWordsAndPhrases) {
  Surface surface(10, 10);
  const auto linesOf = [&](const std::wstring& text, const std::wstring& fitting) {
    style_.format = DT_SINGLELINE;
    const int width = toolkit::measureText(surface.dc(), 0, fitting, style_).cx + 1;
    style_.format = DT_WORDBREAK;
    toolkit::TextLayout layout(surface.dc(), text, style_, width);
    std::vector<std::wstring> lines;
    for (const toolkit::TextLine& line : layout.lines()) {
      lines.emplace_back();
      for (const toolkit::GlyphRun& run : line.runs) lines.back() += run.text;
    }
    return lines;
  };
  const std::vector<std::wstring> korean = {L"\uC124\uCE58 \uACBD\uB85C\uB97C",
                                            L"\uC120\uD0DD\uD558\uC138\uC694"};
  // "설치 경로를 선택하세요", with room for "설치 경로를 선택".
  EXPECT_EQ(korean, linesOf(korean[0] + L" " + korean[1], korean[0] + L" \uC120\uD0DD"));
  // "…以獲得更佳效能，是否變更路徑？", with room up to "路".
  const std::wstring first = L"\u5EFA\u8B70\u9078\u64C7\u56FA\u614B\u786C\u789F\u4EE5\u7372\u5F97\u66F4\u4F73\u6548\u80FD\uFF0C";
  const std::wstring second = L"\u662F\u5426\u8B8A\u66F4\u8DEF\u5F91\uFF1F";
  const std::vector<std::wstring> chinese = {first, second};
  EXPECT_EQ(chinese, linesOf(first + second, first + second.substr(0, 5)));
}

TEST(FontTable, IdsSizesAndUnderline) {
  toolkit::FontTable fonts;
  EXPECT_EQ(L"Tahoma", fonts.describe(-1).face);
  EXPECT_EQ(12, fonts.describe(-1).size);
  fonts.setDefault(toolkit::FontSpec{L"Roboto", 13});
  fonts.add(2, toolkit::FontSpec{L"Roboto", 16, true});
  auto logFont = [](HFONT font) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof(lf), &lf);
    return lf;
  };
  EXPECT_EQ(fonts.get(-1), fonts.get(7)) << "unknown ids get the default";
  EXPECT_EQ(-13, logFont(fonts.get(-1)).lfHeight);
  EXPECT_EQ(-16, logFont(fonts.get(2)).lfHeight);
  EXPECT_EQ(FW_BOLD, logFont(fonts.get(2)).lfWeight);
  EXPECT_FALSE(logFont(fonts.get(2)).lfUnderline);
  EXPECT_TRUE(logFont(fonts.underlined(2)).lfUnderline);
  EXPECT_EQ(std::wstring(L"Roboto"), logFont(fonts.underlined(2)).lfFaceName);
  EXPECT_EQ(fonts.get(2), fonts.get(2)) << "made once";
}

}  // namespace
