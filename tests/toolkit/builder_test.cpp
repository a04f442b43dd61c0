// Layouts built from small XML texts: the window's attributes and fonts, unknown tags,
// bad attributes, and the combo's items.
#include <gtest/gtest.h>

#include "toolkit/builder.h"
#include "toolkit/builder_callback.h"
#include "toolkit/combo.h"
#include "toolkit/container.h"
#include "toolkit/label.h"

namespace {

class CustomCallback : public toolkit::IDialogBuilderCallback {
 public:
  toolkit::CControlUI* createControl(const std::wstring& tag) override {
    asked.push_back(tag);
    if (tag == L"Swatch") return new toolkit::CContainerUI();
    return nullptr;
  }
  std::vector<std::wstring> asked;
};

TEST(BuilderTest, ReadsTheWindowAttributesAndFonts) {
  toolkit::WindowAttributes window;
  auto root = toolkit::buildLayout(R"(<Window size="640,400" caption="0,0,220,180" roundcorner="6,4" bkcolor="#FF101010">
      <Font id="1" name="Roboto" size="14" bold="true"/>
      <Font name="Noto Sans" size="12" default="true"/>
      <Font id="2" name="Roboto" size="zero" italic="true"/>
      <Label name="only"/></Window>)", nullptr, &window);
  ASSERT_NE(nullptr, root);
  EXPECT_TRUE(window.hasSize);
  EXPECT_EQ(640, window.size.cx);
  EXPECT_EQ(180, window.caption.bottom);
  EXPECT_EQ(220, window.caption.right);
  EXPECT_EQ(4, window.roundCorner.cy);
  EXPECT_EQ(0xFF101010u, window.bkColor);
  ASSERT_TRUE(window.hasDefaultFont);
  EXPECT_EQ(L"Noto Sans", window.defaultFont.face);
  ASSERT_EQ(2u, window.fonts.size());
  EXPECT_EQ(1, window.fonts[0].first);
  EXPECT_TRUE(window.fonts[0].second.bold);
  // A size that does not parse keeps the default size; the other values stay.
  EXPECT_EQ(12, window.fonts[1].second.size);
  EXPECT_TRUE(window.fonts[1].second.italic);
}

TEST(BuilderTest, UnknownTagsGoToTheCallbackAndAreSkippedWhenItRefuses) {
  CustomCallback callback;
  auto root = toolkit::buildLayout(R"(<Window><VerticalLayout>
      <Swatch name="custom" inset="1,2,3,4"><Label name="inside"/></Swatch>
      <Gadget name="unknown"><Label name="lost"/></Gadget>
      <Label name="after"/></VerticalLayout></Window>)", &callback, nullptr);
  ASSERT_NE(nullptr, root);
  EXPECT_EQ((std::vector<std::wstring>{L"Swatch", L"Gadget"}), callback.asked);
  auto* custom = static_cast<toolkit::CContainerUI*>(root->findByName(L"custom")->getInterface(L"Container"));
  ASSERT_NE(nullptr, custom);
  EXPECT_EQ(4, custom->inset().bottom);
  EXPECT_NE(nullptr, root->findByName(L"inside"));
  EXPECT_EQ(nullptr, root->findByName(L"unknown"));
  EXPECT_EQ(nullptr, root->findByName(L"lost"));
  EXPECT_NE(nullptr, root->findByName(L"after"));
  // Without a callback the same layout still builds.
  EXPECT_NE(nullptr, toolkit::buildLayout("<Window><VerticalLayout><Swatch/><Label name='x'/></VerticalLayout></Window>", nullptr, nullptr));
}

TEST(BuilderTest, BadAttributesAreIgnoredAndTheRestApplies) {
  auto root = toolkit::buildLayout(
      R"(<Label name="l" width="abc" height="30" textcolor="#GG0000" align="sideways" text="@sure" bogus="1"/>)",
      nullptr, nullptr);
  ASSERT_NE(nullptr, root);
  EXPECT_EQ(L"l", root->name());
  EXPECT_EQ(0, root->fixedWidth());
  EXPECT_EQ(30, root->fixedHeight());
  EXPECT_EQ(0xFF000000u, root->textColor());
  EXPECT_EQ(L"@sure", root->text());
  EXPECT_EQ(toolkit::CLabelUI::Align::kLeft, static_cast<toolkit::CLabelUI*>(root->getInterface(L"Label"))->align());
}

TEST(BuilderTest, ComboItemsCarryTextAndUserData) {
  auto root = toolkit::buildLayout(R"(<Combo selectedid="1"><Item text="English" userdata="en"/>
      <Item text="Deutsch" userdata="de"/><Label text="not an item"/></Combo>)", nullptr, nullptr);
  auto* combo = static_cast<toolkit::CComboUI*>(root->getInterface(L"Combo"));
  ASSERT_NE(nullptr, combo);
  ASSERT_EQ(2, combo->getItemCount());
  EXPECT_EQ(1, combo->getCurSel());
  EXPECT_EQ(L"de", combo->getItemAt(1)->userData);
  EXPECT_EQ(L"Deutsch", combo->getText());
  EXPECT_FALSE(combo->selectItem(2));
  EXPECT_EQ(nullptr, combo->getItemAt(2));
}

TEST(BuilderTest, BrokenOrEmptyLayoutsGiveNoTree) {
  for (const char* xml : {"", "<Window", "<Window size='1,1'/>", "<Window><Font id='0'/></Window>", "<Nothing/>"}) {
    EXPECT_EQ(nullptr, toolkit::buildLayout(xml, nullptr, nullptr)) << xml;
  }
  EXPECT_EQ(nullptr, toolkit::buildLayoutFile(L"no/such/layout.xml", nullptr, nullptr));
}

}  // namespace
