#include "model/game_install_job.h"

#include <atomic>
#include <mutex>

#include "model/download_rules.h"
#include "model/game_files.h"
#include "utility/com_apartment.h"
#include "utility/http_downloader.h"
#include "utility/log.h"
#include "utility/process.h"
#include "utility/shortcut.h"
#include "utility/ufile.h"
#include "utility/unique_handle.h"

namespace {

std::atomic<long> g_activeWorkers{0};

constexpr unsigned long kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED;

void removeIfPresent(const std::wstring& path) {
  if (utility::ufile::exists(path)) utility::ufile::removeFile(path);
}

}  // namespace

// Everything the worker uses; the worker holds its own reference, so it outlives the job
// object when the worker is abandoned.
struct GameInstallJob::State : utility::CHttpDownloader::IHttpDownloadSink {
  std::wstring installPath;
  std::vector<GameRecord> games;
  DWORD consoleWait = kConsoleWaitMilliseconds;

  std::atomic<bool> stopped{false};
  utility::UniqueHandle stopEvent{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // manual reset

  // One for the packages and expansion files, which report progress; one for the icons.
  utility::CHttpDownloader downloader;
  utility::CHttpDownloader iconDownloader;
  uint32_t lastProgressPost = 0;  // worker only

  std::mutex sinkLock;
  std::shared_ptr<GameInstallSink> sink;  // under sinkLock; null once detached

  template <class F>
  void notify(F call) {
    std::lock_guard<std::mutex> lock(sinkLock);
    if (sink && !stopped.load()) call(*sink);
  }

  // Called on the owner's thread.
  void stop() {
    {
      std::lock_guard<std::mutex> lock(sinkLock);
      sink.reset();
    }
    stopped.store(true);
    if (stopEvent) SetEvent(stopEvent.get());
    downloader.cancel();
    iconDownloader.cancel();
  }

  // Sleeps, or returns false at once when the job is stopped.
  bool pause(DWORD milliseconds) {
    if (stopped.load()) return false;
    if (stopEvent) return WaitForSingleObject(stopEvent.get(), milliseconds) == WAIT_TIMEOUT;
    Sleep(milliseconds);
    return !stopped.load();
  }

  // The form that keeps a cancel in force: a stop that comes just before a transfer opens
  // its connection is not lost.
  bool download(utility::CHttpDownloader& with, const std::wstring& url, const std::wstring& path,
                utility::CHttpDownloader::IHttpDownloadSink* progress) {
    if (stopped.load()) return false;
    int firstCode = 0, secondCode = 0;
    bool ok = with.download2file(url, path, progress, firstCode, secondCode, false);
    if (!ok) VEL_LOG(L"download failed %d %d: %s", firstCode, secondCode, url.c_str());
    return ok;
  }

  bool onDownloadProgress(const char*, DWORD, int64_t received, int64_t total) override {
    // Refusing the block is what ends a stopped transfer whose read Wine did not abort.
    if (stopped.load()) return false;
    uint32_t now = GetTickCount();
    if (!download_rules::progressDue(now, lastProgressPost) && received < total) return true;
    lastProgressPost = now;
    const int64_t shown = download_rules::displayTotal(received, total);
    notify([&](GameInstallSink& s) { s.downloadProgress(received, shown); });
    return true;
  }

  // The console program, hidden; waits up to consoleWait, or until the job is stopped (the
  // program keeps running either way). The result is only logged.
  void runConsole(const std::wstring& arguments) {
    if (stopped.load()) return;
    std::wstring console = game_files::consoleProgram(installPath);
    utility::UniqueHandle process(utility::process::create(console, arguments, false));
    if (!process) {
      VEL_LOG(L"execute failed!!! last error = %d", static_cast<int>(GetLastError()));
      return;
    }
    HANDLE waits[2] = {process.get(), stopEvent.get()};
    DWORD count = stopEvent ? 2 : 1;
    DWORD wait = WaitForMultipleObjects(count, waits, FALSE, consoleWait);
    if (wait == WAIT_OBJECT_0) {
      DWORD exitCode = static_cast<DWORD>(-1);
      if (!GetExitCodeProcess(process.get(), &exitCode)) exitCode = static_cast<DWORD>(-1);
      VEL_LOG(L"execute exitcode = %d lastError = %d", static_cast<int>(exitCode), static_cast<int>(GetLastError()));
    } else if (wait == WAIT_TIMEOUT) {
      VEL_LOG(L"execute timeout!!!");
    } else if (wait == WAIT_OBJECT_0 + 1) {
      VEL_LOG(L"console wait stopped");
    } else {
      VEL_LOG(L"execute failed!!! lastError = %d", static_cast<int>(GetLastError()));
    }
  }

  // Downloads url into the temporary file, then moves it onto path.
  bool downloadThroughTemporary(const std::wstring& url, const std::wstring& temporary, const std::wstring& path,
                                int attempts) {
    removeIfPresent(temporary);
    bool ok = false;
    for (int attempt = 0; attempt < attempts && !ok && !stopped.load(); ++attempt) {
      if (attempt > 0) VEL_LOG(L"download again: %s", url.c_str());
      ok = download(downloader, url, temporary, this);
    }
    return ok && utility::ufile::moveFile(temporary, path, kMoveFlags);
  }

  void downloadIcon(const std::wstring& url, const std::wstring& path) {
    for (int attempt = 0; attempt < kIconAttempts; ++attempt) {
      if (download(iconDownloader, url, path, nullptr)) return;
      if (!pause(kIconPauseMilliseconds)) break;
    }
    // A broken transfer leaves part of the icon behind; half an icon makes no shortcut.
    removeIfPresent(path);
  }
};

GameInstallJob::GameInstallJob(std::shared_ptr<GameInstallSink> sink) : state_(std::make_shared<State>()) {
  state_->sink = std::move(sink);
}

GameInstallJob::~GameInstallJob() { stop(kDestructorStopMilliseconds); }

long GameInstallJob::activeWorkers() { return g_activeWorkers.load(); }

bool GameInstallJob::start(const std::wstring& installPath, const std::vector<GameRecord>& games) {
  VEL_CHECK_THREAD(owner_);
  if (started_) return false;
  // Without a folder every name would land in the root of the current drive.
  if (installPath.empty() || games.empty() || state_->stopped.load()) {
    VEL_LOG(L"no games to install or no folder");
    return false;
  }
  state_->installPath = installPath;
  state_->games = games;
  state_->consoleWait = consoleWait_;
  std::shared_ptr<State> state = state_;
  g_activeWorkers.fetch_add(1);
  RunablePtr task = makeRunable([state] {
    _threadDownloadApk(state);
    g_activeWorkers.fetch_sub(1);
  });
  if (!worker_.start(task)) {
    g_activeWorkers.fetch_sub(1);
    return false;
  }
  started_ = true;
  return true;
}

void GameInstallJob::stop(DWORD limitMilliseconds) {
  VEL_CHECK_THREAD(owner_);
  state_->stop();
  if (!started_) return;
  worker_.requestStop();
  worker_.stop(limitMilliseconds);
}

bool GameInstallJob::isRunning() {
  VEL_CHECK_THREAD(owner_);
  return !worker_.waitForEnd(0);
}

void GameInstallJob::_threadDownloadApk(const std::shared_ptr<State>& state) {
  State& job = *state;
  const std::wstring& folder = job.installPath;

  std::wstring resolution;
  for (const GameRecord& game : job.games) {
    if (job.stopped.load()) return;
    job.notify([](GameInstallSink& s) { s.gameCounted(); });
    game_files::GameFiles files = game_files::filesOf(folder, game);

    // The expansion file is fetched again only when the first transfer failed.
    if (!game.expansionFile.empty()) {
      job.downloadThroughTemporary(game.expansionFile, files.expansionTemporary, files.expansion, 2);
    }
    if (!game.icon.empty()) job.downloadIcon(game.icon, files.icon);
    if (!game.resolution.empty()) resolution = game.resolution;
    job.downloadThroughTemporary(game.downloadUrl, files.packageTemporary, files.package, 1);
  }
  if (job.stopped.load()) return;

  if (!resolution.empty()) {
    VEL_LOG(L"setup resolution %s", resolution.c_str());
    job.runConsole(game_files::resolutionArguments(resolution));
  }

  job.notify([](GameInstallSink& s) { s.installWaiting(); });
  if (!job.pause(kInstallWaitPauseMilliseconds)) return;

  // createShortcut needs COM on the calling thread; this worker has no apartment otherwise.
  utility::ComApartment com;
  std::wstring lastPackage;
  for (const GameRecord& game : job.games) {
    if (job.stopped.load()) return;
    game_files::GameFiles files = game_files::filesOf(folder, game);
    if (utility::ufile::exists(files.icon)) {
      VEL_LOG(L"create short cut %s", game.displayName.c_str());
      helper::disk::ShortcutRequest request;
      request.name = files.linkName;
      request.icon = files.icon;
      request.workingDir = folder;
      request.target = game_files::playerProgram(folder);
      request.arguments = game_files::playerArgument(game.packageName);
      helper::disk::createShortcut(request);
    }
    lastPackage = game.packageName;
    job.runConsole(game_files::installArguments(game, files));
  }
  if (job.stopped.load()) return;
  job.notify([&](GameInstallSink& s) { s.finished(lastPackage); });
}
