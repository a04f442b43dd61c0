#pragma once
// Owners for the window-side handles: back buffers, regions and child windows. The GDI
// object owners and the saved DC state come from the painting layer.
#include <windows.h>

#include "toolkit/paint/gdi_handle.h"

namespace toolkit {

using UniqueRegion = UniqueGdiObject<HRGN>;

// A memory DC with a 32-bit top-down DIB of the given size selected into it: the back
// buffer of a window's painting and the canvas of its screenshots.
class MemoryCanvas {
 public:
  MemoryCanvas(HDC reference, int width, int height);
  ~MemoryCanvas();
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  bool valid() const { return dc_ && bitmap_; }
  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // BGRA pixels, rows top-down, width * 4 bytes each; valid while the canvas lives.
  const unsigned char* pixels() const { return static_cast<const unsigned char*>(bits_); }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  void* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// Owns a window (a native child or a pop-up) and destroys it once.
class UniqueWindow {
 public:
  UniqueWindow() = default;
  explicit UniqueWindow(HWND window) : window_(window) {}
  ~UniqueWindow() { reset(); }
  UniqueWindow(const UniqueWindow&) = delete;
  UniqueWindow& operator=(const UniqueWindow&) = delete;

  HWND get() const { return window_; }
  explicit operator bool() const { return window_ != nullptr; }
  // Forgets a window that Windows destroyed already (with its parent).
  HWND release() {
    HWND window = window_;
    window_ = nullptr;
    return window;
  }
  void reset(HWND window = nullptr) {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    window_ = window;
  }

 private:
  HWND window_ = nullptr;
};

}  // namespace toolkit
