#pragma once
// Small text helpers shared by the grammars and the path rules.
#include <string>

namespace utility {

// Removes leading and trailing blanks (U+0020 only; tabs and other spaces stay).
inline std::wstring trimBlanks(const std::wstring& text) {
  size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return std::wstring();
  size_t last = text.find_last_not_of(L' ');
  return text.substr(first, last - first + 1);
}

}  // namespace utility
