#pragma once
// Builds one log line in a fixed buffer on the caller's stack and hands it to the
// log writer when it goes out of scope. A line that does not fit is dropped whole.
#include <cstddef>

namespace common {

class LogStream {
 public:
  static constexpr size_t kLineBufferSize = 10240;

  LogStream(const char* function, int line);
  ~LogStream();
  LogStream(const LogStream&) = delete;
  LogStream& operator=(const LogStream&) = delete;

  LogStream& operator<<(const char* text);
  LogStream& operator<<(const wchar_t* text);

  bool failed() const { return failed_; }

 private:
  void put(const char* text, size_t length);

  char buffer_[kLineBufferSize];
  size_t position_ = 0;
  bool failed_ = false;
};

}  // namespace common
