// The main window's layout as a real window over the staged skin: every control the window
// code looks up exists with its kind on its page, each page lies inside the window with no
// two controls on top of each other and its texts whole, in short, long, right-to-left and
// Thai texts; the texts contrast with what is drawn under them. Screenshots of every page
// are saved under the build tree.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "skin/language_record.h"
#include "skin/language_table.h"
#include "tests/support/test_support.h"
#include "tests/ui/box_fixture.h"
#include "tests/ui/text_contrast.h"
#include "tests/ui/text_fit.h"
#include "toolkit/container.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "toolkit/option.h"
#include "toolkit/paint/text_painter.h"
#include "toolkit/progress.h"
#include "toolkit/tab_layout.h"
#include "toolkit/toolkit.h"
#include "toolkit/window_impl_base.h"
#include "utility/encoding.h"

namespace {

constexpr int kTitleBar = -1;  // outside "maintab": title bar and logo, on every page

struct Expected {
  const wchar_t* name;
  const wchar_t* kind;
  int page;
};

const Expected kControls[] = {
    {L"titlename", L"Label", kTitleBar},
    {L"languageCombo", L"Combo", kTitleBar},
    {L"joinfacebookBtn", L"Button", kTitleBar},
    {L"minbtn", L"Button", kTitleBar},
    {L"closebtn", L"Button", kTitleBar},
    {L"logoControl9", L"Container", kTitleBar},
    {L"logoControl", L"Container", kTitleBar},
    {L"maintab", L"TabLayout", kTitleBar},
    {L"protocoleLayout", L"Container", 0},
    {L"acceptprotocolopt", L"Option", 0},
    {L"LicenseAgreementText", L"Label", 0},
    {L"protocollinkbtn", L"Button", 0},
    {L"userdefinitionsui", L"Container", 0},
    {L"pathedit", L"Edit", 0},
    {L"browsebtn", L"Button", 0},
    {L"errorpathnoticeui", L"Container", 0},
    {L"pathErrorLabel", L"Label", 0},
    {L"userdefinitionLayout", L"Container", 0},
    {L"userdefinitionBtn", L"Button", 0},
    {L"backLayout", L"Container", 0},
    {L"backBtn", L"Button", 0},
    {L"installnowbtn", L"Button", 0},
    {L"protocoledit", L"RichEdit", 1},
    {L"confirmprotocolbtn", L"Button", 1},
    {L"loadingprogresslabel", L"Label", 2},
    {L"installprogressbar", L"Progress", 2},
    {L"downloadProgressLabel", L"Label", 2},
    {L"progress_install_label", L"Label", 2},
    {L"progress_finish_label", L"Label", 2},
    {L"homepageBtn", L"Button", 2},
    {L"tipInstallLabel", L"Label", 2},
    {L"apkinstallprogresslabel", L"Label", 3},
    {L"apkfilenamelabel", L"Label", 3},
    {L"apkinstallprogressbar", L"Progress", 3},
    {L"tastenowbtn", L"Button", 4},
};

// The locale's language code for the font record and the licence file.
std::wstring shortCode(const std::wstring& locale) {
  static const std::pair<const wchar_t*, const wchar_t*> kCodes[] = {
      {L"zh_CN", L"cn"}, {L"zh_TW", L"tw"}, {L"ko_KR", L"kr"}, {L"vi_VN", L"vn"}, {L"th_TH", L"th"},
      {L"in_ID", L"id"}, {L"ja_JP", L"jp"}, {L"ru_RU", L"ru"}, {L"pt_PT", L"pt"}, {L"es_ES", L"es"},
      {L"ar_IL", L"ar"}, {L"tr_TR", L"tr"}, {L"fr_FR", L"fr"}, {L"de_DE", L"de"}, {L"fa_IR", L"fa"}};
  for (const auto& code : kCodes) {
    if (locale == code.first) return code.second;
  }
  return L"en";
}

// The main window's frame only: the layout, the language's fonts as the window sets them.
class MainLayoutWindow : public toolkit::WindowImplBase {
 public:
  explicit MainLayoutWindow(std::wstring locale) : locale_(std::move(locale)) {}

 protected:
  const wchar_t* getWindowClassName() const override { return L"VelMainLayoutTest"; }
  UINT getClassStyle() const override { return 0x80B; }
  std::wstring getSkinFile() override { return L"mainframe.xml"; }
  void initWindow() override {
    const std::wstring face = languageRecordFor(shortCode(locale_)).fontFace;
    const int extra = locale_ == L"th_TH" ? 1 : 0;
    const int sizes[] = {12, 14, 16, 18, 20, 22, 24, 28, 32};
    setDefaultFont(face, 12 + extra);
    for (int id = 0; id < 9; ++id) addFont(id, face, sizes[id] + extra);
  }
  void onFinalMessage(HWND) override {}  // the test owns the object

 private:
  std::wstring locale_;
};

std::wstring text(const char* key) { return lookupTextOrKey(key); }

// The page of "maintab" a control is on, or kTitleBar.
int pageOf(toolkit::CControlUI* control, toolkit::CControlUI* tab) {
  for (toolkit::CControlUI* at = control; at && at->parent(); at = at->parent()) {
    if (at->parent() == tab) return toolkit::controlAs<toolkit::CContainerUI>(tab)->getItemIndex(at);
  }
  return kTitleBar;
}

bool isLeaf(toolkit::CControlUI* control) {
  auto* container = toolkit::controlAs<toolkit::CContainerUI>(control);
  return !container || container->getCount() == 0;
}

std::string narrow(const std::wstring& text) { return utility::toUtf8(text); }

class MainLayoutTest : public testing::TestWithParam<const wchar_t*> {
 protected:
  static void SetUpTestSuite() {
    for (const wchar_t* font : {L"Roboto-Regular.otf", L"NotoSans-Regular.otf"}) {
      AddFontResourceExW((std::wstring(VEL_FONTS_STAGE_DIR) + font).c_str(), FR_PRIVATE, nullptr);
    }
  }

  void SetUp() override {
    boxes::setUpSkin(GetParam());
    window_ = std::make_unique<MainLayoutWindow>(GetParam());
    hwnd_ = window_->create(nullptr, L"Main", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 100, 100);
    ASSERT_NE(nullptr, hwnd_);
    window_->showWindow(true, true);
    UpdateWindow(hwnd_);
    gallery::pumpFor(50);
    fillSampleTexts();
  }
  void TearDown() override {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    gallery::pumpFor(20);
    window_.reset();
    boxes::setUpSkin(L"en_US");
  }

  toolkit::CControlUI* find(const wchar_t* name) { return window_->findControl(name); }
  void show(const wchar_t* name, bool visible) {
    ASSERT_NE(nullptr, find(name)) << narrow(name);
    find(name)->setVisible(visible);
  }
  void selectPage(int index) {
    auto* tab = toolkit::controlAs<toolkit::CTabLayoutUI>(find(L"maintab"));
    ASSERT_TRUE(tab->selectItem(index));
  }

  // What the window puts into the controls that the layout leaves empty, at their longest.
  void fillSampleTexts() {
    find(L"pathedit")->setText(L"C:\\Program Files\\VelPlayer\\VelPlayer9\\");
    find(L"protocollinkbtn")->setText(L"<u>" + text("protocol_accept_btn") + L"</u>");
    find(L"loadingprogresslabel")->setText(text("Label_downloading") + L"(37%)");
    find(L"downloadProgressLabel")->setText(L"127.52M/345.00M");
    toolkit::controlAs<toolkit::CProgressUI>(find(L"installprogressbar"))->setValue(23);
    find(L"tipInstallLabel")->setText(text("turn_tip_3"));
    find(L"homepageBtn")->setText(L"https://www.velplayer.example/" + shortCode(GetParam()) + L"/");
    find(L"apkinstallprogresslabel")
        ->setText(text("progress_downloading_label2") + L" Kingdom Tactics (1/2)\xFF1A" L"127M / 345M (<c #268fd6>36%</c>)");
    find(L"apkfilenamelabel")->setText(L"Kingdom Tactics.xapk");
    toolkit::controlAs<toolkit::CProgressUI>(find(L"apkinstallprogressbar"))->setValue(36);
    const std::string licence =
        testing_support::readFile(std::wstring(VEL_LICENCE_DIR) + L"licence_" + shortCode(GetParam()) + L".txt");
    find(L"protocoledit")->setText(utility::fromUtf8(licence.substr(0, 3000)));
  }

  // Lays the window out, checks what is visible and saves it as main_<name>_<locale>.png.
  void checkScreen(const std::wstring& name) {
    SCOPED_TRACE(narrow(name));
    gallery::pumpFor(60);
    const gallery::Shot shot = gallery::capture(hwnd_);
    ASSERT_EQ(640, shot.width);
    ASSERT_EQ(400, shot.height);
    EXPECT_TRUE(gallery::save(shot, L"main_" + name + L"_" + GetParam() + L".png"));

    std::vector<toolkit::CControlUI*> leaves;
    window_->rootControl()->forEach([&](toolkit::CControlUI* control) {
      if (!control->isReallyVisible()) return;
      const RECT& r = control->pos();
      if (!control->name().empty()) {
        SCOPED_TRACE(narrow(control->name()));
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 640 && r.bottom <= 400) << "outside the window";
        EXPECT_TRUE(r.right > r.left && r.bottom > r.top) << "no room";
        if (control->parent()) {
          const RECT& p = control->parent()->pos();
          EXPECT_TRUE(r.left >= p.left && r.top >= p.top && r.right <= p.right && r.bottom <= p.bottom)
              << "outside its parent";
        }
      }
      // Unnamed plain controls are the layout's spacers.
      const bool spacer = control->name().empty() && wcscmp(control->getClass(), L"Control") == 0;
      if (isLeaf(control) && !spacer) leaves.push_back(control);
    });
    for (size_t i = 0; i < leaves.size(); ++i) {
      for (size_t j = i + 1; j < leaves.size(); ++j) {
        RECT overlap;
        EXPECT_FALSE(IntersectRect(&overlap, &leaves[i]->pos(), &leaves[j]->pos()))
            << narrow(leaves[i]->name()) << " overlaps " << narrow(leaves[j]->name());
      }
    }
    // Single lines fit their width (no ellipsis needed); wrapped texts fit their height.
    EXPECT_GT(textfit::expectTextsFit(*window_), 0);
    EXPECT_GE(contrast::checkTexts(window_->rootControl(), shot), 2);
    if (std::wstring(GetParam()) == L"en_US") printRects(name, leaves);
  }

  void printRects(const std::wstring& screen, const std::vector<toolkit::CControlUI*>& leaves) {
    std::vector<toolkit::CControlUI*> named;
    window_->rootControl()->forEach([&](toolkit::CControlUI* control) {
      if (control->isReallyVisible() && !control->name().empty()) named.push_back(control);
    });
    for (toolkit::CControlUI* control : named) {
      const RECT& r = control->pos();
      std::printf("rect %s %s %ld,%ld,%ld,%ld\n", narrow(screen).c_str(), narrow(control->name()).c_str(), r.left, r.top,
                  r.right, r.bottom);
    }
  }

  std::unique_ptr<MainLayoutWindow> window_;
  HWND hwnd_ = nullptr;
};

TEST_P(MainLayoutTest, EveryControlIsThereWithItsKindOnItsPage) {
  RECT client;
  GetClientRect(hwnd_, &client);
  EXPECT_EQ(640, client.right);
  EXPECT_EQ(400, client.bottom);
  const RECT& caption = window_->captionRect();
  EXPECT_TRUE(caption.left == 0 && caption.top == 0 && caption.right == 220 && caption.bottom == 180);
  toolkit::CControlUI* tab = find(L"maintab");
  ASSERT_NE(nullptr, tab);
  EXPECT_EQ(8, toolkit::controlAs<toolkit::CContainerUI>(tab)->getCount());
  for (const Expected& expected : kControls) {
    SCOPED_TRACE(narrow(expected.name));
    toolkit::CControlUI* control = find(expected.name);
    ASSERT_NE(nullptr, control);
    EXPECT_NE(nullptr, control->getInterface(expected.kind)) << "is a " << narrow(control->getClass());
    EXPECT_EQ(expected.page, pageOf(control, tab));
  }
  // Every "@key" of the layout is in the language table.
  window_->rootControl()->forEach([](toolkit::CControlUI* control) {
    for (const std::wstring& value : {control->text(), control->toolTip()}) {
      if (value.size() > 1 && value[0] == L'@') {
        EXPECT_TRUE(lookupText(value.substr(1))) << narrow(value);
      }
    }
  });
  // Mirrored for a right-to-left language: the check box right of its sentence, the title
  // bar's buttons at the left, close outermost.
  const bool mirrored = toolkit::isRightToLeftLanguage(GetParam());
  EXPECT_EQ(mirrored, find(L"acceptprotocolopt")->pos().left > find(L"LicenseAgreementText")->pos().left);
  EXPECT_EQ(mirrored, find(L"closebtn")->pos().left < find(L"minbtn")->pos().left);
  EXPECT_EQ(mirrored, find(L"titlename")->pos().left > find(L"closebtn")->pos().left);
  // The states the window starts from.
  EXPECT_FALSE(find(L"languageCombo")->isVisible());
  EXPECT_NE(find(L"logoControl")->isVisible(), find(L"logoControl9")->isVisible());
  EXPECT_FALSE(find(L"userdefinitionsui")->isVisible());
  EXPECT_FALSE(find(L"errorpathnoticeui")->isVisible());
  EXPECT_FALSE(find(L"backLayout")->isVisible());
  EXPECT_FALSE(find(L"homepageBtn")->isReallyVisible());
  EXPECT_TRUE(toolkit::controlAs<toolkit::COptionUI>(find(L"acceptprotocolopt"))->isSelected());
  EXPECT_TRUE(toolkit::controlAs<toolkit::CLabelUI>(find(L"apkinstallprogresslabel"))->markup());
  EXPECT_EQ(0, toolkit::controlAs<toolkit::CTabLayoutUI>(tab)->getCurSel());
}

TEST_P(MainLayoutTest, EveryPageFitsAndReads) {
  // 0: as the window opens, then with the path row, its error and the install button off.
  checkScreen(L"setup");
  show(L"userdefinitionsui", true);
  show(L"userdefinitionLayout", false);
  show(L"backLayout", true);
  find(L"installnowbtn")->setText(L"@Button_install_now");
  checkScreen(L"setup_path");
  show(L"errorpathnoticeui", true);
  for (const wchar_t* state : {L"normalimage", L"hotimage", L"focusedimage"}) {
    find(L"pathedit")->setAttribute(state, L"file='error_edit_bg.png' source='0,0,10,10' corner='4,4,4,4'");
  }
  find(L"installnowbtn")->setEnabled(false);
  checkScreen(L"setup_path_error");
  selectPage(1);
  checkScreen(L"licence");
  selectPage(2);
  checkScreen(L"progress");
  show(L"homepagerow", true);
  checkScreen(L"progress_homepage");
  selectPage(3);
  checkScreen(L"game");
  selectPage(4);
  checkScreen(L"finish");
  // The other mark in its place.
  show(L"logoControl", false);
  show(L"logoControl9", true);
  checkScreen(L"finish_logo9");
}

std::string localeName(const testing::TestParamInfo<const wchar_t*>& info) { return narrow(info.param); }

// Short, long, right-to-left and Thai texts; then every other language of the table.
INSTANTIATE_TEST_SUITE_P(Languages, MainLayoutTest, testing::Values(L"en_US", L"de_DE", L"ar_IL", L"th_TH"),
                         localeName);
INSTANTIATE_TEST_SUITE_P(MoreLanguages, MainLayoutTest,
                         testing::Values(L"zh_CN", L"zh_TW", L"ko_KR", L"vi_VN", L"in_ID", L"ja_JP", L"ru_RU", L"pt_PT",
                                         L"es_ES", L"tr_TR", L"fr_FR", L"it_IT", L"fa_IR", L"ms_MY", L"uk_UA"),
                         localeName);

}  // namespace
