// Time from process start to the first paint of the main window: the installer beside a bare
// Win32 program that creates and paints one window of the same size, alternately in the same
// run. A window counts as painted once it is visible and has no region left to paint.
//   first_paint_benchmark.exe INSTALLER BARE [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

struct Search {
  DWORD processId;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (owner == s->processId && wcscmp(name, s->className) == 0) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND windowOf(DWORD processId, const wchar_t* className) {
  Search search{processId, className, nullptr};
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Milliseconds from CreateProcess to the painted window; -1 when it did not come in 30 s.
double firstPaint(const std::wstring& exe, const wchar_t* className) {
  LARGE_INTEGER frequency, started, now;
  QueryPerformanceFrequency(&frequency);
  ChildProcess child;
  QueryPerformanceCounter(&started);
  if (!child.start(exe, L"")) return -1;
  double result = -1;
  for (;;) {
    HWND window = windowOf(child.processId(), className);
    if (window && IsWindowVisible(window) && !GetUpdateRect(window, nullptr, FALSE)) {
      QueryPerformanceCounter(&now);
      result = (now.QuadPart - started.QuadPart) * 1000.0 / frequency.QuadPart;
      break;
    }
    QueryPerformanceCounter(&now);
    if ((now.QuadPart - started.QuadPart) > 30 * frequency.QuadPart) break;
    Sleep(1);
  }
  // Ends its loop as its own windows do, then waits: the next run must not meet this copy.
  PostThreadMessageW(child.threadId(), WM_QUIT, 0, 0);
  if (child.waitForExit(15000) < 0) child.kill();
  return result;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fwprintf(stderr, L"usage: first_paint_benchmark INSTALLER BARE [RUNS]\n");
    return 2;
  }
  const int runs = argc > 3 ? _wtoi(argv[3]) : 10;
  std::vector<double> installer, bare;
  firstPaint(argv[1], L"cmainframe");  // warms the file cache and the Wine server
  for (int i = 0; i < runs; ++i) {
    bare.push_back(firstPaint(argv[2], L"barewindow"));
    installer.push_back(firstPaint(argv[1], L"cmainframe"));
    wprintf(L"run %d: bare %.1f ms, installer %.1f ms\n", i + 1, bare.back(), installer.back());
  }
  const double b = median(bare), m = median(installer);
  wprintf(L"first paint, median of %d: bare window %.1f ms, installer %.1f ms, ratio %.2f\n", runs, b, m, b > 0 ? m / b : 0);
  return 0;
}
