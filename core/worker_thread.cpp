#include "core/worker_thread.h"

#include <process.h>

#include <exception>

#include "utility/log.h"

// What the running thread and its owner share; each holds a reference.
struct WorkerThread::Shared {
  RunablePtr task;
  std::atomic<bool> stopRequested{false};
  utility::UniqueHandle stopEvent;
};

namespace {

std::atomic<long> g_abandoned{0};

}  // namespace

thread_local WorkerThread::Shared* WorkerThread::current_ = nullptr;

WorkerThread::WorkerThread() : shared_(std::make_shared<Shared>()) {}

WorkerThread::~WorkerThread() {
  // The thread holds its own reference to everything it uses, so an abandoned one is safe;
  // still, give it the usual chance to end first.
  if (thread_) {
    requestStop();
    stop(kDestructorLimitMilliseconds);
  }
}

bool WorkerThread::start(RunablePtr& task) {
  VEL_CHECK_THREAD(owner_);
  if (thread_ || !task) return false;
  auto fresh = std::make_shared<Shared>();
  fresh->stopEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  fresh->task = std::move(task);
  auto* threadReference = new std::shared_ptr<Shared>(fresh);
  uintptr_t handle = _beginthreadex(nullptr, 0, &WorkerThread::threadMain, threadReference, 0, nullptr);
  if (handle == 0) {
    task = std::move(fresh->task);
    delete threadReference;
    return false;
  }
  shared_ = std::move(fresh);
  thread_.reset(reinterpret_cast<HANDLE>(handle));
  return true;
}

unsigned __stdcall WorkerThread::threadMain(void* reference) {
  std::unique_ptr<std::shared_ptr<Shared>> shared(static_cast<std::shared_ptr<Shared>*>(reference));
  current_ = shared->get();
  unsigned result = 0;
  // Nothing thrown by a task (a failed allocation included) may end the process through
  // std::terminate: it is logged and the task counts as failed.
  try {
    (*shared)->task->run();
  } catch (const std::exception& error) {
    VEL_LOG(L"worker task failed: %S", error.what());
    result = 1;
  } catch (...) {
    VEL_LOG(L"worker task failed: unknown exception");
    result = 1;
  }
  // Released here, on the thread that ran it: its owner may no longer be waiting.
  try {
    (*shared)->task.reset();
  } catch (...) {
    result = 1;
  }
  current_ = nullptr;
  return result;
}

void WorkerThread::requestStop() {
  VEL_CHECK_THREAD(owner_);
  shared_->stopRequested.store(true, std::memory_order_relaxed);
  if (shared_->stopEvent) SetEvent(shared_->stopEvent.get());
}

bool WorkerThread::isStopRequested() const { return shared_->stopRequested.load(std::memory_order_relaxed); }

HANDLE WorkerThread::stopEvent() const { return shared_->stopEvent.get(); }

bool WorkerThread::stopRequestedOnThisThread() {
  return current_ && current_->stopRequested.load(std::memory_order_relaxed);
}

HANDLE WorkerThread::stopEventOfThisThread() { return current_ ? current_->stopEvent.get() : nullptr; }

long WorkerThread::abandonedCount() { return g_abandoned.load(); }

bool WorkerThread::waitForEnd(DWORD limitMilliseconds) {
  VEL_CHECK_THREAD(owner_);
  if (!thread_) return true;
  return WaitForSingleObject(thread_.get(), limitMilliseconds) != WAIT_TIMEOUT;
}

void WorkerThread::stop(DWORD limitMilliseconds) {
  VEL_CHECK_THREAD(owner_);
  if (thread_) {
    if (!waitForEnd(limitMilliseconds)) {
      g_abandoned.fetch_add(1);
      VEL_LOG(L"worker thread %u still running after %u ms, left to end on its own",
              static_cast<unsigned>(GetThreadId(thread_.get())), static_cast<unsigned>(limitMilliseconds));
      // The abandoned thread keeps the old state; this object starts afresh.
      shared_ = std::make_shared<Shared>();
    }
    thread_.reset();
  }
  shared_->task.reset();
  shared_->stopEvent.reset();
  shared_->stopRequested.store(false, std::memory_order_relaxed);
}
