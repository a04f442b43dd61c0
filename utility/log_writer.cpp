#include "utility/log_writer.h"

#include <atomic>
#include <chrono>
#include <vector>

namespace common {
namespace {

std::atomic<LogWriter*> g_instance{nullptr};

bool writeAll(HANDLE file, const char* data, size_t size) {
  while (size > 0) {
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace

LogWriter* LogWriter::instance() { return g_instance.load(std::memory_order_acquire); }
void LogWriter::setInstance(LogWriter* writer) { g_instance.store(writer, std::memory_order_release); }

LogWriter::LogWriter(const std::wstring& path, const Limits& limits) : limits_(limits), path_(path) {
  thread_ = std::thread(&LogWriter::threadMain, this);
}

LogWriter::~LogWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void LogWriter::append(std::string line) {
  bool full;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pending_.size() > limits_.pendingCap) return;
    pending_ += line;
    ++appended_;
    full = pending_.size() >= limits_.pendingCap;
  }
  if (full) wake_.notify_one();
}

bool LogWriter::waitUntilWritten(unsigned timeoutMilliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  uint64_t target = appended_;
  if (flushed_ >= target) return true;
  flushRequested_ = true;
  wake_.notify_one();
  return written_.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds),
                           [&] { return flushed_ >= target; });
}

void LogWriter::openFile() {
  // Full sharing: other processes may read or write the log while the installer runs.
  file_.reset(CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) return;
  // A file left in UTF-16 (it starts with the FF FE mark) cannot take UTF-8 lines: start it anew.
  unsigned char mark[2] = {};
  DWORD read = 0;
  if (ReadFile(file_.get(), mark, 2, &read, nullptr) && read == 2 && mark[0] == 0xFF && mark[1] == 0xFE) {
    SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN);
    SetEndOfFile(file_.get());
  }
}

void LogWriter::writeOut(const std::string& text) {
  if (!file_ || text.empty()) return;
  LARGE_INTEGER zero = {};
  if (!SetFilePointerEx(file_.get(), zero, nullptr, FILE_END)) return;
  writeAll(file_.get(), text.data(), text.size());
}

void LogWriter::rollOverIfNeeded() {
  if (!file_) return;
  LARGE_INTEGER zero = {}, end = {};
  if (!SetFilePointerEx(file_.get(), zero, &end, FILE_END)) return;
  uint64_t size = static_cast<uint64_t>(end.QuadPart);
  if (size < limits_.rolloverAt || size < limits_.keepOnRollover) return;

  std::vector<char> tail(static_cast<size_t>(limits_.keepOnRollover), 0);
  LARGE_INTEGER from;
  from.QuadPart = static_cast<LONGLONG>(size - limits_.keepOnRollover);
  if (!SetFilePointerEx(file_.get(), from, nullptr, FILE_BEGIN)) return;
  size_t have = 0;
  while (have < tail.size()) {
    DWORD got = 0;
    DWORD want = static_cast<DWORD>(tail.size() - have);
    if (!ReadFile(file_.get(), tail.data() + have, want, &got, nullptr) || got == 0) return;
    have += got;
  }
  // The same handle stays open for reading and writing, so every later rollover works alike.
  SetFilePointerEx(file_.get(), zero, nullptr, FILE_BEGIN);
  if (!SetEndOfFile(file_.get())) return;
  writeAll(file_.get(), tail.data(), tail.size());
}

void LogWriter::threadMain() {
  openFile();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait_for(lock, std::chrono::milliseconds(limits_.passMilliseconds),
                   [&] { return stopping_ || flushRequested_ || pending_.size() >= limits_.pendingCap; });
    flushRequested_ = false;
    // Take the pending text and write it without the lock, so callers never wait for the disk.
    std::string text;
    text.swap(pending_);
    uint64_t taken = appended_;
    bool stop = stopping_;
    lock.unlock();
    writeOut(text);
    rollOverIfNeeded();
    lock.lock();
    flushed_ = taken;
    written_.notify_all();
    if (stop && pending_.empty()) return;
  }
}

}  // namespace common
