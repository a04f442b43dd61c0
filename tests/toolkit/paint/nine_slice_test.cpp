// Geometry of nine-slice images.
#include <gtest/gtest.h>

#include "toolkit/paint/nine_slice.h"

namespace {

using toolkit::nineSlice;
using toolkit::SlicePiece;

int width(const RECT& r) { return r.right - r.left; }
int height(const RECT& r) { return r.bottom - r.top; }

TEST(NineSlice, CornersKeepTheirSizeEdgesStretchOneWay) {
  const RECT source{10, 20, 40, 50};  // 30 x 30 at an offset
  const RECT corner{4, 5, 6, 7};
  for (RECT dest : {RECT{0, 0, 100, 60}, RECT{-5, 3, 15, 25}}) {
    std::vector<SlicePiece> pieces = nineSlice(dest, source, corner);
    ASSERT_EQ(9u, pieces.size());
    long area = 0;
    for (const SlicePiece& piece : pieces) {
      area += static_cast<long>(width(piece.dest)) * height(piece.dest);
      EXPECT_GE(piece.source.left, source.left);
      EXPECT_LE(piece.source.right, source.right);
    }
    EXPECT_EQ(static_cast<long>(width(dest)) * height(dest), area) << "pieces tile the destination";
    const SlicePiece& topLeft = pieces[0];
    const SlicePiece& bottomRight = pieces[8];
    EXPECT_EQ(14, topLeft.source.right);
    EXPECT_EQ(25, topLeft.source.bottom);
    EXPECT_EQ(4, width(topLeft.dest));
    EXPECT_EQ(5, height(topLeft.dest));
    EXPECT_EQ(dest.left, topLeft.dest.left);
    EXPECT_EQ(6, width(bottomRight.dest));
    EXPECT_EQ(7, height(bottomRight.dest));
    EXPECT_EQ(dest.right, bottomRight.dest.right);
    EXPECT_EQ(dest.bottom, bottomRight.dest.bottom);
    EXPECT_EQ(40, bottomRight.source.right);
    const SlicePiece& top = pieces[1];
    EXPECT_EQ(5, height(top.dest)) << "top edge keeps its height";
    EXPECT_EQ(width(dest) - 10, width(top.dest));
    EXPECT_EQ(30 - 10, width(top.source));
    const SlicePiece& left = pieces[3];
    EXPECT_EQ(4, width(left.dest)) << "left edge keeps its width";
    EXPECT_EQ(height(dest) - 12, height(left.dest));
  }
  // A 2x image's corners read from it at its scale, drawn at the window's: 8 source pixels
  // of the 60 x 60 image onto 12 of the destination at 150 %.
  std::vector<SlicePiece> pieces = nineSlice(RECT{0, 0, 90, 60}, RECT{0, 0, 60, 60}, RECT{8, 8, 8, 8},
                                             RECT{12, 12, 12, 12});
  ASSERT_EQ(9u, pieces.size());
  EXPECT_EQ(8, width(pieces[0].source));
  EXPECT_EQ(12, width(pieces[0].dest));
  EXPECT_EQ(12, height(pieces[8].dest));
  EXPECT_EQ(90 - 24, width(pieces[4].dest));
}

TEST(NineSlice, BordersWiderThanTheDestinationShrink) {
  // 10 + 30 wide borders into 20 pixels: 5 and 15, no centre column.
  std::vector<SlicePiece> pieces = nineSlice(RECT{0, 0, 20, 100}, RECT{0, 0, 60, 60}, RECT{10, 10, 30, 10});
  ASSERT_EQ(6u, pieces.size());
  for (const SlicePiece& piece : pieces) {
    EXPECT_GT(width(piece.dest), 0);
    EXPECT_GT(height(piece.dest), 0);
    EXPECT_GT(width(piece.source), 0);
  }
  EXPECT_EQ(5, width(pieces[0].dest));
  EXPECT_EQ(15, width(pieces[1].dest));
  EXPECT_EQ(10, width(pieces[0].source)) << "the source corner is still read whole";

  // A source border shrunk to fit shrinks its destination border in proportion.
  pieces = nineSlice(RECT{0, 0, 100, 100}, RECT{0, 0, 10, 10}, RECT{10, 0, 10, 0}, RECT{20, 0, 20, 0});
  ASSERT_EQ(2u, pieces.size());
  EXPECT_EQ(5, width(pieces[0].source));
  EXPECT_EQ(10, width(pieces[0].dest));
  EXPECT_EQ(10, width(pieces[1].dest));

  // Borders larger than the source itself are fitted to it first.
  for (const SlicePiece& piece : nineSlice(RECT{0, 0, 8, 8}, RECT{0, 0, 4, 4}, RECT{50, 50, 50, 50})) {
    EXPECT_GT(width(piece.source), 0);
    EXPECT_LE(piece.source.right, 4);
    EXPECT_GT(width(piece.dest), 0);
  }
}

TEST(NineSlice, DegenerateInput) {
  std::vector<SlicePiece> one = nineSlice(RECT{0, 0, 50, 20}, RECT{2, 2, 12, 12}, RECT{0, 0, 0, 0});
  ASSERT_EQ(1u, one.size());
  EXPECT_EQ(50, width(one[0].dest));
  EXPECT_EQ(10, width(one[0].source));
  EXPECT_TRUE(nineSlice(RECT{0, 0, 0, 20}, RECT{0, 0, 10, 10}, RECT{2, 2, 2, 2}).empty());
  EXPECT_TRUE(nineSlice(RECT{0, 0, 20, 20}, RECT{10, 0, 5, 10}, RECT{2, 2, 2, 2}).empty());
  // Negative borders count as none.
  EXPECT_EQ(1u, nineSlice(RECT{0, 0, 20, 20}, RECT{0, 0, 10, 10}, RECT{-3, 0, -1, 0}).size());
  // Only a left border: two columns.
  EXPECT_EQ(2u, nineSlice(RECT{0, 0, 20, 20}, RECT{0, 0, 10, 10}, RECT{3, 0, 0, 0}).size());
}

}  // namespace
