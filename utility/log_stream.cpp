#include "utility/log_stream.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "utility/log_writer.h"

namespace common {

LogStream::LogStream(const char* function, int line) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  int written = std::snprintf(buffer_, kLineBufferSize, "%02d-%02d\t%02d:%02d:%02d.%03d\t%04lu\t%s\t(%d):",
                              now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                              static_cast<unsigned long>(GetCurrentThreadId()), function ? function : "", line);
  if (written < 0 || static_cast<size_t>(written) >= kLineBufferSize) {
    failed_ = true;
  } else {
    position_ = static_cast<size_t>(written);
  }
}

LogStream& LogStream::operator<<(const char* text) {
  if (text) put(text, std::strlen(text));
  return *this;
}

LogStream& LogStream::operator<<(const wchar_t* text) {
  if (!text || failed_) return *this;
  // A message whose UTF-8 form does not fit the scratch buffer cannot fit the line either.
  char scratch[kLineBufferSize] = {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, scratch, sizeof(scratch), nullptr, nullptr);
  if (size <= 0) {
    failed_ = true;
    return *this;
  }
  put(scratch, static_cast<size_t>(size - 1));
  return *this;
}

void LogStream::put(const char* text, size_t length) {
  if (failed_) return;
  if (length > kLineBufferSize - position_) {
    failed_ = true;
    return;
  }
  std::memcpy(buffer_ + position_, text, length);
  position_ += length;
}

LogStream::~LogStream() {
  LogWriter* writer = LogWriter::instance();
  if (!writer) return;
  put("\r\n", 2);
  if (failed_) return;
  writer->append(std::string(buffer_, position_));
}

}  // namespace common
