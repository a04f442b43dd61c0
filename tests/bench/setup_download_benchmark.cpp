// One download of the setup, in a process of its own, by one of two routes on the same URL:
//   --bare   a bare InternetReadFile loop into a file, the floor any WinInet route can reach
//   --chain  the model's chain (WinInet route, progress posted to the window thread)
// Prints one line: "<route> seconds <s> progress-tasks <n> peak-working-set-mib <m>".
// tests/bench/setup_download_benchmark.sh runs both and the host's curl, and counts the CPU
// of each process together with the Wine server's.
#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/main_thread_dispatcher.h"
#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "tests/support/recording_observer.h"
#include "tests/support/test_support.h"
#include "utility/http_client.h"
#include "utility/unique_handle.h"

namespace {

// The same read size as the installer's WinInet client, so that only the route differs.
double bareLoopSeconds(const std::wstring& url, const std::wstring& path) {
  DeleteFileW(path.c_str());
  const double start = testing_support::nowMicroseconds();
  utility::InternetHandle session(InternetOpenW(L"bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return -1;
  utility::InternetHandle request(InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0,
                                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI, 0));
  if (!request) return -1;
  utility::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return -1;
  std::vector<char> buffer(utility::CHttpClient::kReadBlockBytes);
  for (;;) {
    DWORD got = 0, written = 0;
    if (!InternetReadFile(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got)) return -1;
    if (got == 0) break;
    if (!WriteFile(file.get(), buffer.data(), got, &written, nullptr) || written != got) return -1;
  }
  return (testing_support::nowMicroseconds() - start) / 1e6;
}

double chainSeconds(const std::wstring& url, const std::wstring& folder, int* progressTasks) {
  ConfigImp::instance().resetForTest();
  auto owned = std::make_unique<DownloaderModel>();
  DownloaderModel* model = owned.get();
  RecordingObserver observer;
  model->setObserver(&observer);
  model->initFrom(L"C:\\VelPlayer9_ens_12345_x.exe", nullptr);
  model->setInstallPath(folder);
  // The generated file is no signed setup: only the transfer is measured here.
  model->setSetupChecker([](const std::wstring&) {
    SetupCheck check;
    check.ok = true;
    return check;
  });
  std::string document = "{\"mnq9\":{\"url\":\"" + std::string(url.begin(), url.end()) + "\"}}";
  model->applyPlayerAddressText(document);
  DeleteFileW(model->setupFilePath().c_str());
  bool done = false, failed = false;
  int tasks = 0;
  observer.onProgress = [&](int, int, int) { ++tasks; };
  observer.onInstalling = [&] { done = true; };
  observer.onDownloadFailed = [&](bool) { failed = true; };
  // The flow as after Install, so that the observer hears the end of the transfer.
  model->setFlowForTest(install_flow::InstallFlow(install_flow::State::kDownloading));
  const double start = testing_support::nowMicroseconds();
  model->startDownloadPlayer(false);
  testing_support::pumpUntil([&] { return done || failed; }, 600000);
  const double seconds = (testing_support::nowMicroseconds() - start) / 1e6;
  *progressTasks = tasks;
  owned.reset();
  return done ? seconds : -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 2 ? argv[2] : L"";
  if (mode != L"--bare" && mode != L"--chain") {
    std::fprintf(stderr, "usage: setup_download_benchmark URL --bare|--chain\n");
    return 2;
  }
  const std::wstring url = argv[1];
  MainThreadDispatcher::createInstance();
  const std::wstring folder = testing_support::makeTempDir(L"setupbench");
  int tasks = 0;
  const double seconds =
      mode == L"--bare" ? bareLoopSeconds(url, folder + L"bare.bin") : chainSeconds(url, folder + L"player\\", &tasks);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
  testing_support::removeTree(folder);
  if (seconds <= 0) {
    std::fprintf(stderr, "the download failed\n");
    return 1;
  }
  std::printf("%s seconds %.3f progress-tasks %d peak-working-set-mib %.1f\n", mode == L"--bare" ? "bare" : "chain",
              seconds, tasks, memory.PeakWorkingSetSize / 1048576.0);
  return 0;
}
