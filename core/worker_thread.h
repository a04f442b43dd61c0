#pragma once
// Runs one task on its own thread. Lives on the thread that makes it: start, stop,
// waitForEnd, requestStop and isRunning come from that thread (checked); the task polls
// isStopRequested or waits on stopEvent (or, when it may outlive its owner, the static forms
// that need no owner object).
//
// A task that does not end within its stop limit is abandoned, never terminated: killing a
// thread can leave the heap, the log writer's lock or the loader lock held for ever. An
// abandoned thread keeps its task and its stop state alive through its own reference and
// frees them when the task returns; the process ends it when it exits.
#include <windows.h>

#include <atomic>
#include <memory>

#include "core/runable.h"
#include "core/thread_checker.h"
#include "utility/unique_handle.h"

class WorkerThread {
 public:
  WorkerThread();
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // False when a thread is already running; the task then stays with the caller.
  bool start(RunablePtr& task);
  bool start(RunablePtr&& task) { return start(task); }

  // Waits up to limitMilliseconds for the thread to end. A thread still running after that
  // is abandoned (logged and counted). Either way this object is ready for a new start and
  // its stop request is cleared. Does not ask the task to stop: call requestStop first.
  void stop(DWORD limitMilliseconds);
  // Waits up to limitMilliseconds; true when no thread is running any more.
  bool waitForEnd(DWORD limitMilliseconds);

  void requestStop();
  bool isStopRequested() const;
  bool isRunning() const {
    VEL_CHECK_THREAD(owner_);
    return static_cast<bool>(thread_);
  }
  HANDLE stopEvent() const;

  // On a worker's own thread: its stop request and stop event, valid even after the owner
  // is gone. On any other thread: false and null.
  static bool stopRequestedOnThisThread();
  static HANDLE stopEventOfThisThread();

  // Threads abandoned so far in this process.
  static long abandonedCount();

 private:
  static constexpr DWORD kDestructorLimitMilliseconds = 2000;
  struct Shared;
  static unsigned __stdcall threadMain(void* shared);
  static thread_local Shared* current_;  // the state of the worker running on this thread

  ThreadChecker owner_;
  std::shared_ptr<Shared> shared_;
  utility::UniqueHandle thread_;
};
