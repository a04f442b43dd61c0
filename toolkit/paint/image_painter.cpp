#include "toolkit/paint/image_painter.h"

#include <algorithm>

#include "toolkit/paint/gdi_handle.h"
#include "toolkit/paint/image_cache.h"
#include "toolkit/paint/nine_slice.h"
#include "utility/log.h"

namespace toolkit {
namespace {

RECT clipToImage(const RECT& source, int width, int height) {
  return RECT{std::max<LONG>(source.left, 0), std::max<LONG>(source.top, 0), std::min<LONG>(source.right, width),
              std::min<LONG>(source.bottom, height)};
}

}  // namespace

bool drawImage(HDC dc, const RECT& dest, const ImageSpec& spec) {
  const DecodedImage* image = ImageCache::instance().get(spec.file);
  if (!image) return false;
  RECT source = spec.hasSource ? clipToImage(spec.source, image->width, image->height)
                               : RECT{0, 0, image->width, image->height};
  RECT target = dest;
  if (spec.hasDest) {
    target = RECT{dest.left + spec.dest.left, dest.top + spec.dest.top, dest.left + spec.dest.right,
                  dest.top + spec.dest.bottom};
  }
  if (source.right <= source.left || source.bottom <= source.top) {
    VEL_LOG(L"image source outside %s", spec.file.c_str());
    return false;
  }
  if (spec.fade == 0) return true;

  UniqueMemoryDc memory(dc);
  if (!memory) return false;
  SelectObjectScope selected(memory.get(), image->bitmap);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, spec.fade, static_cast<BYTE>(image->hasAlpha ? AC_SRC_ALPHA : 0)};
  bool drawn = true;
  for (const SlicePiece& piece : nineSlice(target, source, spec.corner)) {
    const RECT& from = piece.source;
    const RECT& to = piece.dest;
    if (!AlphaBlend(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, memory.get(), from.left, from.top,
                    from.right - from.left, from.bottom - from.top, blend)) {
      drawn = false;
    }
  }
  if (!drawn) VEL_LOG(L"AlphaBlend failed for %s, error %lu", spec.file.c_str(), GetLastError());
  return drawn;
}

bool drawImage(HDC dc, const RECT& dest, const std::wstring& attribute) {
  ImageSpec spec;
  if (!parseImageSpec(attribute, &spec)) return false;
  return drawImage(dc, dest, spec);
}

}  // namespace toolkit
