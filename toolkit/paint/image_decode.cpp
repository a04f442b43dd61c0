#include <cstring>
#include <limits>

#include "stb_image.h"
#include "toolkit/paint/gdi_handle.h"
#include "toolkit/paint/image_cache.h"

namespace toolkit {
namespace {

struct StbPixels {
  explicit StbPixels(unsigned char* data) : data(data) {}
  ~StbPixels() {
    if (data) stbi_image_free(data);
  }
  StbPixels(const StbPixels&) = delete;
  StbPixels& operator=(const StbPixels&) = delete;
  unsigned char* data;
};

}  // namespace

bool decodeImage(const std::string& bytes, DecodedImage* out) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return false;
  int width = 0, height = 0, channels = 0;
  StbPixels pixels(stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()),
                                         &width, &height, &channels, 4));
  if (!pixels.data || width <= 0 || height <= 0) return false;

  void* bits = nullptr;
  HBITMAP bitmap = createTopDownBitmap(nullptr, width, height, &bits);
  if (!bitmap) return false;

  // RGBA straight alpha in, BGRA premultiplied out, as AlphaBlend wants it.
  bool hasAlpha = false;
  const unsigned char* from = pixels.data;
  auto* to = static_cast<unsigned char*>(bits);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (size_t i = 0; i < count; ++i, from += 4, to += 4) {
    const unsigned alpha = from[3];
    if (alpha != 255) hasAlpha = true;
    to[0] = static_cast<unsigned char>((from[2] * alpha + 127) / 255);
    to[1] = static_cast<unsigned char>((from[1] * alpha + 127) / 255);
    to[2] = static_cast<unsigned char>((from[0] * alpha + 127) / 255);
    to[3] = static_cast<unsigned char>(alpha);
  }
  GdiFlush();
  out->width = width;
  out->height = height;
  out->bitmap = bitmap;
  out->hasAlpha = hasAlpha;
  return true;
}

}  // namespace toolkit
