// The whole normal install in a language other than English, the language taken from the
// campaign copy's file name, with a screenshot of every page and box on the way.
#include <gtest/gtest.h>

#include <cmath>

// The skin's PNG art read back, in this program only.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include "tests/e2e/e2e_support.h"
#include "tests/support/standin_http.h"
#include "utility/encoding.h"

using namespace e2e;
using namespace testing_support;

namespace {

// The text of key in the language table's column for locale (tab-separated, a header row
// of locale names).
std::string tableText(const std::string& key, const std::string& locale) {
  std::vector<std::string> rows = readLines(VEL_E2E_LANGUAGE_TABLE);
  auto split = [](const std::string& line) {
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
      fields.push_back(line.substr(from, tab - from));
    }
    fields.push_back(line.substr(from));
    return fields;
  };
  if (rows.empty()) return std::string();
  std::vector<std::string> header = split(rows[0]);
  size_t column = 0;
  for (size_t i = 0; i < header.size(); ++i) column = header[i] == locale ? i : column;
  for (const std::string& row : rows) {
    std::vector<std::string> fields = split(row);
    if (column > 0 && fields.size() > column && fields[1] == key) return fields[column];
  }
  return std::string();
}

std::string caption(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return utility::toUtf8(text);
}

struct Language {
  const char* locale;      // the language table's column
  const wchar_t* token;    // the region and language part of the file name
  bool rightToLeft;        // the windows are mirrored: a control's x from the other edge
};

const Language kLanguages[] = {
    {"zh_CN", L"cn", false}, {"ar_IL", L"ar", true}, {"de_DE", L"de", false}, {"th_TH", L"th", false}};

POINT placed(const Language& language, POINT point, int windowWidth) {
  return language.rightToLeft ? POINT{windowWidth - point.x, point.y} : point;
}

// The DPI of the programs this Wine session starts from now on: the user's LogPixels,
// put back as it was when the object goes.
class SessionDpi {
 public:
  explicit SessionDpi(DWORD dpi) {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    DWORD type = 0, size = sizeof(previous_);
    hadPrevious_ = RegQueryValueExW(key_, L"LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&previous_), &size) ==
                       ERROR_SUCCESS &&
                   type == REG_DWORD;
    set_ = RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi)) ==
           ERROR_SUCCESS;
  }
  ~SessionDpi() {
    if (!key_) return;
    if (hadPrevious_) {
      RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous_), sizeof(previous_));
    } else {
      RegDeleteValueW(key_, L"LogPixels");
    }
    RegCloseKey(key_);
  }
  SessionDpi(const SessionDpi&) = delete;
  SessionDpi& operator=(const SessionDpi&) = delete;
  bool set() const { return set_; }

 private:
  HKEY key_ = nullptr;
  DWORD previous_ = 0;
  bool hadPrevious_ = false;
  bool set_ = false;
};

// A skin image composited on white, as 0xRRGGBB, scaled up by pixel repetition; empty when
// the file does not load.
struct Art {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;
};

Art loadArt(const std::string& file, int repeat) {
  Art art;
  int width = 0, height = 0, channels = 0;
  unsigned char* pixels = stbi_load((std::string(VEL_E2E_SKIN_IMAGES) + file).c_str(), &width, &height, &channels, 4);
  if (!pixels) return art;
  art.width = width * repeat;
  art.height = height * repeat;
  for (int y = 0; y < art.height; ++y) {
    for (int x = 0; x < art.width; ++x) {
      const unsigned char* p = pixels + 4 * ((y / repeat) * width + x / repeat);
      uint32_t rgb = 0;
      for (int c = 0; c < 3; ++c) rgb = (rgb << 8) | static_cast<uint32_t>((p[c] * p[3] + 255 * (255 - p[3]) + 127) / 255);
      art.rgb.push_back(rgb);
    }
  }
  stbi_image_free(pixels);
  return art;
}

// The mean difference per colour channel between the art and the shot at origin.
double meanDifference(const Screenshot& shot, POINT origin, const Art& art) {
  if (art.rgb.empty()) return 255;
  double sum = 0;
  for (int y = 0; y < art.height; ++y) {
    for (int x = 0; x < art.width; ++x) {
      const uint32_t have = shot.rgb(origin.x + x, origin.y + y), want = art.rgb[static_cast<size_t>(y * art.width + x)];
      for (int shift = 0; shift < 24; shift += 8) {
        sum += std::abs(static_cast<int>((have >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF));
      }
    }
  }
  return sum / (3.0 * art.width * art.height);
}

}  // namespace

class LanguageFlow : public InstallerFlow, public ::testing::WithParamInterface<Language> {};

TEST_P(LanguageFlow, TheNormalInstallRunsInTheLanguageOfTheFileName) {
  const Language& language = GetParam();
  const std::wstring install = dir_ + L"player\\";
  const PlayerCalls calls = recordPlayerCalls(install);
  // The setup answers a little late, so that the progress page can be seen.
  ASSERT_TRUE(armFault("path=/download/package/VelPlayer9.0.exe&fault=hold&delay_ms=3000&count=1"));
  ChildProcess* installer = start(campaignCopy(std::wstring(L"VelPlayer9_") + language.token + L"_10203_e2e"));
  ASSERT_NE(nullptr, installer);
  const std::wstring prefix;  // the test's name carries the locale
  std::string why;
  ASSERT_TRUE(runFlowStep(flowStep("window", nullptr, "window", 60), *installer, setupRecord_, &why)) << why;
  HWND window = findMainWindow(installer->processId(), 0);
  pumpFor(500);  // the first paint
  EXPECT_TRUE(shoot(window, prefix + L"1_setup"));
  const std::string title = tableText("Title_wndTitle", language.locale);
  EXPECT_FALSE(title.empty());
  EXPECT_EQ(title, caption(window));
  EXPECT_NE(tableText("Title_wndTitle", "en_US"), caption(window));

  // The exit question on the setup page, answered "No".
  ASSERT_TRUE(clickAt(window, placed(language, at::kClose, 640)));
  HWND box = waitForWindowOfClass(installer->processId(), L"box", 10000);
  ASSERT_NE(nullptr, box);
  pumpFor(300);
  EXPECT_TRUE(shoot(box, prefix + L"2_exit_box"));
  ASSERT_TRUE(clickAt(box, placed(language, at::kExitNo, 436)));
  // The box gone and the window it disabled enabled again, before the next click.
  ASSERT_TRUE(pumpUntil([&] { return !IsWindow(box) && IsWindowEnabled(window); }, 10000));
  pumpFor(500);

  // The path row, then Install from where the button then is.
  ASSERT_TRUE(clickAt(window, at::kSetupPath));
  pumpFor(500);
  EXPECT_TRUE(shoot(window, prefix + L"3_setup_path"));
  const POINT installNow = at::kInstallWithPathRow;
  ASSERT_TRUE(runFlowStep(flowStep("install", &installNow, "request:/download/package/VelPlayer9.0.exe", 60), *installer,
                          setupRecord_, &why))
      << why;
  pumpFor(800);
  EXPECT_TRUE(shoot(window, prefix + L"4_progress"));
  ASSERT_TRUE(runFlowStep(flowStep("finish", nullptr, "event:downloader_full_duration", 120), *installer, setupRecord_,
                          &why))
      << why;
  pumpFor(500);
  EXPECT_TRUE(shoot(window, prefix + L"5_finish"));
  const POINT startPlayer = at::kStart;
  ASSERT_TRUE(runFlowStep(flowStep("start_player", &startPlayer, "exit", 30), *installer, setupRecord_, &why)) << why;
  EXPECT_EQ(0, installer->waitForExit(0));

  // Installed with the language handed to the setup, and the player started.
  const InstallVerdict verdict = judgeInstall(setupRecord_);
  EXPECT_TRUE(verdict.installed()) << verdict.line();
  EXPECT_NE(std::string::npos, verdict.setupCommandLine.find(" -language=" + utility::toUtf8(language.token) + " "))
      << verdict.setupCommandLine;
  EXPECT_TRUE(pumpUntil([&] { return !readLines(calls.player).empty(); }, 10000));
  EXPECT_TRUE(inOrder(collectedEventKeys(), normalRunEvents()));
}

// At 192 DPI (150 % and more) the windows are drawn at the screen's DPI rather than
// stretched: twice the size of the 96 DPI window, with the skin's 2x art.
class HighDpiFlow : public InstallerFlow, public ::testing::WithParamInterface<Language> {
 protected:
  // The main window of a fresh installer of the language, painted; null when none showed.
  HWND startWindow(const Language& language) {
    seeRealPixels();
    installer_ = start(campaignCopy(std::wstring(L"VelPlayer9_") + language.token + L"_10203_e2e"));
    if (!installer_) return nullptr;
    processId_ = installer_->processId();
    HWND window = findMainWindow(processId_, 60000);
    if (window) pumpFor(800);  // the first paint
    return window;
  }
  // A thread that is not DPI aware gets other windows' rectangles scaled to 96 DPI; the
  // harness measures real pixels.
  static void seeRealPixels() {
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto set = user32 ? reinterpret_cast<SetContext>(
                            reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")))
                      : nullptr;
    const HANDLE perMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
    if (set) set(perMonitorAware);
  }
  ChildProcess* installer_ = nullptr;
  DWORD processId_ = 0;
};

TEST_P(HighDpiFlow, TheWindowsScaleWithTheDpiAndDrawTheEnlargedArt) {
  const Language& language = GetParam();
  HWND normal = startWindow(language);
  ASSERT_NE(nullptr, normal);
  const Screenshot at96 = captureWindow(normal);
  ASSERT_EQ(640, at96.width);
  ASSERT_EQ(400, at96.height);
  // Gone before the next one starts, which would otherwise hand over to it.
  installer_->kill();
  ASSERT_NE(-1, installer_->waitForExit(10000));

  SessionDpi dpi(192);
  ASSERT_TRUE(dpi.set());
  HWND window = startWindow(language);
  ASSERT_NE(nullptr, window);
  const Screenshot at192 = captureWindow(window);
  EXPECT_TRUE(shoot(window, L"192dpi_setup"));
  EXPECT_EQ(2 * at96.width, at192.width);
  EXPECT_EQ(2 * at96.height, at192.height);

  // The product mark of a variant 9 copy, 56 x 56 at (292, 65) at 96 DPI and centred in both
  // directions: at 192 DPI it matches the 2x art, not the 1x art stretched.
  const POINT logo = {2 * 292, 2 * 65};
  const double toEnlarged = meanDifference(at192, logo, loadArt("commonEnalarge/logo9.png", 1));
  const double toStretched = meanDifference(at192, logo, loadArt("logo9.png", 2));
  EXPECT_LT(toEnlarged, 1.0) << "stretched 1x art differs by " << toStretched;
  EXPECT_LT(2 * toEnlarged, toStretched);
  EXPECT_LT(meanDifference(at96, POINT{292, 65}, loadArt("logo9.png", 1)), 2.0) << "the mark is where the test looks";

  // A box of the window, twice its 96 DPI size too, and its caption answers at the doubled
  // place: the exit question from the close button, answered "No".
  const POINT close = placed(language, at::kClose, 640);
  ASSERT_TRUE(clickAt(window, POINT{2 * close.x, 2 * close.y}));
  HWND box = waitForWindowOfClass(processId_, L"box", 10000);
  ASSERT_NE(nullptr, box);
  pumpFor(500);
  const Screenshot boxShot = captureWindow(box);
  EXPECT_TRUE(shoot(box, L"192dpi_exit_box"));
  EXPECT_EQ(2 * 436, boxShot.width);
  EXPECT_EQ(2 * 236, boxShot.height);
  const POINT no = placed(language, at::kExitNo, 436);
  ASSERT_TRUE(clickAt(box, POINT{2 * no.x, 2 * no.y}));
  EXPECT_TRUE(pumpUntil([&] { return !IsWindow(box) && IsWindowEnabled(window); }, 10000));
  EXPECT_TRUE(IsWindow(window)) << "No keeps the installer open";
}

const Language kHighDpiLanguages[] = {{"en_US", L"ens", false}, {"ar_IL", L"ar", true}};

INSTANTIATE_TEST_SUITE_P(FileName, HighDpiFlow, ::testing::ValuesIn(kHighDpiLanguages),
                         [](const ::testing::TestParamInfo<Language>& info) { return std::string(info.param.locale); });

INSTANTIATE_TEST_SUITE_P(FileName, LanguageFlow, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<Language>& info) { return std::string(info.param.locale); });
