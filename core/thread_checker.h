#pragma once
// An object that lives on one thread says so with a ThreadChecker member, and every method
// that must run there checks it: VEL_CHECK_THREAD(checker_). Checked builds (the test tree,
// any build without NDEBUG) end the process with a log line on a call from another thread;
// the shipped build compiles the checks away.
#include <windows.h>

#if !defined(NDEBUG) || defined(VEL_THREAD_CHECKS)
#define VEL_THREAD_CHECKS_ON 1
#else
#define VEL_THREAD_CHECKS_ON 0
#endif

class ThreadChecker {
 public:
  // Bound to the thread that makes it.
  ThreadChecker() : threadId_(GetCurrentThreadId()) {}
  bool onValidThread() const { return threadId_ == GetCurrentThreadId(); }
  DWORD threadId() const { return threadId_; }

 private:
  DWORD threadId_;
};

namespace thread_checks {
// Logs where the wrong call came from and ends the process.
[[noreturn]] void failed(const char* file, int line, DWORD expected);
}  // namespace thread_checks

#if VEL_THREAD_CHECKS_ON
#define VEL_CHECK_THREAD(checker) \
  ((checker).onValidThread() ? (void)0 : thread_checks::failed(__FILE__, __LINE__, (checker).threadId()))
#else
#define VEL_CHECK_THREAD(checker) ((void)0)
#endif
