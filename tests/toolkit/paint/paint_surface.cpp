#include "tests/toolkit/paint/paint_surface.h"

#include <algorithm>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include "stb_image_write.h"

namespace paint_testing {

Surface::Surface(int width, int height) : width_(width), height_(height), dc_(nullptr) {
  void* bits = nullptr;
  bitmap_.reset(toolkit::createTopDownBitmap(nullptr, width, height, &bits));
  bits_ = static_cast<uint32_t*>(bits);
  previous_ = SelectObject(dc_.get(), bitmap_.get());
  fill(RGB(255, 255, 255));
}

void Surface::fill(COLORREF color) {
  toolkit::UniqueBrush brush(CreateSolidBrush(color));
  RECT all{0, 0, width_, height_};
  FillRect(dc_.get(), &all, brush.get());
  GdiFlush();
}

uint32_t Surface::pixel(int x, int y) const {
  GdiFlush();
  return bits_[static_cast<size_t>(y) * width_ + x] & 0xFFFFFF;
}

int Surface::countInk(const RECT& rect, int threshold) const {
  int count = 0;
  for (int y = std::max<LONG>(rect.top, 0); y < std::min<LONG>(rect.bottom, height_); ++y) {
    for (int x = std::max<LONG>(rect.left, 0); x < std::min<LONG>(rect.right, width_); ++x) {
      uint32_t p = pixel(x, y);
      if (red(p) < threshold && green(p) < threshold && blue(p) < threshold) ++count;
    }
  }
  return count;
}

RECT Surface::inkBounds(const RECT& rect, int threshold) const {
  RECT box{rect.right, rect.bottom, rect.left, rect.top};
  for (int y = std::max<LONG>(rect.top, 0); y < std::min<LONG>(rect.bottom, height_); ++y) {
    for (int x = std::max<LONG>(rect.left, 0); x < std::min<LONG>(rect.right, width_); ++x) {
      uint32_t p = pixel(x, y);
      if (red(p) < threshold && green(p) < threshold && blue(p) < threshold) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
    }
  }
  if (box.right <= box.left) return RECT{};
  return box;
}

std::string Surface::png() const {
  GdiFlush();
  std::string rgba(static_cast<size_t>(width_) * height_ * 4, '\0');
  for (int i = 0; i < width_ * height_; ++i) {
    uint32_t p = bits_[i];
    rgba[i * 4] = static_cast<char>((p >> 16) & 0xFF);
    rgba[i * 4 + 1] = static_cast<char>((p >> 8) & 0xFF);
    rgba[i * 4 + 2] = static_cast<char>(p & 0xFF);
    rgba[i * 4 + 3] = static_cast<char>(0xFF);
  }
  return encodePng(reinterpret_cast<const uint8_t*>(rgba.data()), width_, height_);
}

std::string encodePng(const uint8_t* rgba, int width, int height) {
  std::string bytes;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
      },
      &bytes, width, height, 4, rgba, width * 4);
  return bytes;
}

std::wstring hostPath(const char* unixPath) {
  std::wstring path = L"Z:";
  for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

int red(uint32_t rgb) { return (rgb >> 16) & 0xFF; }
int green(uint32_t rgb) { return (rgb >> 8) & 0xFF; }
int blue(uint32_t rgb) { return rgb & 0xFF; }

}  // namespace paint_testing
