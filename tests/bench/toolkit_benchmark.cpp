// Cost of the toolkit's windows: creating the 640 x 400 gallery window, laying it out and
// painting it the first time, and one full repaint; medians under Wine.
// Run: scripts/wine-session build/x64/bin/toolkit_benchmark.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tests/toolkit/gallery_window.h"

namespace {

double nowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  gallery::setUp();
  constexpr int kWindows = 15;
  constexpr int kRepaints = 50;
  std::vector<double> opening, repaint;
  double firstEver = 0;
  for (int run = 0; run < kWindows; ++run) {
    gallery::GalleryWindow::Observer observer;
    const double start = nowMs();
    auto* window = new gallery::GalleryWindow(&observer);
    HWND hwnd = window->open(0, 0);  // creates, lays out, shows and paints (UpdateWindow)
    const double opened = nowMs() - start;
    if (!hwnd) {
      std::printf("window creation failed\n");
      return 1;
    }
    if (run == 0) {
      firstEver = opened;  // includes reading and decoding the images
    } else {
      opening.push_back(opened);
    }
    for (int i = 0; i < kRepaints / kWindows + 1; ++i) {
      const double before = nowMs();
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      repaint.push_back(nowMs() - before);
    }
    // Not timed: under Wine without a window manager, a window's end waits about 2 s
    // for the withdrawn state.
    window->close();
    gallery::pump([&] { return observer.deleted; }, 5000);
  }
  std::printf("toolkit gallery 640x400: first window (images decoded) %.2f ms\n", firstEver);
  std::printf("toolkit gallery 640x400: create + layout + first paint, median of %zu: %.2f ms\n", opening.size(),
              median(opening));
  std::printf("toolkit gallery 640x400: full repaint, median of %zu: %.3f ms\n", repaint.size(), median(repaint));
  return 0;
}
