#pragma once
// Decoded skin images, by file name. Window thread only: the cache is not locked, and in
// debug builds it asserts that every call comes from the thread of the first one.
#include <windows.h>

#include <map>
#include <memory>
#include <string>

namespace toolkit {

// A 32-bit top-down DIB section with premultiplied alpha.
struct DecodedImage {
  int width = 0;
  int height = 0;
  HBITMAP bitmap = nullptr;
  bool hasAlpha = false;
};

// Decodes PNG, JPEG, BMP and GIF bytes into a DecodedImage whose bitmap the caller owns.
// False when the bytes are not such an image.
bool decodeImage(const std::string& bytes, DecodedImage* out);

class ImageCache {
 public:
  static ImageCache& instance();
  ImageCache() = default;
  ~ImageCache();
  ImageCache(const ImageCache&) = delete;
  ImageCache& operator=(const ImageCache&) = delete;

  // The image read with getSkinFile and decoded, or null when the file is missing or does
  // not decode. Failures are remembered too: a missing file is asked for once. A file that
  // may well be missing (an optional 2x version) is looked for without a log line.
  const DecodedImage* get(const std::wstring& file, bool logMissing = true);
  // Deletes every bitmap; the next get() reads the files again.
  void clear();
  size_t size() const { return images_.size(); }

 private:
  void checkThread();
  void releaseAll();
  // Null entries remember failures.
  std::map<std::wstring, std::unique_ptr<DecodedImage>> images_;
  DWORD thread_ = 0;
};

}  // namespace toolkit
