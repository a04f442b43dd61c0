#pragma once
// Child command lines. Every program the installer starts gets its command line from here,
// quoted so that CommandLineToArgvW (and the C runtime, which splits the same way) gives each
// argument back whole: nothing inside a value can end it early or add an argument.
#include <string>
#include <vector>

namespace utility {
namespace command_line {

// text as one argument: as it is when it is not empty and holds no blank, tab, newline or
// double quote; else in double quotes, with the backslashes before a quote (and before the
// closing quote) doubled and each quote escaped.
std::wstring argument(const std::wstring& text);

// text always in double quotes by the same rules, for folders and files (a folder's trailing
// backslash then reaches the child intact instead of escaping the closing quote).
std::wstring quoted(const std::wstring& text);

// The arguments, each already formed by argument() or quoted() (or a fixed text without
// blanks), joined by single blanks.
std::wstring join(const std::vector<std::wstring>& arguments);

// "program" followed by a blank and the arguments when there are any. The program name is
// read by its own rule (up to the next quote), so it is only quoted, never escaped.
std::wstring forProgram(const std::wstring& program, const std::wstring& arguments);

}  // namespace command_line
}  // namespace utility
