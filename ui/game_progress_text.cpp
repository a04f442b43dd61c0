#include "ui/game_progress_text.h"

#include "model/download_rules.h"

namespace ui {

namespace {

constexpr int64_t kMiB = 1048576;
constexpr int kLastCounterValue = 98;

}  // namespace

std::wstring gameCaption(const std::wstring& text, const std::wstring& appName) { return text + L" " + appName; }

int gameDownloadPercent(int64_t current, int64_t total) { return download_rules::percentOf(current, total); }

std::wstring gameDownloadLabel(const std::wstring& downloadingText, const std::wstring& appName, int gameIndex,
                               int gameCount, int64_t current, int64_t total) {
  std::wstring label = downloadingText + L" " + appName;
  if (gameCount >= 2) label += L" (" + std::to_wstring(gameIndex) + L"/" + std::to_wstring(gameCount) + L")";
  label += L"\uFF1A";
  const int64_t currentMiB = current / kMiB;
  if (currentMiB != 0) {
    label += std::to_wstring(currentMiB) + L"M / ";
  } else {
    label += std::to_wstring(current / 1024) + L"KB / ";
  }
  label += std::to_wstring(total / kMiB) + L"M (<c #268fd6>" + std::to_wstring(gameDownloadPercent(current, total)) +
           L"%</c>)";
  return label;
}

int gameDownloadBarValue(int percent) {
  if (percent == 1 || percent == 2) return 3;
  if (percent >= 100) return 99;
  return percent;
}

GameInstallCounter::Tick GameInstallCounter::tick() {
  int next = counter_ < 2 ? 3 : counter_ + 1;
  bool stop = false;
  if (next > kLastCounterValue - 1) {
    next = kLastCounterValue;
    stop = true;
  }
  counter_ = next;
  return Tick{next, stop};
}

GameInstallCounter& processGameInstallCounter() {
  static GameInstallCounter counter;
  return counter;
}

}  // namespace ui
