#include "core/dispatch_timer.h"

#include "core/main_thread_dispatcher.h"

bool DispatchTimer::start(UINT periodMilliseconds, RunablePtr task) {
  VEL_CHECK_THREAD(thread_);
  MainThreadDispatcher* dispatcher = MainThreadDispatcher::instance();
  if (periodMilliseconds == 0 || !task || !dispatcher) return false;
  stop();
  id_ = dispatcher->setTimer(periodMilliseconds, task);
  return id_ != 0;
}

void DispatchTimer::stop() {
  VEL_CHECK_THREAD(thread_);
  if (id_ == 0) return;
  if (MainThreadDispatcher* dispatcher = MainThreadDispatcher::instance()) dispatcher->killTimer(id_);
  id_ = 0;
}
