#include "utility/log_writer.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cwchar>
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

// One name per log file, the same in every process: the writers of one file take turns.
std::wstring fileLockName(const std::wstring& path) {
  std::wstring upper = path;
  if (!upper.empty()) CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
  uint64_t hash = 1469598103934665603ULL;  // FNV-1a
  for (wchar_t c : upper) hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ULL;
  wchar_t name[64];
  swprintf(name, 64, L"Local\\VelLogFile.%016llx", static_cast<unsigned long long>(hash));
  return name;
}

// Holds the file's cross-process lock for one write or one rollover. A writer that died
// holding it hands it on (WAIT_ABANDONED); one that keeps it too long is not waited for.
class FileTurn {
 public:
  explicit FileTurn(HANDLE mutex) : mutex_(mutex) {
    if (!mutex_) return;
    DWORD waited = WaitForSingleObject(mutex_, kLimitMilliseconds);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }
  ~FileTurn() {
    if (held_) ReleaseMutex(mutex_);
  }
  FileTurn(const FileTurn&) = delete;
  FileTurn& operator=(const FileTurn&) = delete;

 private:
  static constexpr DWORD kLimitMilliseconds = 2000;
  HANDLE mutex_;
  bool held_ = false;
};

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

// Several installers may log into the same file at once (a second start, say). The handle
// appends only, so every write lands at the end of the file as one piece, and the writers
// of one file also take turns through a named mutex: not every system makes appends from
// several processes atomic (Wine does not), and a rollover must not cut the file between
// another writer's finding its end and writing there. Cutting uses a short-lived handle.
void LogWriter::openFile() {
  fileLock_.reset(CreateMutexW(nullptr, FALSE, fileLockName(path_).c_str()));
  file_.reset(CreateFileW(path_.c_str(), GENERIC_READ | FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) return;
  FileTurn turn(fileLock_.get());
  // A file left in UTF-16 (it starts with the FF FE mark) cannot take UTF-8 lines: start it anew.
  unsigned char mark[2] = {};
  if (readAt(0, mark, 2) && mark[0] == 0xFF && mark[1] == 0xFE) replaceContent(nullptr, 0);
}

bool LogWriter::readAt(uint64_t offset, void* buffer, size_t size) {
  auto* bytes = static_cast<char*>(buffer);
  while (size > 0) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD want = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(file_.get(), bytes, want, &got, &at) || got == 0) return false;
    bytes += got;
    offset += got;
    size -= got;
  }
  return true;
}

bool LogWriter::replaceContent(const char* data, size_t size) {
  utility::UniqueHandle writer(CreateFileW(path_.c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!writer) return false;
  if (!SetEndOfFile(writer.get())) return false;  // a new handle stands at offset 0
  return size == 0 || writeAll(writer.get(), data, size);
}

void LogWriter::writeOut(const std::string& text) {
  if (!file_ || text.empty()) return;
  FileTurn turn(fileLock_.get());
  writeAll(file_.get(), text.data(), text.size());
}

void LogWriter::rollOverIfNeeded() {
  if (!file_) return;
  FileTurn turn(fileLock_.get());
  LARGE_INTEGER end = {};
  if (!GetFileSizeEx(file_.get(), &end)) return;
  uint64_t size = static_cast<uint64_t>(end.QuadPart);
  if (size < limits_.rolloverAt || size < limits_.keepOnRollover) return;

  std::vector<char> tail(static_cast<size_t>(limits_.keepOnRollover), 0);
  if (!readAt(size - limits_.keepOnRollover, tail.data(), tail.size())) return;
  // The append handle stays open: its next write goes to the end of the cut file.
  replaceContent(tail.data(), tail.size());
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
