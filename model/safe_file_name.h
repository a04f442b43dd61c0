#pragma once
// Names from the service or the command line made safe as file names inside one folder:
// no separators, no characters Windows refuses, no leading or trailing dots or blanks
// (".." and " " would name the folder itself), no device name, bounded length.
#include <string>

// Empty when nothing usable is left.
std::wstring safeFileName(const std::wstring& name);
// The same, with fallback (itself a plain file name) in place of an empty result.
std::wstring safeFileName(const std::wstring& name, const std::wstring& fallback);
