#pragma once
// Runs one task on its own thread. Lives on the thread that owns it: start, stop and
// requestStop come from that thread; the task polls isStopRequested or waits on stopEvent.
#include <windows.h>

#include <atomic>

#include "core/runable.h"
#include "utility/unique_handle.h"

class WorkerThread {
 public:
  WorkerThread() = default;
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // False when a thread is already running; the task then stays with the caller.
  bool start(RunablePtr& task);
  bool start(RunablePtr&& task) { return start(task); }

  // Waits up to limitMilliseconds for the thread, terminates it after that, then
  // releases the task. Does not ask the task to stop by itself: call requestStop first.
  void stop(DWORD limitMilliseconds);

  void requestStop();
  bool isStopRequested() const { return stopRequested_.load(std::memory_order_relaxed); }
  bool isRunning() const { return static_cast<bool>(thread_); }
  HANDLE stopEvent() const { return stopEvent_.get(); }

 private:
  static constexpr DWORD kDestructorLimitMilliseconds = 2000;
  static unsigned __stdcall threadMain(void* self);

  RunablePtr task_;
  utility::UniqueHandle thread_;
  utility::UniqueHandle stopEvent_;
  std::atomic<bool> stopRequested_{false};
};
