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

bool drawImage(HDC dc, const RECT& dest, const ImageSpec& request) {
  const DecodedImage* image = ImageCache::instance().get(request.file);
  if (!image) return false;
  RECT source = request.hasSource ? clipToImage(request.source, image->width, image->height)
                                  : RECT{0, 0, image->width, image->height};
  RECT target = dest;
  if (request.hasDest) {
    target = RECT{dest.left + request.dest.left, dest.top + request.dest.top, dest.left + request.dest.right,
                  dest.top + request.dest.bottom};
  }
  if (source.right <= source.left || source.bottom <= source.top) {
    VEL_LOG(L"image source outside %s", request.file.c_str());
    return false;
  }
  if (request.fade == 0) return true;

  UniqueMemoryDc memory(dc);
  if (!memory) return false;
  SelectObjectScope selected(memory.get(), image->bitmap);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, request.fade, static_cast<BYTE>(image->hasAlpha ? AC_SRC_ALPHA : 0)};
  bool drawn = true;
  for (const SlicePiece& piece : nineSlice(target, source, request.corner)) {
    const RECT& from = piece.source;
    const RECT& to = piece.dest;
    if (!AlphaBlend(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, memory.get(), from.left, from.top,
                    from.right - from.left, from.bottom - from.top, blend)) {
      drawn = false;
    }
  }
  if (!drawn) VEL_LOG(L"AlphaBlend failed for %s, error %lu", request.file.c_str(), GetLastError());
  return drawn;
}

bool drawImage(HDC dc, const RECT& dest, const std::wstring& attribute) {
  ImageSpec request;
  if (!parseImageSpec(attribute, &request)) return false;
  return drawImage(dc, dest, request);
}

}  // namespace toolkit
