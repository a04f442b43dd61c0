// Screenshots of the gallery, saved under the build tree, and the pixels that matter in
// them: nine-sliced buttons at two sizes, markup runs, progress bars, every language.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "skin/language_record.h"
#include "skin/language_table.h"
#include "tests/support/test_support.h"
#include "tests/toolkit/gallery_fixture.h"
#include "toolkit/paint/text_layout.h"
#include "toolkit/tab_layout.h"
#include "utility/encoding.h"

using gallery::GalleryWindow;

namespace {

// The colours that make_images.py paints into btn.png.
constexpr uint32_t kTopLeft = 0xFF0000, kTopRight = 0x00FF00, kBottomLeft = 0x0000FF, kBottomRight = 0xFFFF00;
constexpr uint32_t kHorizontalEdge = 0x008080, kVerticalEdge = 0x800080, kNormalCentre = 0xC8C8C8;
constexpr uint32_t kFore = 0x005AC8, kTrack = 0xD0D0D0;
constexpr int kCorner = 6;

class ScreensTest : public gallery::GalleryFixture {
 protected:
  void SetUp() override {
    GalleryFixture::SetUp();
    if (HasFatalFailure()) return;
    shot_ = gallery::capture(hwnd_);
    ASSERT_EQ(640, shot_.width);
  }
  RECT rectOf(const wchar_t* name) { return window_->findControl(name)->pos(); }

  gallery::Shot shot_;
};

TEST_F(ScreensTest, NineSlicedButtonsKeepTheirCornersAndStretchTheirEdges) {
  EXPECT_TRUE(gallery::save(shot_, L"gallery_full.png"));
  for (const wchar_t* name : {L"smallbtn", L"bigbtn"}) {
    SCOPED_TRACE(name);
    const RECT r = rectOf(name);
    const int w = r.right - r.left, h = r.bottom - r.top;
    // Every pixel of each 6x6 corner block is the corner's own colour, at both sizes.
    int wrongCorners = 0;
    for (int y = 0; y < kCorner; ++y) {
      for (int x = 0; x < kCorner; ++x) {
        wrongCorners += shot_.rgb(r.left + x, r.top + y) != kTopLeft;
        wrongCorners += shot_.rgb(r.right - 1 - x, r.top + y) != kTopRight;
        wrongCorners += shot_.rgb(r.left + x, r.bottom - 1 - y) != kBottomLeft;
        wrongCorners += shot_.rgb(r.right - 1 - x, r.bottom - 1 - y) != kBottomRight;
      }
    }
    EXPECT_EQ(0, wrongCorners);
    // The edges are stretched along their length only: still 6 pixels thick.
    for (int x = kCorner; x < w - kCorner; x += 7) {
      EXPECT_EQ(kHorizontalEdge, shot_.rgb(r.left + x, r.top + kCorner - 1));
      EXPECT_EQ(kHorizontalEdge, shot_.rgb(r.left + x, r.bottom - kCorner));
    }
    for (int y = kCorner; y < h - kCorner; y += 5) {
      EXPECT_EQ(kVerticalEdge, shot_.rgb(r.left + kCorner - 1, r.top + y));
      EXPECT_EQ(kVerticalEdge, shot_.rgb(r.right - kCorner, r.top + y));
    }
    EXPECT_EQ(kNormalCentre, shot_.rgb(r.left + kCorner, r.top + kCorner));
    EXPECT_EQ(kNormalCentre, shot_.rgb(r.right - kCorner - 1, r.bottom - kCorner - 1));
  }
}

TEST_F(ScreensTest, ProgressBarsCoverTheirValue) {
  struct Case {
    const wchar_t* name;
    int percent;
  };
  for (const Case& c : {Case{L"progress0", 0}, Case{L"progress37", 37}, Case{L"progress100", 100}}) {
    SCOPED_TRACE(c.name);
    const RECT r = rectOf(c.name);
    const int y = (r.top + r.bottom) / 2;
    const int edge = r.left + (r.right - r.left) * c.percent / 100;
    int fore = 0;
    for (int x = r.left; x < r.right; ++x) {
      const uint32_t pixel = shot_.rgb(x, y);
      ASSERT_TRUE(pixel == kFore || pixel == kTrack) << x;
      fore += pixel == kFore;
      // Fore colour exactly left of the value's edge, track colour from it on.
      EXPECT_EQ(x < edge, pixel == kFore) << x;
    }
    EXPECT_EQ(edge - r.left, fore);
  }
}

TEST_F(ScreensTest, MarkupDrawsAnUnderlinedAndAColouredRun) {
  // The underlined run of "i i i ...": only an underline makes a long unbroken dark row.
  const RECT u = rectOf(L"underlined");
  int longestRun = 0;
  for (int y = u.top; y < u.bottom; ++y) {
    int run = 0;
    for (int x = u.left; x < u.right; ++x) {
      const uint32_t pixel = shot_.rgb(x, y);
      const bool dark = ((pixel >> 16) & 0xFF) < 110 && ((pixel >> 8) & 0xFF) < 110 && (pixel & 0xFF) < 110;
      run = dark ? run + 1 : 0;
      if (run > longestRun) longestRun = run;
    }
  }
  EXPECT_GE(longestRun, 40);
  // The coloured run: red text pixels, and dark ones for the plain word before it.
  const RECT c = rectOf(L"coloured");
  int red = 0, dark = 0;
  for (int y = c.top; y < c.bottom; ++y) {
    for (int x = c.left; x < c.right; ++x) {
      const uint32_t pixel = shot_.rgb(x, y);
      const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
      red += r > 180 && g < 90 && b < 90;
      dark += r < 110 && g < 110 && b < 110;
    }
  }
  EXPECT_GT(red, 30);
  EXPECT_GT(dark, 30);
}

TEST_F(ScreensTest, TheHotImageShowsUnderTheMouse) {
  // The mouse over the big button: its hot image, saved for a look.
  gallery::pumpFor(20);
  PostMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(rectOf(L"bigbtn").left + 20, rectOf(L"bigbtn").top + 20));
  gallery::pumpFor(50);
  gallery::Shot hot = gallery::capture(hwnd_);
  EXPECT_TRUE(gallery::save(hot, L"gallery_hot.png"));
  EXPECT_EQ(0xDCDCFFu, hot.rgb(rectOf(L"bigbtn").left + 20, rectOf(L"bigbtn").top + 20));
}

// Every shipped language's window title and exit question in the gallery's labels, from the
// real table through "@" keys and with that language's face: real glyphs (fallback faces
// where the face lacks the script) and ink in both labels. Saved as label_<locale>.png.
TEST_F(ScreensTest, EveryLanguageShowsRealGlyphsInTheLabels) {
  const std::string table = testing_support::readFile(VEL_LANGUAGE_TABLE);
  ASSERT_FALSE(table.empty());
  std::vector<std::wstring> locales;
  std::string header = table.substr(0, table.find_first_of("\r\n"));
  for (size_t start = 0, cell = 0; start <= header.size(); ++cell) {
    size_t tab = std::min(header.find('\t', start), header.size());
    if (cell >= 2 && tab > start) locales.push_back(utility::fromUtf8(header.substr(start, tab - start)));
    start = tab + 1;
  }
  ASSERT_EQ(19u, locales.size());

  auto* tabs = window_->findControl<toolkit::CTabLayoutUI>(L"tabs");
  ASSERT_NE(nullptr, tabs);
  tabs->selectItem(1);
  toolkit::CControlUI* title = window_->findControl(L"title");
  toolkit::CControlUI* question = window_->findControl(L"page1");
  title->setText(L"@Title_wndTitle");
  question->setText(L"@MsgBox_exit");

  for (const std::wstring& locale : locales) {
    const std::string name = utility::toUtf8(locale);
    SCOPED_TRACE(name);
    setCurrentLanguage(locale, L"en_US");
    loadLanguageTable(table);
    std::wstring face = languageRecordFor(L"").fontFace;
    for (const wchar_t* code : {L"tw", L"kr", L"jp", L"vn", L"th", L"pt", L"ru", L"es", L"ar", L"de", L"fr", L"id"}) {
      if (languageRecordFor(code).localeName == locale) face = languageRecordFor(code).fontFace;
    }
    window_->addFont(1, face, 16, true);
    window_->setDefaultFont(face, 16);
    InvalidateRect(hwnd_, nullptr, FALSE);
    gallery::pumpFor(30);
    gallery::Shot shot = gallery::capture(hwnd_);
    EXPECT_TRUE(gallery::save(shot, L"label_" + locale + L".png"));

    for (toolkit::CControlUI* label : {title, question}) {
      const std::wstring text = label->displayText();
      ASSERT_NE(L'@', text[0]) << "the table lacks the key";
      const RECT r = label->pos();
      const uint32_t background = shot.rgb(r.left, r.top);
      int ink = 0;
      for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) ink += shot.rgb(x, y) != background;
      }
      EXPECT_GT(ink, 40) << "no ink";
      toolkit::ScreenDc screen;
      toolkit::TextStyle style;
      style.font = window_->fonts().get(label->font());
      toolkit::TextLayout layout(screen.get(), text, style, r.right - r.left);
      EXPECT_EQ(0, layout.missingGlyphs());
    }
  }
  setCurrentLanguage(L"en_US", L"en_US");
}

}  // namespace
