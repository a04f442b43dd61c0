// Start-up cost of the skin: from process creation to fonts unpacked, store filled and table
// loaded, with the installer's own archives embedded as in the shipped program.
// Run: scripts/wine-run build/x64/bin/skin_startup_benchmark.exe
#include <windows.h>

#include <cstdio>

#include "skin/fonts.h"
#include "skin/language_table.h"
#include "skin/skin_files.h"

namespace {

double millisecondsSince(const FILETIME& start) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER a, b;
  a.LowPart = start.dwLowDateTime;
  a.HighPart = start.dwHighDateTime;
  b.LowPart = now.dwLowDateTime;
  b.HighPart = now.dwHighDateTime;
  return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;
}

double counterMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  double sinceStart = millisecondsSince(created);

  double t0 = counterMs();
  installFonts(nullptr, languageRecordFor(L"kr"));
  double t1 = counterMs();
  setSkinInstance(nullptr);
  setCurrentLanguage(L"ko_KR", L"en_US");
  setResourceFolder(skinInstanceFolder() + L"skin");
  loadSkinArchive(129, L"multi_language.tsv");
  double t2 = counterMs();

  std::printf("process start to main: %.1f ms\n", sinceStart);
  std::printf("fonts unpacked and added: %.1f ms\n", t1 - t0);
  std::printf("skin store filled (%zu files) and table loaded (%s): %.1f ms\n", skin::SkinFileStore::instance().size(),
              lookupText(L"Title_wndTitle") ? "ok" : "missing", t2 - t1);
  std::printf("process start to filled store and table: %.1f ms\n", millisecondsSince(created));
  return 0;
}
