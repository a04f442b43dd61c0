// A second process logging into a shared file, for the tests of concurrent log writers.
//   vel_log_writer_child.exe PATH TAG LINES
// Writes LINES lines "TAG line N ..." through its own log writer, in small passes so that
// its writes meet the other processes' writes, then waits until all are in the file.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "utility/log_writer.h"

int wmain() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args || count < 4) return 2;
  common::LogWriter::Limits limits;
  limits.passMilliseconds = 1;
  common::LogWriter writer(args[1], limits);
  std::string tag;
  for (const wchar_t* c = args[2]; *c; ++c) tag += static_cast<char>(*c);
  int lines = _wtoi(args[3]);
  for (int i = 0; i < lines; ++i) {
    char text[160];
    std::snprintf(text, sizeof(text), "%s line %d %s\r\n", tag.c_str(), i,
                  "................................................................................");
    writer.append(text);
    if (i % 32 == 31 && !writer.waitUntilWritten(10000)) return 3;
  }
  return writer.waitUntilWritten(10000) ? 0 : 3;
}
