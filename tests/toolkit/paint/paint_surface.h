#pragma once
// A 32-bit top-down DIB selected into a memory DC for the painting tests, with pixel reads,
// PNG bytes and host paths for files the tests read or write.
#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/paint/gdi_handle.h"

namespace paint_testing {

class Surface {
 public:
  Surface(int width, int height);
  ~Surface() { SelectObject(dc_.get(), previous_); }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  void fill(COLORREF color);
  // 0xRRGGBB of the pixel.
  uint32_t pixel(int x, int y) const;
  // Pixels in rect darker than the threshold on every channel.
  int countInk(const RECT& rect, int threshold = 128) const;
  // The bounding box of the ink; empty when there is none.
  RECT inkBounds(const RECT& rect, int threshold = 128) const;
  std::string png() const;

 private:
  int width_, height_;
  toolkit::UniqueMemoryDc dc_;
  toolkit::UniqueBitmap bitmap_;
  uint32_t* bits_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// RGBA pixels (row-major, 4 bytes each) as PNG bytes.
std::string encodePng(const uint8_t* rgba, int width, int height);

// A host path handed in by the build ("/x/y") as Wine sees it ("Z:\x\y").
std::wstring hostPath(const char* unixPath);

int red(uint32_t rgb);
int green(uint32_t rgb);
int blue(uint32_t rgb);

}  // namespace paint_testing
