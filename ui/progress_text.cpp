#include "ui/progress_text.h"

#include <cwchar>

namespace ui {

namespace {

constexpr float kKiB = 1024.0f;
constexpr float kMiB = 1048576.0f;

std::wstring twoDecimals(float value) {
  wchar_t text[64];
  std::swprintf(text, sizeof(text) / sizeof(text[0]), L"%0.2f", static_cast<double>(value));
  return text;
}

bool isArabic(const std::wstring& languageCode) { return languageCode == L"ar"; }

bool isRightToLeft(const std::wstring& languageCode) { return languageCode == L"ar" || languageCode == L"fa"; }

// A right-to-left mark after the closing bracket: the bracket then lies between two
// right-to-left neighbours and stays at the end of the label in a paragraph of either
// direction, instead of jumping to the far side of the number.
constexpr wchar_t kRightToLeftMark = 0x200F;

}  // namespace

std::wstring progressAmountsText(int64_t downloaded, int64_t total) {
  const float done = static_cast<float>(downloaded);
  std::wstring amount;
  if (downloaded < 1024) {
    amount = twoDecimals(done) + L"B";
  } else if (downloaded < 1048576) {
    amount = twoDecimals(done / kKiB) + L"KB";
  } else {
    amount = twoDecimals(done / kMiB) + L"M";
  }
  // Without a known total, only what has arrived: an invented total would be a false promise.
  if (total < 0) return amount;
  return amount + L"/" + twoDecimals(static_cast<float>(total) / kMiB) + L"M";
}

std::wstring downloadPhaseText(const std::wstring& downloadingText, int percent, const std::wstring& languageCode) {
  std::wstring text = downloadingText + L"(" + std::to_wstring(percent) + L"%)";
  if (isRightToLeft(languageCode)) text += kRightToLeftMark;
  return text;
}

int downloadBarValue(int percent, const std::wstring& languageCode) {
  float value = static_cast<float>(percent) * 0.63f;
  if (value < 1.0f) value = static_cast<float>(percent);
  if (!isArabic(languageCode) && value < 3.0f) value = 3.0f;
  return static_cast<int>(value);
}

int downloadPercentAfter(int percent) { return percent <= 1 ? 1 : percent; }

int InstallBarAnimation::tick() {
  if (step_ > 35) step_ = 36;
  const int value = step_ + 64;
  step_ += 2;
  return value;
}

const wchar_t* TipCarousel::next() {
  static const wchar_t* const kKeys[kCount] = {L"turn_tip_1", L"turn_tip_2", L"turn_tip_3",
                                               L"turn_tip_4", L"turn_tip_5", L"turn_tip_6"};
  const wchar_t* key = kKeys[index_];
  index_ = (index_ + 1) % kCount;
  return key;
}

TipCarousel& processTips() {
  static TipCarousel tips;
  return tips;
}

}  // namespace ui
