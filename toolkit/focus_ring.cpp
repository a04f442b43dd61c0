#include "toolkit/focus_ring.h"

#include "toolkit/gdi_handles.h"

namespace toolkit {

namespace {

constexpr int kGap = 1;
constexpr int kLine = 2;
constexpr int kCorner = 6;

int scaled(int pixels, int dpi) { return MulDiv(pixels, dpi > 0 ? dpi : 96, 96); }

RECT inflated(const RECT& r, int by) { return RECT{r.left - by, r.top - by, r.right + by, r.bottom + by}; }

void fillRing(HDC dc, const RECT& outer, int width, int corner, COLORREF color) {
  UniqueRegion outside(CreateRoundRectRgn(outer.left, outer.top, outer.right + 1, outer.bottom + 1, corner, corner));
  const RECT inner = inflated(outer, -width);
  const int innerCorner = corner > 2 * width ? corner - 2 * width : 0;
  UniqueRegion inside(CreateRoundRectRgn(inner.left, inner.top, inner.right + 1, inner.bottom + 1, innerCorner,
                                         innerCorner));
  UniqueBrush brush(CreateSolidBrush(color));
  if (!outside || !inside || !brush) return;
  CombineRgn(outside.get(), outside.get(), inside.get(), RGN_DIFF);
  FillRgn(dc, outside.get(), brush.get());
}

}  // namespace

RECT focusRingBounds(const RECT& control, int dpi) {
  return inflated(control, scaled(kGap + kLine, dpi) + 1);
}

void drawFocusRing(HDC dc, const RECT& control, int dpi) {
  if (control.right <= control.left || control.bottom <= control.top) return;
  const int gap = scaled(kGap, dpi), line = scaled(kLine, dpi);
  const int corner = 2 * scaled(kCorner, dpi);
  fillRing(dc, inflated(control, gap), gap, corner, RGB(0xFF, 0xFF, 0xFF));
  fillRing(dc, inflated(control, gap + line), line, corner + 2 * line, kFocusRingColor);
}

}  // namespace toolkit
