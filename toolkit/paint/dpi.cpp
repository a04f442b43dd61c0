#include "toolkit/paint/dpi.h"

#include <windows.h>

#include "toolkit/paint/gdi_handle.h"

namespace toolkit {
namespace {

bool g_enlarged = false;

constexpr int kEnlargedDpi = 144;  // 150 %

}  // namespace

bool enlargedImages() { return g_enlarged; }

void setEnlargedImages(bool on) { g_enlarged = on; }

void detectEnlargedImages() {
  ScreenDc screen;
  if (screen.get() && GetDeviceCaps(screen.get(), LOGPIXELSX) >= kEnlargedDpi) g_enlarged = true;
}

}  // namespace toolkit
