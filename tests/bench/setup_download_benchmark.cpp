// The setup download through the model's chain (WinInet route, progress posted to the
// window thread) against the bare WinInet downloader into a file, on the same URL.
// Prints MiB/s of each, the chain's overhead, and the progress tasks per second that
// reached the window thread. Driven by tests/bench/setup_download_benchmark.sh.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/main_thread_dispatcher.h"
#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "tests/support/test_support.h"
#include "utility/http_downloader.h"
#include "utility/ufile.h"

namespace {

struct NoProgress : utility::CHttpDownloader::IHttpDownloadSink {
  bool onDownloadProgress(const char*, DWORD, int64_t, int64_t) override { return true; }
};

double bareSeconds(const std::wstring& url, const std::wstring& path) {
  DeleteFileW(path.c_str());
  utility::CHttpDownloader downloader;
  NoProgress sink;
  double start = testing_support::nowMicroseconds();
  bool ok = downloader.download2file(url, path, &sink, false);
  double seconds = (testing_support::nowMicroseconds() - start) / 1e6;
  return ok ? seconds : -1;
}

double chainSeconds(const std::wstring& url, const std::wstring& folder, int* progressTasks) {
  ConfigImp::instance().resetForTest();
  DownloaderModel::destroyInstance();
  DownloaderModel* model = DownloaderModel::create();
  model->initFrom(L"C:\\VelPlayer9_ens_12345_x.exe", nullptr);
  model->setInstallPath(folder);
  std::string document = "{\"mnq9\":{\"url\":\"" + std::string(url.begin(), url.end()) + "\"}}";
  model->applyPlayerAddressText(document);
  DeleteFileW(model->setupFilePath().c_str());
  bool done = false, failed = false;
  int tasks = 0;
  ModelCallbacks callbacks;
  callbacks.downloadProgress = [&](int, int, int) { ++tasks; };
  callbacks.downloadSucceeded = [&] { done = true; };
  callbacks.downloadFailed = [&](int64_t) { failed = true; };
  model->setCallbacks(callbacks);
  double start = testing_support::nowMicroseconds();
  model->startDownloadPlayer(false);
  testing_support::pumpUntil([&] { return done || failed; }, 600000);
  double seconds = (testing_support::nowMicroseconds() - start) / 1e6;
  *progressTasks = tasks;
  DownloaderModel::destroyInstance();
  return done ? seconds : -1;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

// One chain download in a process of its own: its peak working set and the CPU time it took
// per MiB (user and kernel time of this process; Wine's server is not counted).
int measureOnce(const std::wstring& url, double mib) {
  std::wstring folder = testing_support::makeTempDir(L"setupbench");
  int tasks = 0;
  double seconds = chainSeconds(url, folder + L"player\\", &tasks);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto toSeconds = [](const FILETIME& t) {
    return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  testing_support::removeTree(folder);
  if (seconds <= 0) {
    std::fprintf(stderr, "the download failed\n");
    return 1;
  }
  std::printf("model chain, WinInet, one run: %.1f MiB/s, peak working set %.1f MiB, CPU %.1f ms per MiB\n",
              mib / seconds, memory.PeakWorkingSetSize / 1048576.0, (toSeconds(user) + toSeconds(kernel)) * 1000.0 / mib);
  return 0;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: setup_download_benchmark URL MEBIBYTES [--once]\n");
    return 2;
  }
  std::wstring url = argv[1];
  double mib = _wtof(argv[2]);
  MainThreadDispatcher::createInstance();
  if (argc > 3 && std::wstring(argv[3]) == L"--once") return measureOnce(url, mib);
  std::wstring folder = testing_support::makeTempDir(L"setupbench");
  std::vector<double> bare, chain;
  std::vector<double> taskRates;
  constexpr int kRounds = 5;
  for (int round = 0; round < kRounds; ++round) {
    // Alternate which goes first, so neither always meets a warm or a busy disk cache.
    int tasks = 0;
    double b = 0, c = 0;
    if (round % 2 == 0) {
      b = bareSeconds(url, folder + L"bare.bin");
      c = chainSeconds(url, folder + L"player\\", &tasks);
    } else {
      c = chainSeconds(url, folder + L"player\\", &tasks);
      b = bareSeconds(url, folder + L"bare.bin");
    }
    if (b <= 0 || c <= 0) {
      std::fprintf(stderr, "a download failed (bare %.2f, chain %.2f)\n", b, c);
      return 1;
    }
    bare.push_back(b);
    chain.push_back(c);
    taskRates.push_back(tasks / c);
  }
  double bareRate = mib / median(bare), chainRate = mib / median(chain);
  std::printf("bare WinInet downloader  %8.1f MiB/s (median of 5)\n", bareRate);
  std::printf("model chain, WinInet     %8.1f MiB/s (median of 5)\n", chainRate);
  std::printf("chain overhead           %8.1f %%\n", (bareRate - chainRate) / bareRate * 100.0);
  std::printf("progress tasks reaching the window thread: %.2f per second (median)\n", median(taskRates));
  testing_support::removeTree(folder);
  return 0;
}
