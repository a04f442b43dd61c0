#pragma once
// Collects the log lines written while it lives, from any thread.
#include <mutex>
#include <string>
#include <vector>

#include "utility/log.h"

namespace testing_support {

class LogCapture {
 public:
  LogCapture() : previous_(g_logSink) {
    current() = this;
    g_logSink = &LogCapture::sink;
  }
  ~LogCapture() {
    g_logSink = previous_;
    current() = nullptr;
  }
  std::vector<std::wstring> lines() {
    std::lock_guard<std::mutex> lock(lock_);
    return lines_;
  }
  // The first line that starts with prefix, or an empty text.
  std::wstring find(const std::wstring& prefix) {
    for (const std::wstring& line : lines()) {
      if (line.compare(0, prefix.size(), prefix) == 0) return line;
    }
    return std::wstring();
  }

 private:
  static LogCapture*& current() {
    static LogCapture* instance = nullptr;
    return instance;
  }
  static void sink(const char*, int, const wchar_t* text) {
    LogCapture* self = current();
    if (!self) return;
    std::lock_guard<std::mutex> lock(self->lock_);
    self->lines_.push_back(text);
  }
  LogSink previous_;
  std::mutex lock_;
  std::vector<std::wstring> lines_;
};

}  // namespace testing_support
