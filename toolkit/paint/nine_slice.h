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
// The same with the borders in dest given apart: an image drawn at another scale than its
// own keeps its corners at that scale (a 1x image on a 2x screen, a 2x image's corners).
std::vector<SlicePiece> nineSlice(const RECT& dest, const RECT& source, const RECT& corner, const RECT& destCorner);

}  // namespace toolkit
