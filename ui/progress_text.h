#pragma once
// What the progress page shows: the amounts label, the phase label, the bar during the
// download and during the player setup, and the rotating tips. Pure: the window sets the
// controls from these values.
#include <cstdint>
#include <string>

namespace ui {

// "512.00B/10.00M", "1.50KB/10.00M", "3.25M/10.00M": the downloaded amount in bytes, KiB or
// MiB and the total in MiB, two decimals each; a negative total (none announced) shows the
// amount alone.
std::wstring progressAmountsText(int64_t downloaded, int64_t total);

// The phase label while downloading: `downloadingText` + "(" + percent + "%)", closed for
// the right-to-left languages ("ar", "fa") by a right-to-left mark so that the brackets
// read right in a paragraph of either direction.
std::wstring downloadPhaseText(const std::wstring& downloadingText, int percent, const std::wstring& languageCode);

// The bar during the download: 63 % of the percent, the raw percent while that is below 1,
// and at least 3 except for the language "ar".
int downloadBarValue(int percent, const std::wstring& languageCode);

// The window's download percent after progress arrived: at least 1.
int downloadPercentAfter(int percent);

// The bar while the player setup runs: each tick climbs by 2 from 64 and stays at 100.
class InstallBarAnimation {
 public:
  void restart() { step_ = 0; }
  // The bar value of the next tick.
  int tick();

 private:
  int step_ = 0;
};

// The tip keys in turn: "turn_tip_1" ... "turn_tip_6", then "turn_tip_1" again.
class TipCarousel {
 public:
  static constexpr int kCount = 6;
  const wchar_t* next();
  int index() const { return index_; }

 private:
  int index_ = 0;
};

// The carousel of the process: a new main window continues where the last one stopped.
TipCarousel& processTips();

}  // namespace ui
