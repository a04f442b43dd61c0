#pragma once
// The games the installer downloads and installs itself, once the player is installed: per
// game its expansion file, icon and package into the player's folder, then the console
// program sets the resolution and installs each package, a desktop shortcut per game with
// an icon, and finally the player is started with the last package.
//
// The job runs on its own worker and owns everything it touches, so a worker abandoned at
// stop (see WorkerThread) never reaches a destroyed window: the window only hears from it
// through the sink, which stop detaches.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/thread_checker.h"
#include "core/worker_thread.h"
#include "identity/game_record.h"

// What the job tells the window. Every call comes on the worker thread, under the job's
// sink lock: it must be quick (post a window-thread task) and must never wait for the window
// thread, whose stop waits for that lock. Once stop has returned no call runs or comes.
class GameInstallSink {
 public:
  virtual ~GameInstallSink() = default;
  // A game's downloads begin (first game first): the window counts it.
  virtual void gameCounted() = 0;
  // Bytes of the running download: at most one call a second, except that a download that
  // reached its total always reports it.
  virtual void downloadProgress(int64_t current, int64_t total) = 0;
  // The downloads are over; the console program installs the games now.
  virtual void installWaiting() = 0;
  // Every game was handed to the console program; the window starts the player with
  // "package=" + lastPackage (game_files::playerArgument) and ends.
  virtual void finished(const std::wstring& lastPackage) = 0;
};

class GameInstallJob {
 public:
  static constexpr DWORD kConsoleWaitMilliseconds = 120000;
  static constexpr int kIconAttempts = 3;
  static constexpr DWORD kIconPauseMilliseconds = 20;
  static constexpr DWORD kInstallWaitPauseMilliseconds = 500;
  static constexpr DWORD kDestructorStopMilliseconds = 1000;

  explicit GameInstallJob(std::shared_ptr<GameInstallSink> sink);
  // Stops the worker as stop(kDestructorStopMilliseconds) does.
  ~GameInstallJob();
  GameInstallJob(const GameInstallJob&) = delete;
  GameInstallJob& operator=(const GameInstallJob&) = delete;

  // How long one console run is waited for; set before start (tests shorten it).
  void setConsoleWait(DWORD milliseconds) { consoleWait_ = milliseconds; }

  // Owner's thread. Starts the worker with a copy of the games; installPath is the player's
  // folder (a trailing separator is fine). Runs once per job: false when it was started
  // before, when there is nothing to do or no folder, or when no thread could be made.
  bool start(const std::wstring& installPath, const std::vector<GameRecord>& games);

  // Owner's thread. Detaches the sink, aborts the running download or console wait and skips
  // every later step, then waits up to limitMilliseconds for the worker; one still blocked in
  // the network after that (Wine lets a stalled read wait for its next bytes) is abandoned
  // and ends on its own. Never waits longer than the limit plus the running sink call.
  void stop(DWORD limitMilliseconds);

  // Owner's thread: true while the worker has not ended.
  bool isRunning();

  // Workers of this kind whose body has not returned yet, abandoned ones included.
  static long activeWorkers();

 private:
  struct State;
  static void _threadDownloadApk(const std::shared_ptr<State>& state);

  ThreadChecker owner_;
  std::shared_ptr<State> state_;
  WorkerThread worker_;
  DWORD consoleWait_ = kConsoleWaitMilliseconds;
  bool started_ = false;
};
