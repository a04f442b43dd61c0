#pragma once
// The one logging call. Every line carries the caller's qualified function name and
// source line; lines go to the sink installed at start-up (the log file's, normally).
#include <string>

#include "utility/function_name.h"

using LogSink = void (*)(const char* function, int line, const wchar_t* message);

// Installed once by the entry before other threads start; null means "log nothing".
extern LogSink g_logSink;

// Formats a wide printf message (string arguments are wide) and hands it to the sink.
// A message of more than 8191 UTF-16 units is cut to that length.
void writeLog(const char* function, int line, const wchar_t* format, ...);

// The file sink: builds one line for the log writer. The text is written verbatim.
void logToFile(const char* function, int line, const wchar_t* text);

// Creates the process-wide log writer on the first call with a non-empty path.
void openLogFile(const std::wstring& path);

#define VEL_LOG(...)                                                                  \
  do {                                                                                \
    static const char* const velLogFunction = ::common::internFunctionName(__PRETTY_FUNCTION__); \
    ::writeLog(velLogFunction, __LINE__, __VA_ARGS__);                                \
  } while (0)

// For the few places whose tag is not their own C++ name (the entry point, for one).
#define VEL_LOG_AS(function, ...) ::writeLog(function, __LINE__, __VA_ARGS__)
