#include "toolkit/gdi_handles.h"

namespace toolkit {

MemoryCanvas::MemoryCanvas(HDC reference, int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) return;
  dc_ = CreateCompatibleDC(reference);
  if (!dc_) return;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
  if (bitmap_) previous_ = SelectObject(dc_, bitmap_);
}

MemoryCanvas::~MemoryCanvas() {
  if (dc_ && previous_) SelectObject(dc_, previous_);
  if (bitmap_) DeleteObject(bitmap_);
  if (dc_) DeleteDC(dc_);
}

}  // namespace toolkit
