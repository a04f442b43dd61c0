#include "toolkit/paint/image_cache.h"

#include <cassert>

#include "skin/skin_files.h"
#include "utility/log.h"

namespace toolkit {

ImageCache& ImageCache::instance() {
  static ImageCache cache;
  return cache;
}

// The process-wide cache ends with the process, maybe on another thread: no thread check here.
ImageCache::~ImageCache() { releaseAll(); }

void ImageCache::checkThread() {
#ifndef NDEBUG
  DWORD current = GetCurrentThreadId();
  if (thread_ == 0) thread_ = current;
  assert(thread_ == current && "the image cache is used from the window thread only");
#endif
}

const DecodedImage* ImageCache::get(const std::wstring& file, bool logMissing) {
  checkThread();
  auto found = images_.find(file);
  if (found != images_.end()) return found->second.get();

  std::unique_ptr<DecodedImage> image;
  std::string bytes;
  if (!getSkinFile(file, &bytes)) {
    if (logMissing) VEL_LOG(L"image file missing: %s", file.c_str());
  } else {
    auto decoded = std::make_unique<DecodedImage>();
    if (decodeImage(bytes, decoded.get())) {
      image = std::move(decoded);
    } else {
      VEL_LOG(L"image does not decode: %s (%u bytes)", file.c_str(), static_cast<unsigned>(bytes.size()));
    }
  }
  const DecodedImage* result = image.get();
  images_.emplace(file, std::move(image));
  return result;
}

void ImageCache::clear() {
  checkThread();
  releaseAll();
}

void ImageCache::releaseAll() {
  for (auto& entry : images_) {
    if (entry.second && entry.second->bitmap) DeleteObject(entry.second->bitmap);
  }
  images_.clear();
}

}  // namespace toolkit
