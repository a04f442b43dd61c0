// Throughput of both HTTP stacks: one file download each, to disk, from the URL given.
// Prints one line per stack: name, MiB, seconds, MiB/s, CPU milliseconds per MiB.
// Driven by tests/bench/http_benchmark.sh, which adds the host's curl as the reference.
#include <windows.h>

#include <curl/curl.h>

#include <cstdio>
#include <string>

#include "utility/vel_curl_downloader.h"
#include "tests/support/test_support.h"
#include "utility/encoding.h"
#include "utility/http_downloader.h"
#include "utility/ufile.h"

namespace {

double processCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

double nowSeconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <class F>
void measure(const char* name, const std::wstring& path, F download) {
  DeleteFileW(path.c_str());
  double cpu = processCpuSeconds();
  double start = nowSeconds();
  bool ok = download();
  double elapsed = nowSeconds() - start;
  cpu = processCpuSeconds() - cpu;
  int64_t size = 0;
  utility::ufile::fileSize(path, size);
  double mib = static_cast<double>(size) / (1024.0 * 1024.0);
  std::printf("%-8s %s %8.1f MiB %7.2f s %8.1f MiB/s %7.2f cpu-ms/MiB\n", name, ok ? "ok  " : "FAIL", mib, elapsed,
              mib / elapsed, mib > 0 ? cpu * 1000.0 / mib : 0.0);
  std::fflush(stdout);
  DeleteFileW(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: http_benchmark URL\n");
    return 2;
  }
  std::string url = argv[1];
  std::wstring dir = testing_support::makeTempDir(L"httpbench");
  std::wstring path = dir + L"download.bin";
  curl_global_init(CURL_GLOBAL_ALL);
  measure("wininet", path, [&] {
    utility::CHttpDownloader downloader;
    return downloader.download2file(utility::fromAnsi(url), path, nullptr, false);
  });
  measure("curl", path, [&] {
    VelCurlDownloader downloader;
    return downloader.downloadFile(path, url, nullptr);
  });
  curl_global_cleanup();
  testing_support::removeTree(dir);
  return 0;
}
