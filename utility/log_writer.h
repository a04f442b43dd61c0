#pragma once
// The process-wide log writer: callers append finished lines to a pending text; one
// background thread moves it to the file about every 500 ms, or sooner when 10240
// bytes are pending, and keeps the file below 50 MiB by cutting it to its last 2 MiB.
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "utility/unique_handle.h"

namespace common {

class LogWriter {
 public:
  struct Limits {
    size_t pendingCap = 10240;
    uint64_t rolloverAt = 52428800;  // 50 MiB
    uint64_t keepOnRollover = 2097152;  // 2 MiB
    unsigned passMilliseconds = 500;
  };

  // Starts the writer thread for the file at path. The shipped program makes exactly
  // one, through openLogFile, and never destroys it; tests make their own.
  LogWriter(const std::wstring& path, const Limits& limits);
  ~LogWriter();
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  // Never waits for the disk. Drops the line when more than the cap is already pending.
  void append(std::string line);

  // Waits until everything appended so far is in the file (tests, benchmarks).
  bool waitUntilWritten(unsigned timeoutMilliseconds);

  static LogWriter* instance();
  static void setInstance(LogWriter* writer);

 private:
  void threadMain();
  void openFile();
  void writeOut(const std::string& text);
  void rollOverIfNeeded();
  bool readAt(uint64_t offset, void* buffer, size_t size);
  // Cuts the file to nothing and writes data as its whole content.
  bool replaceContent(const char* data, size_t size);

  const Limits limits_;
  const std::wstring path_;
  std::string pending_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable written_;
  uint64_t appended_ = 0;  // lines accepted, under mutex_
  uint64_t flushed_ = 0;   // lines in the file, under mutex_
  bool stopping_ = false;
  bool flushRequested_ = false;  // under mutex_
  utility::UniqueHandle file_;  // the writer thread's alone; appends only
  utility::UniqueHandle fileLock_;  // named after the file, shared with other processes' writers
  std::thread thread_;
};

}  // namespace common
