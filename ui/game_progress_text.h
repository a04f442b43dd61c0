#pragma once
// What the game page shows while the installer downloads and installs games: the label and
// bar during a download, the captions, and the bar of the install wait. Pure: the window
// sets the controls from these values.
#include <cstdint>
#include <string>

namespace ui {

// text + " " + appName: the label when the downloads begin ("progress_downloading_label")
// and during the install wait ("Label_installingapp_waiting").
std::wstring gameCaption(const std::wstring& text, const std::wstring& appName);

// downloadingText ("progress_downloading_label2") + " " + appName, then " (i/n)：" with two
// games or more, else "："; then the received MiB + "M / ", or below 1 MiB the received KiB
// + "KB / "; then the total MiB + "M (<c #268fd6>" + percent + "%</c>)". The colon is the
// full-width U+FF1A; amounts are whole MiB or KiB, cut down.
std::wstring gameDownloadLabel(const std::wstring& downloadingText, const std::wstring& appName, int gameIndex,
                               int gameCount, int64_t current, int64_t total);

// The truncated percentage of current in total; 0 when total is not positive.
int gameDownloadPercent(int64_t current, int64_t total);

// The bar during a download: 3 for 1 and 2 percent, 99 from 100 on, else the percent.
int gameDownloadBarValue(int percent);

// The bar of the install wait, one tick each half second: 3, 4, ... 98, and then the timer
// stops with the bar at 98.
class GameInstallCounter {
 public:
  struct Tick {
    int value;
    bool stopTimer;
  };
  Tick tick();
  int value() const { return counter_; }

 private:
  int counter_ = 0;
};

// The counter of the process: the animation runs once per installer run.
GameInstallCounter& processGameInstallCounter();

}  // namespace ui
