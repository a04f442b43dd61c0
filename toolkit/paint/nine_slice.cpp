#include "toolkit/paint/nine_slice.h"

#include <algorithm>

namespace toolkit {
namespace {

// Two borders of one axis fitted into length: each kept when they fit together, else both
// shrunk in proportion so their sum is the length.
void fitBorders(int length, int* first, int* second) {
  *first = std::max(0, *first);
  *second = std::max(0, *second);
  length = std::max(0, length);
  long long sum = static_cast<long long>(*first) + *second;
  if (sum <= length) return;
  int scaled = static_cast<int>(static_cast<long long>(*first) * length / sum);
  *first = scaled;
  *second = length - scaled;
}

// The three spans [start, a), [a, b), [b, end) of one axis.
struct Spans {
  int edges[4];
};

Spans spans(int start, int end, int first, int second) {
  return Spans{{start, start + first, end - second, end}};
}

}  // namespace

std::vector<SlicePiece> nineSlice(const RECT& dest, const RECT& source, const RECT& corner) {
  return nineSlice(dest, source, corner, corner);
}

std::vector<SlicePiece> nineSlice(const RECT& dest, const RECT& source, const RECT& corner, const RECT& destCorner) {
  std::vector<SlicePiece> pieces;
  const int sourceWidth = source.right - source.left, sourceHeight = source.bottom - source.top;
  const int destWidth = dest.right - dest.left, destHeight = dest.bottom - dest.top;
  if (sourceWidth <= 0 || sourceHeight <= 0 || destWidth <= 0 || destHeight <= 0) return pieces;

  if (corner.left <= 0 && corner.top <= 0 && corner.right <= 0 && corner.bottom <= 0) {
    pieces.push_back(SlicePiece{source, dest});
    return pieces;
  }

  int sl = corner.left, sr = corner.right, st = corner.top, sb = corner.bottom;
  fitBorders(sourceWidth, &sl, &sr);
  fitBorders(sourceHeight, &st, &sb);
  // A source border that had to shrink shrinks its destination border in proportion.
  auto destBorder = [](int wanted, int kept, int given) {
    return wanted > 0 && kept < wanted ? static_cast<int>(static_cast<long long>(given) * kept / wanted) : given;
  };
  int dl = destBorder(corner.left, sl, destCorner.left), dr = destBorder(corner.right, sr, destCorner.right);
  int dt = destBorder(corner.top, st, destCorner.top), db = destBorder(corner.bottom, sb, destCorner.bottom);
  fitBorders(destWidth, &dl, &dr);
  fitBorders(destHeight, &dt, &db);

  const Spans sx = spans(source.left, source.right, sl, sr), sy = spans(source.top, source.bottom, st, sb);
  const Spans dx = spans(dest.left, dest.right, dl, dr), dy = spans(dest.top, dest.bottom, dt, db);
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      RECT from{sx.edges[column], sy.edges[row], sx.edges[column + 1], sy.edges[row + 1]};
      RECT to{dx.edges[column], dy.edges[row], dx.edges[column + 1], dy.edges[row + 1]};
      if (from.right <= from.left || from.bottom <= from.top) continue;
      if (to.right <= to.left || to.bottom <= to.top) continue;
      pieces.push_back(SlicePiece{from, to});
    }
  }
  return pieces;
}

}  // namespace toolkit
