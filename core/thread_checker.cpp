#include "core/thread_checker.h"

#include <cstdio>
#include <cstdlib>

#include "utility/encoding.h"
#include "utility/log.h"

namespace thread_checks {

void failed(const char* file, int line, DWORD expected) {
  const std::wstring where = utility::fromUtf8(file);
  VEL_LOG(L"wrong thread: %s:%d runs on thread %u, lives on %u", where.c_str(), line,
          static_cast<unsigned>(GetCurrentThreadId()), static_cast<unsigned>(expected));
  std::fprintf(stderr, "wrong thread: %s:%d runs on thread %u, lives on %u\n", file, line,
               static_cast<unsigned>(GetCurrentThreadId()), static_cast<unsigned>(expected));
  std::fflush(stderr);
  std::abort();
}

}  // namespace thread_checks
