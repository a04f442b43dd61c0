#include "utility/command_line.h"

namespace utility {
namespace command_line {
namespace {

bool needsQuotes(const std::wstring& text) {
  return text.empty() || text.find_first_of(L" \t\n\v\"") != std::wstring::npos;
}

}  // namespace

std::wstring quoted(const std::wstring& text) {
  std::wstring result = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      // Each backslash before a quote is doubled and the quote itself escaped.
      result.append(backslashes * 2 + 1, L'\\');
    } else {
      result.append(backslashes, L'\\');
    }
    backslashes = 0;
    result += c;
  }
  // Backslashes before the closing quote are doubled, so that they stay backslashes.
  result.append(backslashes * 2, L'\\');
  result += L'"';
  return result;
}

std::wstring argument(const std::wstring& text) { return needsQuotes(text) ? quoted(text) : text; }

std::wstring join(const std::vector<std::wstring>& arguments) {
  std::wstring line;
  for (const std::wstring& piece : arguments) {
    if (piece.empty()) continue;
    if (!line.empty()) line += L' ';
    line += piece;
  }
  return line;
}

std::wstring forProgram(const std::wstring& program, const std::wstring& arguments) {
  std::wstring line = L"\"" + program + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  return line;
}

}  // namespace command_line
}  // namespace utility
