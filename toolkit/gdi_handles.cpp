#include "toolkit/gdi_handles.h"

namespace toolkit {

MemoryCanvas::MemoryCanvas(HDC reference, int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) return;
  dc_ = CreateCompatibleDC(reference);
  if (!dc_) return;
  bitmap_ = createTopDownBitmap(dc_, width, height, &bits_);
  if (bitmap_) previous_ = SelectObject(dc_, bitmap_);
}

MemoryCanvas::~MemoryCanvas() {
  if (dc_ && previous_) SelectObject(dc_, previous_);
  if (bitmap_) DeleteObject(bitmap_);
  if (dc_) DeleteDC(dc_);
}

}  // namespace toolkit
