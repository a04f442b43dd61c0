// Cost of one log call on the caller's thread, with the writer running, and the lines per
// second that reach the disk. Run: scripts/wine-run build/x64/bin/log_benchmark.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tests/support/test_support.h"
#include "utility/log.h"
#include "utility/log_writer.h"

using testing_support::nowMicroseconds;

int main() {
  std::wstring dir = testing_support::makeTempDir(L"logbench");
  g_logSink = &logToFile;
  openLogFile(dir + L"downloader.log");
  common::LogWriter* writer = common::LogWriter::instance();

  // Paced calls: the cost a caller sees in normal use, below the pending cap.
  const int kSamples = 20000;
  std::vector<double> costs;
  costs.reserve(kSamples);
  for (int i = 0; i < kSamples; ++i) {
    double start = nowMicroseconds();
    VEL_LOG(L"download progress %d%% from %s", i % 100, L"https://cdn.example/velplayer/setup.exe");
    costs.push_back(nowMicroseconds() - start);
    if (i % 64 == 63) writer->waitUntilWritten(1000);
  }
  std::sort(costs.begin(), costs.end());
  std::printf("writeLog on the caller's thread: median %.2f us, p99 %.2f us (%d samples)\n",
              costs[costs.size() / 2], costs[costs.size() * 99 / 100], kSamples);

  // Sustained: lines that reach the file per second when callers pace themselves to the writer.
  writer->waitUntilWritten(5000);
  size_t before = testing_support::splitLines(testing_support::readFile(dir + L"downloader.log")).size();
  double start = nowMicroseconds();
  const int kLines = 200000;
  for (int i = 0; i < kLines; ++i) {
    VEL_LOG(L"sustained line %d", i);
    if (i % 100 == 99) writer->waitUntilWritten(1000);
  }
  writer->waitUntilWritten(5000);
  double seconds = (nowMicroseconds() - start) / 1e6;
  size_t after = testing_support::splitLines(testing_support::readFile(dir + L"downloader.log")).size();
  std::printf("sustained: %zu of %d lines on disk in %.2f s = %.0f lines/s\n", after - before, kLines, seconds,
              static_cast<double>(after - before) / seconds);
  return 0;
}
