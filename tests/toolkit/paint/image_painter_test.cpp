// Skin images drawn into a DIB: per-pixel alpha, fade, source parts, nine-slice, the cache.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/toolkit/paint/paint_surface.h"
#include "toolkit/paint/image_cache.h"
#include "toolkit/paint/image_painter.h"

namespace {

using namespace paint_testing;

struct Rgba {
  uint8_t r, g, b, a;
};

class ImagePainter : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing_support::makeTempDir(L"paint");
    toolkit::ImageCache::instance().clear();
  }
  void TearDown() override {
    toolkit::ImageCache::instance().clear();
    testing_support::removeTree(folder_);
  }
  // Writes a PNG of width x height from pixel(x, y) and returns its absolute path.
  template <typename Pixel>
  std::wstring writePng(const wchar_t* name, int width, int height, Pixel pixel) {
    std::vector<Rgba> pixels;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) pixels.push_back(pixel(x, y));
    }
    std::wstring path = folder_ + L"\\" + name;
    EXPECT_TRUE(testing_support::writeFile(path, encodePng(&pixels[0].r, width, height)));
    return path;
  }
  std::wstring folder_;
};

bool looksLike(uint32_t rgb, int r, int g, int b, int tolerance = 3) {
  return std::abs(red(rgb) - r) <= tolerance && std::abs(green(rgb) - g) <= tolerance &&
         std::abs(blue(rgb) - b) <= tolerance;
}

TEST_F(ImagePainter, PerPixelAlphaAndFadeOverABackground) {
  // Left half opaque red, right half blue at half alpha, bottom row fully transparent.
  std::wstring path = writePng(L"alpha.png", 4, 4, [](int x, int y) {
    if (y == 3) return Rgba{255, 255, 255, 0};
    return x < 2 ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, 128};
  });
  Surface surface(4, 4);
  surface.fill(RGB(0, 255, 0));
  ASSERT_TRUE(toolkit::drawImage(surface.dc(), RECT{0, 0, 4, 4}, path));
  EXPECT_TRUE(looksLike(surface.pixel(0, 0), 255, 0, 0)) << std::hex << surface.pixel(0, 0);
  EXPECT_TRUE(looksLike(surface.pixel(3, 1), 0, 127, 128)) << std::hex << surface.pixel(3, 1);
  EXPECT_TRUE(looksLike(surface.pixel(1, 3), 0, 255, 0)) << "transparent pixels leave the background";

  surface.fill(RGB(0, 255, 0));
  ASSERT_TRUE(toolkit::drawImage(surface.dc(), RECT{0, 0, 4, 4}, L"file='" + path + L"' fade='128'"));
  EXPECT_TRUE(looksLike(surface.pixel(0, 0), 128, 127, 0)) << std::hex << surface.pixel(0, 0);
  EXPECT_TRUE(looksLike(surface.pixel(3, 1), 0, 191, 64, 4)) << std::hex << surface.pixel(3, 1);
}

TEST_F(ImagePainter, SourcePartIsStretchedOverTheDestination) {
  std::wstring path = writePng(L"strip.png", 4, 1, [](int x, int) {
    const Rgba colours[] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {0, 0, 0, 255}};
    return colours[x];
  });
  Surface surface(10, 10);
  ASSERT_TRUE(toolkit::drawImage(surface.dc(), RECT{0, 0, 10, 10}, L"file='" + path + L"' source='2,0,3,1'"));
  EXPECT_TRUE(looksLike(surface.pixel(0, 0), 0, 0, 255));
  EXPECT_TRUE(looksLike(surface.pixel(9, 9), 0, 0, 255));
  // A source reaching past the image is cut to it.
  ASSERT_TRUE(toolkit::drawImage(surface.dc(), RECT{0, 0, 10, 10}, L"file='" + path + L"' source='3,0,9,5'"));
  EXPECT_TRUE(looksLike(surface.pixel(5, 5), 0, 0, 0));
  EXPECT_FALSE(toolkit::drawImage(surface.dc(), RECT{0, 0, 10, 10}, L"file='" + path + L"' source='4,0,9,5'"));
  // The dest key places the image inside the control's rectangle.
  surface.fill(RGB(255, 255, 255));
  ASSERT_TRUE(toolkit::drawImage(surface.dc(), RECT{0, 0, 10, 10}, L"file='" + path + L"' source='0,0,1,1' dest='5,5,7,7'"));
  EXPECT_TRUE(looksLike(surface.pixel(4, 4), 255, 255, 255));
  EXPECT_TRUE(looksLike(surface.pixel(5, 5), 255, 0, 0));
  EXPECT_TRUE(looksLike(surface.pixel(7, 7), 255, 255, 255));
}

TEST_F(ImagePainter, NineSliceKeepsCornerPixelsAtTwoSizes) {
  // 9 x 9: each 3 x 3 corner has its own pattern (a distinct colour per pixel), the rest grey.
  auto pattern = [](int x, int y) {
    const bool cornerX = x < 3 || x >= 6, cornerY = y < 3 || y >= 6;
    if (!cornerX || !cornerY) return Rgba{128, 128, 128, 255};
    return Rgba{static_cast<uint8_t>(x * 28), static_cast<uint8_t>(y * 28), static_cast<uint8_t>(200 - x * 10), 255};
  };
  std::wstring path = writePng(L"frame.png", 9, 9, pattern);
  for (SIZE size : {SIZE{40, 20}, SIZE{90, 70}}) {
    Surface surface(size.cx, size.cy);
    ASSERT_TRUE(toolkit::drawImage(surface.dc(), RECT{0, 0, size.cx, size.cy},
                                   L"file='" + path + L"' corner='3,3,3,3'"));
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 3; ++x) {
        struct {
          int sx, sy, dx, dy;
        } corners[] = {{x, y, x, y},
                       {6 + x, y, size.cx - 3 + x, y},
                       {x, 6 + y, x, size.cy - 3 + y},
                       {6 + x, 6 + y, size.cx - 3 + x, size.cy - 3 + y}};
        for (const auto& c : corners) {
          Rgba want = pattern(c.sx, c.sy);
          EXPECT_TRUE(looksLike(surface.pixel(c.dx, c.dy), want.r, want.g, want.b, 0))
              << size.cx << "x" << size.cy << " at " << c.dx << "," << c.dy;
        }
      }
    }
    EXPECT_TRUE(looksLike(surface.pixel(size.cx / 2, size.cy / 2), 128, 128, 128, 0));
    EXPECT_TRUE(looksLike(surface.pixel(size.cx / 2, 1), 128, 128, 128, 0)) << "edges stretched";
  }
}

TEST_F(ImagePainter, FailuresAreReportedAndRemembered) {
  Surface surface(4, 4);
  const std::wstring missing = folder_ + L"\\later.png";
  EXPECT_FALSE(toolkit::drawImage(surface.dc(), RECT{0, 0, 4, 4}, missing));
  EXPECT_FALSE(toolkit::drawImage(surface.dc(), RECT{0, 0, 4, 4}, L""));
  // The failure is kept: the file that appears later is read only after clear().
  writePng(L"later.png", 1, 1, [](int, int) { return Rgba{0, 0, 0, 255}; });
  EXPECT_EQ(nullptr, toolkit::ImageCache::instance().get(missing));
  toolkit::ImageCache::instance().clear();
  const toolkit::DecodedImage* image = toolkit::ImageCache::instance().get(missing);
  ASSERT_NE(nullptr, image);
  EXPECT_EQ(1, image->width);
  EXPECT_FALSE(image->hasAlpha);
  EXPECT_EQ(image, toolkit::ImageCache::instance().get(missing)) << "decoded once";

  const std::wstring damaged = folder_ + L"\\damaged.png";
  std::string bytes = encodePng(std::vector<uint8_t>(64 * 4, 0x7F).data(), 8, 8);
  testing_support::writeFile(damaged, bytes.substr(0, bytes.size() / 2));
  EXPECT_FALSE(toolkit::drawImage(surface.dc(), RECT{0, 0, 4, 4}, damaged));
  testing_support::writeFile(folder_ + L"\\text.png", "not an image at all");
  EXPECT_FALSE(toolkit::drawImage(surface.dc(), RECT{0, 0, 4, 4}, folder_ + L"\\text.png"));
}

// Each format the skin may use, made by ImageMagick at build time: a 2 x 2 red image.
TEST(ImageDecode, EveryFormatOfTheSkinDecodes) {
  for (const char* format : {"png", "jpg", "bmp", "gif"}) {
    const std::string bytes =
        testing_support::readFile(paint_testing::hostPath((std::string(VEL_IMAGE_SAMPLES_DIR) + "red." + format).c_str()));
    ASSERT_FALSE(bytes.empty()) << format;
    toolkit::DecodedImage image;
    ASSERT_TRUE(toolkit::decodeImage(bytes, &image)) << format;
    EXPECT_EQ(2, image.width) << format;
    EXPECT_EQ(2, image.height) << format;
    DIBSECTION dib{};
    ASSERT_EQ(static_cast<int>(sizeof(dib)), GetObjectW(image.bitmap, sizeof(dib), &dib)) << format;
    const uint8_t* bgra = static_cast<const uint8_t*>(dib.dsBm.bmBits);
    EXPECT_GT(bgra[2], 200) << format;
    EXPECT_LT(bgra[1], 60) << format;
    DeleteObject(image.bitmap);
  }
}

}  // namespace
