// Layouts built from small XML texts: the window's attributes and fonts, unknown tags,
// bad attributes, and the combo's items.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "toolkit/builder.h"
#include "toolkit/builder_callback.h"
#include "toolkit/combo.h"
#include "toolkit/container.h"
#include "toolkit/gdi_handles.h"
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
  auto* custom = toolkit::controlAs<toolkit::CContainerUI>(root->findByName(L"custom"));
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
  EXPECT_EQ(toolkit::CLabelUI::Align::kLeft, toolkit::controlAs<toolkit::CLabelUI>(root.get())->align());
}

TEST(BuilderTest, ComboItemsCarryTextAndUserData) {
  auto root = toolkit::buildLayout(R"(<Combo selectedid="1"><Item text="English" userdata="en"/>
      <Item text="Deutsch" userdata="de"/><Label text="not an item"/></Combo>)", nullptr, nullptr);
  auto* combo = toolkit::controlAs<toolkit::CComboUI>(root.get());
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

// Runs work on a thread of its own and tells whether it came back. A stack overflow ends
// the process on Windows, but under Wine only the thread, and a process whose last thread
// ended that way exits with 0: the caller must see the difference.
bool returns(const std::function<void()>& work) {
  bool done = false;
  std::thread thread([&] {
    work();
    done = true;
  });
  thread.join();
  return done;
}

// A layout of depth containers nested in one another, the innermost named "deepest".
std::string nestedLayout(int depth) {
  std::string xml = "<Window size='100,100'>";
  for (int i = 1; i < depth; ++i) xml += "<VerticalLayout>";
  xml += "<Container name='deepest' bkcolor='#FF00FF00'/>";
  for (int i = 1; i < depth; ++i) xml += "</VerticalLayout>";
  return xml + "</Window>";
}

TEST(BuilderTest, LayoutsDeeperThanTheLimitAreRefusedBeforeBuilding) {
  struct Case {
    int depth;
    bool built;
  } cases[] = {{toolkit::kMaxNestingDepth, true}, {toolkit::kMaxNestingDepth + 1, false}, {100000, false}};
  for (const Case& c : cases) {
    const bool returned = returns([&] {
      auto root = toolkit::buildLayout(nestedLayout(c.depth), nullptr, nullptr);
      EXPECT_EQ(c.built, root != nullptr) << c.depth;
      if (!root) return;
      // Every walk over the deepest tree allowed: layout, search, hit test, paint, destruction.
      root->setPos(RECT{0, 0, 100, 100});
      toolkit::CControlUI* deepest = root->findByName(L"deepest");
      ASSERT_NE(nullptr, deepest);
      EXPECT_EQ(100, deepest->pos().right);
      EXPECT_EQ(deepest, root->findControlAt(POINT{50, 50}));
      toolkit::MemoryCanvas canvas(nullptr, 100, 100);
      ASSERT_TRUE(canvas.valid());
      root->paint(canvas.dc(), RECT{0, 0, 100, 100});
      EXPECT_EQ(RGB(0, 255, 0), GetPixel(canvas.dc(), 50, 50));
    });
    EXPECT_TRUE(returned) << c.depth;
  }
}

TEST(BuilderTest, ContainersRefuseAChildThatWouldNestTooDeep) {
  // A chain of height containers, built from the innermost outwards.
  auto chain = [](int height) {
    auto top = std::make_unique<toolkit::CContainerUI>();
    for (int level = 1; level < height; ++level) {
      auto outer = std::make_unique<toolkit::CContainerUI>();
      if (!outer->add(std::move(top))) return std::unique_ptr<toolkit::CContainerUI>();
      top = std::move(outer);
    }
    return top;
  };
  struct Case {
    int height;  // of the chain added below one new container
    bool accepted;
  } cases[] = {{toolkit::kMaxNestingDepth - 1, true}, {toolkit::kMaxNestingDepth, false}};
  for (const Case& c : cases) {
    auto parent = std::make_unique<toolkit::CContainerUI>();
    auto child = chain(c.height);
    ASSERT_NE(nullptr, child) << c.height;
    EXPECT_EQ(c.accepted, parent->add(std::move(child)) != nullptr) << c.height;
    EXPECT_EQ(c.accepted ? 1 : 0, parent->getCount()) << c.height;
  }
  // Wrapping one container in another, again and again, stops at the limit.
  bool refused = false;
  EXPECT_TRUE(returns([&] { refused = chain(100000) == nullptr; }));
  EXPECT_TRUE(refused);
}

}  // namespace
