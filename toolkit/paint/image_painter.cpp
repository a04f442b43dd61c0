#include "toolkit/paint/image_painter.h"

#include <algorithm>
#include <cwchar>

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

constexpr wchar_t kEnlargedFolder[] = L"commonEnalarge/";

RECT doubled(const RECT& r) { return RECT{2 * r.left, 2 * r.top, 2 * r.right, 2 * r.bottom}; }

}  // namespace

std::wstring enlargedImageFile(const std::wstring& file) {
  const size_t slash = file.find_last_of(L"/\\");
  return kEnlargedFolder + (slash == std::wstring::npos ? file : file.substr(slash + 1));
}

bool drawImage(HDC dc, const RECT& dest, const ImageSpec& request, int dpi) {
  const DecodedImage* image = ImageCache::instance().get(request.file);
  if (!image) return false;
  RECT source = request.hasSource ? clipToImage(request.source, image->width, image->height)
                                  : RECT{0, 0, image->width, image->height};
  RECT corner = request.corner;
  const RECT destCorner = scaleForDpi(request.corner, dpi);
  if (enlargedAt(dpi) && request.file.compare(0, wcslen(kEnlargedFolder), kEnlargedFolder) != 0) {
    // Skin images without a 2x version are stretched from the 1x one.
    const DecodedImage* enlarged = ImageCache::instance().get(enlargedImageFile(request.file), false);
    if (enlarged && enlarged->width == 2 * image->width && enlarged->height == 2 * image->height) {
      image = enlarged;
      source = doubled(source);
      corner = doubled(corner);
    }
  }
  RECT target = dest;
  if (request.hasDest) {
    const RECT offset = scaleForDpi(request.dest, dpi);
    target = RECT{dest.left + offset.left, dest.top + offset.top, dest.left + offset.right, dest.top + offset.bottom};
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
  for (const SlicePiece& piece : nineSlice(target, source, corner, destCorner)) {
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

bool drawImage(HDC dc, const RECT& dest, const std::wstring& attribute, int dpi) {
  ImageSpec request;
  if (!parseImageSpec(attribute, &request)) return false;
  return drawImage(dc, dest, request, dpi);
}

}  // namespace toolkit
