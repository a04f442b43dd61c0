// The layouts' attribute values: rectangles, colours, flags, numbers and image descriptions.
#include <gtest/gtest.h>

#include "toolkit/paint/attribute_parse.h"

namespace {

using namespace toolkit;

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(AttributeParse, Rects) {
  struct Case {
    const wchar_t* text;
    bool ok;
    RECT expected;
  } cases[] = {
      {L"1,2,3,4", true, {1, 2, 3, 4}},
      {L" -5 , 0,\t12 , -1 ", true, {-5, 0, 12, -1}},
      {L"0,0,0,0", true, {0, 0, 0, 0}},
      {L"1,2,3", false, {}},
      {L"1,2,3,4,5", false, {}},
      {L"1,,3,4", false, {}},
      {L"1,2,3,x", false, {}},
      {L"1.5,2,3,4", false, {}},
      {L"", false, {}},
      {L"99999999999,0,0,0", false, {}},
  };
  for (const Case& c : cases) {
    RECT out{7, 7, 7, 7};
    EXPECT_EQ(c.ok, parseRect(c.text, &out)) << c.text;
    EXPECT_TRUE(sameRect(c.ok ? c.expected : RECT{7, 7, 7, 7}, out)) << c.text;
  }
  SIZE size{};
  EXPECT_TRUE(parseSize(L"120, 30", &size));
  EXPECT_EQ(120, size.cx);
  EXPECT_EQ(30, size.cy);
  EXPECT_FALSE(parseSize(L"120", &size));
}

TEST(AttributeParse, ColoursBoolsAndInts) {
  struct ColourCase {
    const wchar_t* text;
    bool ok;
    uint32_t argb;
  } colours[] = {
      {L"#268fd6", true, 0xFF268FD6}, {L"#268FD6", true, 0xFF268FD6}, {L"#80268fd6", true, 0x80268FD6},
      {L"0x00ff00", true, 0xFF00FF00}, {L"0X7f00ff00", true, 0x7F00FF00}, {L" #000000 ", true, 0xFF000000},
      {L"#fff", false, 0},             {L"268fd6", false, 0},             {L"#26 8fd6", false, 0},
      {L"#ggggggg", false, 0},         {L"0x", false, 0},                 {L"#1234567", false, 0},
  };
  for (const ColourCase& c : colours) {
    uint32_t out = 1;
    EXPECT_EQ(c.ok, parseColor(c.text, &out)) << c.text;
    EXPECT_EQ(c.ok ? c.argb : 1u, out) << c.text;
  }

  struct BoolCase {
    const wchar_t* text;
    bool ok;
    bool value;
  } bools[] = {{L"true", true, true}, {L"FALSE", true, false}, {L"1", true, true}, {L" 0 ", true, false},
               {L"yes", false, false}, {L"", false, false}, {L"2", false, false}};
  for (const BoolCase& c : bools) {
    bool out = !c.value;
    EXPECT_EQ(c.ok, parseBool(c.text, &out)) << c.text;
    if (c.ok) {
      EXPECT_EQ(c.value, out) << c.text;
    }
  }

  int value = 3;
  EXPECT_TRUE(parseInt(L"-2147483648", &value));
  EXPECT_EQ(-2147483647 - 1, value);
  EXPECT_FALSE(parseInt(L"2147483648", &value));
  EXPECT_FALSE(parseInt(L"-", &value));
  EXPECT_FALSE(parseInt(L"12px", &value));
  EXPECT_EQ(-2147483647 - 1, value);
}

TEST(AttributeParse, ImageSpecs) {
  struct Case {
    const wchar_t* text;
    bool ok;
    const wchar_t* file;
    bool hasSource;
    RECT source;
    RECT corner;
    int fade;
  } cases[] = {
      {L"btn.png", true, L"btn.png", false, {}, {}, 255},
      {L"  common\\btn_close.png ", true, L"common\\btn_close.png", false, {}, {}, 255},
      {L"file='common\\bk.png' source='0,0,20,20' corner='4,4,4,4'", true, L"common\\bk.png", true, {0, 0, 20, 20},
       {4, 4, 4, 4}, 255},
      {L"corner=\"2,3,4,5\" fade=\"200\" file=\"a b.png\"", true, L"a b.png", false, {}, {2, 3, 4, 5}, 200},
      {L"file = 'x.png'  hole='1' mask='#ff00ff00'", true, L"x.png", false, {}, {}, 255},
      {L"file='x.png' source='0,0,20'", false, nullptr, false, {}, {}, 0},
      {L"file='x.png' fade='256'", false, nullptr, false, {}, {}, 0},
      {L"file='x.png", false, nullptr, false, {}, {}, 0},
      {L"source='0,0,1,1'", false, nullptr, false, {}, {}, 0},
      {L"", false, nullptr, false, {}, {}, 0},
      {L"   ", false, nullptr, false, {}, {}, 0},
  };
  for (const Case& c : cases) {
    ImageSpec image;
    image.file = L"untouched";
    ASSERT_EQ(c.ok, parseImageSpec(c.text, &image)) << c.text;
    if (!c.ok) {
      EXPECT_EQ(L"untouched", image.file);
      continue;
    }
    EXPECT_EQ(c.file, image.file) << c.text;
    EXPECT_EQ(c.hasSource, image.hasSource) << c.text;
    EXPECT_TRUE(sameRect(c.source, image.source)) << c.text;
    EXPECT_TRUE(sameRect(c.corner, image.corner)) << c.text;
    EXPECT_EQ(c.fade, image.fade) << c.text;
  }
  ImageSpec placed;
  ASSERT_TRUE(parseImageSpec(L"file='i.png' dest='2,2,18,18'", &placed));
  EXPECT_TRUE(placed.hasDest);
  EXPECT_TRUE(sameRect(RECT{2, 2, 18, 18}, placed.dest));
}

}  // namespace
