#include "utility/log.h"

#include <cstdarg>
#include <cwchar>

#include "utility/log_stream.h"
#include "utility/log_writer.h"

LogSink g_logSink = nullptr;

void writeLog(const char* function, int line, const wchar_t* format, ...) {
  LogSink sink = g_logSink;
  if (!sink || !format) return;
  wchar_t message[8192];
  va_list args;
  va_start(args, format);
  // The Microsoft formatter: "%s" takes a wide string in a wide format. It reports -1 and
  // leaves no terminator when the text is cut; the last slot is terminated either way.
  int written = _vsnwprintf(message, 8191, format, args);
  va_end(args);
  if (written < 0 || written > 8191) written = 8191;
  message[written] = L'\0';
  sink(function, line, message);
}

void logToFile(const char* function, int line, const wchar_t* text) {
  common::LogStream stream(function, line);
  stream << text;
}

void openLogFile(const std::wstring& path) {
  if (path.empty() || common::LogWriter::instance()) return;
  common::LogWriter::setInstance(new common::LogWriter(path, common::LogWriter::Limits()));
}
