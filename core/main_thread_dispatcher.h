#pragma once
// Runs posted tasks and timer tasks on the window thread, inside its message loop.
// Each posted task belongs to an owner key; an owner cancels before it is destroyed,
// and every task still queued or posted later for it is then released unrun.
#include <windows.h>

#include <map>
#include <mutex>
#include <vector>

#include "core/runable.h"
#include "core/thread_checker.h"

class MainThreadDispatcher {
 public:
  static constexpr UINT kTaskMessage = 8888;

  // Creates the hidden dispatcher window on the calling thread, which becomes the window thread.
  MainThreadDispatcher();
  ~MainThreadDispatcher();
  MainThreadDispatcher(const MainThreadDispatcher&) = delete;
  MainThreadDispatcher& operator=(const MainThreadDispatcher&) = delete;

  // The process-wide dispatcher, made once at start-up by the entry and never destroyed.
  static MainThreadDispatcher* instance();
  static MainThreadDispatcher* createInstance();

  // Any thread. Returns whether the task was queued; when it was not, the task is
  // released here and the owner's count is left as it was.
  bool post(const void* owner, RunablePtr task);
  // Any thread. Final: the owner stays cancelled.
  void cancel(const void* owner);

  // Window thread only. Returns the timer id, 0 on failure (the task then stays with the caller).
  UINT_PTR setTimer(UINT periodMilliseconds, RunablePtr& task);
  void killTimer(UINT_PTR id);

  HWND window() const { return window_; }
  DWORD threadId() const { return thread_.threadId(); }
  // The owner's count of queued tasks; -1 once cancelled, 0 when unknown.
  long pendingCount(const void* owner);

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void dispatch(const void* owner, Runable* task);
  void tick(UINT_PTR id);

  std::mutex lock_;
  std::map<const void*, long> owners_;  // under lock_
  HWND window_ = nullptr;
  ThreadChecker thread_;  // the window thread: the timer functions run there
  // One frame per timer task running now. Ticks nest when a task runs a message loop of
  // its own (a modal box), so each tick keeps its own frame; a timer killed while its task
  // runs parks the task in the outermost frame running it, released when that run returns.
  struct TickFrame {
    UINT_PTR id;
    RunablePtr killedWhileRunning;
  };
  std::map<UINT_PTR, RunablePtr> timers_;
  UINT_PTR lastTimerId_ = 0;
  std::vector<TickFrame*> tickFrames_;
};

// A key no owner had before: unlike an object's address it is never reused, so an owner made
// where a cancelled one lived does not inherit its cancellation.
const void* newOwnerKey();

// Posts a callable to the window thread under the application-wide owner, which is never cancelled.
const void* applicationOwner();

template <class F>
bool postToMainThread(F function) {
  MainThreadDispatcher* dispatcher = MainThreadDispatcher::instance();
  RunablePtr task = makeRunable(std::move(function));
  return dispatcher && dispatcher->post(applicationOwner(), std::move(task));
}
