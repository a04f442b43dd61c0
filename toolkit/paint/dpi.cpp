#include "toolkit/paint/dpi.h"

#include <windows.h>

#include "toolkit/paint/gdi_handle.h"

namespace toolkit {
namespace {

bool g_enlarged = false;

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Looked up once: the installer also runs on Vista and 7, whose user32 lacks it.
GetDpiForWindowFunction getDpiForWindow() {
  static const GetDpiForWindowFunction function = [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<GetDpiForWindowFunction>(
                        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")))
                  : nullptr;
  }();
  return function;
}

int screenDpi() {
  ScreenDc screen;
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int windowDpi(HWND window) {
  if (window) {
    if (GetDpiForWindowFunction function = getDpiForWindow()) {
      const UINT dpi = function(window);
      if (dpi > 0) return static_cast<int>(dpi);
    }
  }
  return screenDpi();
}

bool enlargedImages() { return g_enlarged; }

void setEnlargedImages(bool on) { g_enlarged = on; }

void detectEnlargedImages() {
  if (enlargedAt(screenDpi())) g_enlarged = true;
}

}  // namespace toolkit
