#pragma once
// The keyboard focus ring of the design language: a 2-pixel accent line (#268fd6) around
// the focused control, 1 pixel off its edge, with a 1-pixel white line inside it so that
// the ring stays visible on white surfaces, on the grey title bar and next to the deep
// accent of the primary buttons. Sizes are for 96 DPI and grow with the window's DPI.
#include <windows.h>

namespace toolkit {

constexpr COLORREF kFocusRingColor = RGB(0x26, 0x8F, 0xD6);

// The area the ring of a control covers: what must be repainted when it comes or goes.
RECT focusRingBounds(const RECT& control, int dpi = 96);
void drawFocusRing(HDC dc, const RECT& control, int dpi = 96);

}  // namespace toolkit
