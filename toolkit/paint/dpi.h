#pragma once
// Dots per inch: the window's own, the scaling of the layouts' 96-DPI pixels to it, and
// whether the skin's enlarged (2x) images are used. Window thread state.
#include <windows.h>

namespace toolkit {

constexpr int kBaseDpi = 96;
// From 144 DPI (150 %) on, the 2x images are drawn instead of the 1x ones.
constexpr int kEnlargedDpi = 144;

// The window's DPI: GetDpiForWindow where the system has it (Windows 10 1607 on), else the
// screen's LOGPIXELSX (the system DPI, which is what a window gets before per-monitor DPI).
int windowDpi(HWND window);
// A length in 96-DPI pixels at dpi, rounded to the nearest pixel.
inline int scaleForDpi(int pixels, int dpi) { return dpi == kBaseDpi || dpi <= 0 ? pixels : MulDiv(pixels, dpi, kBaseDpi); }
inline RECT scaleForDpi(const RECT& r, int dpi) {
  return RECT{scaleForDpi(r.left, dpi), scaleForDpi(r.top, dpi), scaleForDpi(r.right, dpi), scaleForDpi(r.bottom, dpi)};
}
// Whether a window at dpi draws the 2x images.
inline bool enlargedAt(int dpi) { return dpi >= kEnlargedDpi; }

// The process-wide choice, for what is drawn before a window exists (a box's icon file).
bool enlargedImages();
void setEnlargedImages(bool on);
// Turns enlarged images on when the screen's DPI is 144 (150%) or more; never turns them off.
void detectEnlargedImages();

}  // namespace toolkit
