#include "core/worker_thread.h"

#include <process.h>

WorkerThread::~WorkerThread() {
  // A worker left running would go on using this object's task and event after they are freed.
  if (thread_) {
    requestStop();
    stop(kDestructorLimitMilliseconds);
  }
}

bool WorkerThread::start(RunablePtr& task) {
  if (thread_ || !task) return false;
  stopRequested_.store(false, std::memory_order_relaxed);
  stopEvent_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  task_ = std::move(task);
  uintptr_t handle = _beginthreadex(nullptr, 0, &WorkerThread::threadMain, this, 0, nullptr);
  if (handle == 0) {
    task = std::move(task_);
    stopEvent_.reset();
    return false;
  }
  thread_.reset(reinterpret_cast<HANDLE>(handle));
  return true;
}

unsigned __stdcall WorkerThread::threadMain(void* self) {
  static_cast<WorkerThread*>(self)->task_->run();
  return 0;
}

void WorkerThread::requestStop() {
  stopRequested_.store(true, std::memory_order_relaxed);
  if (stopEvent_) SetEvent(stopEvent_.get());
}

void WorkerThread::stop(DWORD limitMilliseconds) {
  if (thread_) {
    if (WaitForSingleObject(thread_.get(), limitMilliseconds) == WAIT_TIMEOUT) {
      TerminateThread(thread_.get(), static_cast<DWORD>(-1));
      WaitForSingleObject(thread_.get(), INFINITE);
    }
    thread_.reset();
  }
  task_.reset();
  stopEvent_.reset();
  stopRequested_.store(false, std::memory_order_relaxed);
}
