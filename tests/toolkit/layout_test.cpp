// Box layout arithmetic, alone and through nested containers built from XML.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/builder.h"
#include "toolkit/container.h"
#include "toolkit/control_host.h"
#include "toolkit/layout.h"
#include "toolkit/paint/font_table.h"

namespace {

using toolkit::LayoutItem;

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string show(const std::vector<RECT>& rects) {
  std::string text;
  for (const RECT& r : rects) {
    text += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
            std::to_string(r.bottom) + ")";
  }
  return text;
}

struct StackCase {
  const char* what;
  bool vertical;
  RECT area;
  int childPadding;
  std::vector<LayoutItem> items;
  std::vector<RECT> expected;
};

LayoutItem fixed(int width, int height, RECT padding = {}) { return LayoutItem{true, width, height, padding}; }
LayoutItem flexible(RECT padding = {}) { return LayoutItem{true, 0, 0, padding}; }
LayoutItem hidden(int width, int height) { return LayoutItem{false, width, height, {}}; }

// A window of some DPI for a tree built without one.
class DpiHost : public toolkit::ControlHost {
 public:
  explicit DpiHost(int dpi) : dpi_(dpi) {}
  HWND hwnd() const override { return nullptr; }
  const toolkit::FontTable& fonts() const override { return fonts_; }
  void invalidate(const RECT&) override {}
  void needLayout() override {}
  void sendNotify(toolkit::CControlUI*, const wchar_t*, WPARAM, LPARAM) override {}
  toolkit::CControlUI* focusedControl() const override { return nullptr; }
  void setFocusedControl(toolkit::CControlUI*) override {}
  toolkit::CControlUI* rootControl() const override { return nullptr; }
  int dpi() const override { return dpi_; }
  void controlRemoved(toolkit::CControlUI*) override {}

 private:
  int dpi_;
  toolkit::FontTable fonts_;
};

TEST(LayoutTest, StacksFixedAndFlexibleItems) {
  const std::vector<StackCase> cases = {
      {"fixed heights from the top, full width", true, {0, 0, 100, 100}, 0,
       {fixed(0, 10), fixed(0, 20)}, {{0, 0, 100, 10}, {0, 10, 100, 30}}},
      {"one flexible item takes the rest", true, {0, 0, 100, 100}, 0,
       {fixed(0, 10), flexible(), fixed(0, 20)}, {{0, 0, 100, 10}, {0, 10, 100, 80}, {0, 80, 100, 100}}},
      {"flexible items share equally, the odd pixels go to the first", true, {0, 0, 50, 11}, 0,
       {flexible(), flexible(), flexible()}, {{0, 0, 50, 4}, {0, 4, 50, 8}, {0, 8, 50, 11}}},
      {"child padding between visible items only", false, {0, 0, 100, 20}, 5,
       {fixed(10, 0), hidden(30, 0), fixed(10, 0), flexible()},
       {{0, 0, 10, 20}, {10, 0, 10, 0}, {15, 0, 25, 20}, {30, 0, 100, 20}}},
      {"margins push the item and shrink it across", false, {10, 10, 110, 40}, 0,
       {fixed(20, 0, {2, 3, 4, 5}), flexible({1, 0, 0, 0})}, {{12, 13, 32, 35}, {37, 10, 110, 40}}},
      {"a fixed cross size is kept", false, {0, 0, 100, 50}, 0, {fixed(10, 20)}, {{0, 0, 10, 20}}},
      {"too little room: flexible items get nothing, fixed ones keep their size", true, {0, 0, 10, 15}, 0,
       {fixed(0, 10), flexible(), fixed(0, 10)}, {{0, 0, 10, 10}, {0, 10, 10, 10}, {0, 10, 10, 20}}},
      {"hidden items take no space", true, {0, 0, 10, 30}, 4,
       {hidden(0, 50), flexible(), hidden(0, 10)}, {{0, 0, 0, 0}, {0, 0, 10, 30}, {0, 30, 0, 30}}},
  };
  for (const StackCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<RECT> got = c.vertical ? toolkit::layoutVertical(c.area, c.items, c.childPadding)
                                             : toolkit::layoutHorizontal(c.area, c.items, c.childPadding);
    EXPECT_EQ(show(c.expected), show(got));
  }
}

TEST(LayoutTest, DeflateNeverInverts) {
  EXPECT_TRUE((RECT{5, 5, 15, 15}) == toolkit::deflate({0, 0, 20, 20}, {5, 5, 5, 5}));
  EXPECT_TRUE((RECT{15, 15, 15, 15}) == toolkit::deflate({0, 0, 20, 20}, {15, 15, 15, 15}));
}

TEST(LayoutTest, NestedContainersApplyInsetsPaddingAndVisibility) {
  const char* xml = R"(<Window><VerticalLayout name="root" inset="10,10,10,10" childpadding="5">
      <HorizontalLayout name="row" height="30" childpadding="2" inset="1,1,1,1">
        <Control name="a" width="20"/><Control name="b"/><Control name="gone" width="50" visible="false"/>
        <Control name="c" width="10" padding="3,0,0,0"/>
      </HorizontalLayout>
      <Container name="plain" inset="4,4,4,4"><Control name="inner" height="8"/></Container>
      <TabLayout name="tabs" height="20" selectedid="1"><Control name="page0"/><Control name="page1"/></TabLayout>
    </VerticalLayout></Window>)";
  std::unique_ptr<toolkit::CControlUI> root = toolkit::buildLayout(xml, nullptr, nullptr);
  ASSERT_NE(nullptr, root);
  root->setPos({0, 0, 200, 120});
  auto pos = [&](const wchar_t* name) { return show({root->findByName(name)->pos()}); };
  EXPECT_EQ("(10,10,190,40)", pos(L"row"));
  // Row interior 11..189: a 20, c 10 + 3 margin, two gaps of 2 (the hidden one adds none).
  EXPECT_EQ("(11,11,31,39)", pos(L"a"));
  EXPECT_EQ("(33,11,174,39)", pos(L"b"));
  EXPECT_EQ("(179,11,189,39)", pos(L"c"));
  // The plain container takes what is left between the row and the tabs.
  EXPECT_EQ("(10,45,190,85)", pos(L"plain"));
  EXPECT_EQ("(14,49,186,57)", pos(L"inner"));
  EXPECT_EQ("(10,90,190,110)", pos(L"tabs"));
  EXPECT_FALSE(root->findByName(L"page0")->isVisible());
  EXPECT_TRUE(root->findByName(L"page1")->isVisible());

  // At twice the DPI in twice the area, every size, inset and padding doubles with it.
  const std::vector<const wchar_t*> names = {L"row", L"a", L"b", L"c", L"plain", L"inner", L"tabs"};
  std::vector<RECT> at96;
  for (const wchar_t* name : names) at96.push_back(root->findByName(name)->pos());
  DpiHost host(192);
  root->setHost(&host);
  root->setPos({0, 0, 400, 240});
  for (size_t i = 0; i < names.size(); ++i) {
    const RECT& r = at96[i];
    EXPECT_EQ(show({RECT{2 * r.left, 2 * r.top, 2 * r.right, 2 * r.bottom}}), pos(names[i])) << "at 192 DPI";
  }
  root->setHost(nullptr);
}

}  // namespace
