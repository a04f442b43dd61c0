#include "core/main_thread_dispatcher.h"

#include <atomic>

namespace {

std::atomic<MainThreadDispatcher*> g_dispatcher{nullptr};
const char g_applicationOwnerKey = 0;
const wchar_t kSelfProperty[] = L"VelDispatcher";

}  // namespace

const void* applicationOwner() { return &g_applicationOwnerKey; }

const void* newOwnerKey() {
  // Odd numbers: never the address of an object.
  static std::atomic<uintptr_t> next{1};
  return reinterpret_cast<const void*>(next.fetch_add(2));
}

MainThreadDispatcher* MainThreadDispatcher::instance() { return g_dispatcher.load(std::memory_order_acquire); }

MainThreadDispatcher* MainThreadDispatcher::createInstance() {
  MainThreadDispatcher* existing = instance();
  if (existing) return existing;
  MainThreadDispatcher* created = new MainThreadDispatcher();
  g_dispatcher.store(created, std::memory_order_release);
  return created;
}

MainThreadDispatcher::MainThreadDispatcher() {
  window_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (window_) {
    SetPropW(window_, kSelfProperty, this);
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainThreadDispatcher::windowProc));
  }
}

MainThreadDispatcher::~MainThreadDispatcher() {
  if (window_ && IsWindow(window_)) {
    RemovePropW(window_, kSelfProperty);
    DestroyWindow(window_);
  }
  // Messages still queued for the window die with it; their tasks are freed by the
  // process ending, as for the process-wide dispatcher.
}

LRESULT CALLBACK MainThreadDispatcher::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<MainThreadDispatcher*>(GetPropW(window, kSelfProperty));
  if (self) {
    if (message == kTaskMessage) {
      self->dispatch(reinterpret_cast<const void*>(wParam), reinterpret_cast<Runable*>(lParam));
      return 0;
    }
    if (message == WM_TIMER) {
      self->tick(static_cast<UINT_PTR>(wParam));
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool MainThreadDispatcher::post(const void* owner, RunablePtr task) {
  if (!task) return false;
  bool counted = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    long& count = owners_[owner];
    if (count >= 0) {
      ++count;
      counted = true;
    }
  }
  Runable* raw = task.release();
  if (PostMessageW(window_, kTaskMessage, reinterpret_cast<WPARAM>(owner), reinterpret_cast<LPARAM>(raw))) {
    return true;
  }
  // Not queued: nobody else will ever see this task, so release it and undo its count.
  raw->release();
  if (counted) {
    std::lock_guard<std::mutex> guard(lock_);
    long& count = owners_[owner];
    if (count > 0) --count;
  }
  return false;
}

void MainThreadDispatcher::cancel(const void* owner) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = owners_.find(owner);
  if (it != owners_.end()) it->second = -1;
}

long MainThreadDispatcher::pendingCount(const void* owner) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = owners_.find(owner);
  return it == owners_.end() ? 0 : it->second;
}

void MainThreadDispatcher::dispatch(const void* owner, Runable* raw) {
  RunablePtr task(raw);
  bool runIt = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = owners_.find(owner);
    if (it != owners_.end() && it->second >= 0) {
      if (it->second > 0) --it->second;
      runIt = true;
    }
  }
  if (runIt) task->run();
}

UINT_PTR MainThreadDispatcher::setTimer(UINT periodMilliseconds, RunablePtr& task) {
  VEL_CHECK_THREAD(thread_);
  if (!task) return 0;
  UINT_PTR id = ++lastTimerId_;
  if (!SetTimer(window_, id, periodMilliseconds, nullptr)) return 0;
  timers_[id] = std::move(task);
  return id;
}

void MainThreadDispatcher::killTimer(UINT_PTR id) {
  VEL_CHECK_THREAD(thread_);
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  KillTimer(window_, id);
  // A task may kill its own timer from inside run: keep it alive until that run returns.
  for (TickFrame* frame : tickFrames_) {
    if (frame->id == id) {
      frame->killedWhileRunning = std::move(it->second);
      break;
    }
  }
  timers_.erase(it);
}

void MainThreadDispatcher::tick(UINT_PTR id) {
  VEL_CHECK_THREAD(thread_);
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  Runable* task = it->second.get();
  TickFrame frame{id, RunablePtr()};
  tickFrames_.push_back(&frame);
  task->run();
  tickFrames_.pop_back();
  // frame.killedWhileRunning, if set, is released here, after its run returned.
}
