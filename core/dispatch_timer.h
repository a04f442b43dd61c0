#pragma once
// Holds one dispatcher timer; window thread only.
#include <windows.h>

#include "core/runable.h"
#include "core/thread_checker.h"

class DispatchTimer {
 public:
  DispatchTimer() = default;
  ~DispatchTimer() { stop(); }
  DispatchTimer(const DispatchTimer&) = delete;
  DispatchTimer& operator=(const DispatchTimer&) = delete;

  // False for period 0 or no task. A running timer is stopped first, so no id is lost.
  bool start(UINT periodMilliseconds, RunablePtr task);
  void stop();
  bool isRunning() const {
    VEL_CHECK_THREAD(thread_);
    return id_ != 0;
  }

 private:
  ThreadChecker thread_;
  UINT_PTR id_ = 0;
};
