#pragma once
// Geometry of a nine-slice (scalable) image: corners unscaled, edges stretched one way,
// the centre both ways.
#include <windows.h>

#include <vector>

namespace toolkit {

struct SlicePiece {
  RECT source;
  RECT dest;
};

// corner holds the left, top, right and bottom border widths in the source. Pieces with an
// empty source or dest are left out; borders wider than dest are shrunk proportionally so
// no piece has a negative size. An all-zero corner gives one piece, source onto dest.
std::vector<SlicePiece> nineSlice(const RECT& dest, const RECT& source, const RECT& corner);

}  // namespace toolkit
