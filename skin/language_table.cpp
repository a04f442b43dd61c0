#include "skin/language_table.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "utility/encoding.h"

namespace skin {
namespace {

constexpr size_t kMaxCellUnits = 512;

bool isBreak(char c) { return c == '\r' || c == '\n'; }

// Reads one line from position, with the table's line rule; false at the end of the data.
bool nextLine(const std::string& data, size_t end, size_t* position, std::vector<std::wstring>* cells) {
  size_t at = *position;
  while (at < end && (data[at] == '\t' || isBreak(data[at]))) ++at;
  if (at >= end) {
    *position = end;
    return false;
  }
  size_t lineEnd = at;
  while (lineEnd < end && !isBreak(data[lineEnd])) ++lineEnd;
  cells->clear();
  size_t start = at;
  while (start < lineEnd) {
    // Only this line is searched: a search to the end of the data would make a table of
    // TAB-less lines cost the square of its size.
    const void* found = std::memchr(data.data() + start, '\t', lineEnd - start);
    const size_t tab = found ? static_cast<size_t>(static_cast<const char*>(found) - data.data()) : lineEnd;
    std::wstring cell = utility::fromUtf8(data.substr(start, tab - start));
    if (cell.size() > kMaxCellUnits) cell.clear();
    cells->push_back(cell);
    start = tab + 1;
  }
  *position = lineEnd;
  return true;
}

}  // namespace

std::map<std::wstring, std::wstring> parseLanguageTable(const std::string& bytes, const std::wstring& languageCode) {
  std::map<std::wstring, std::wstring> texts;
  size_t end = bytes.find('\0');
  if (end == std::string::npos) end = bytes.size();
  size_t position = 0;
  std::vector<std::wstring> header, names;
  if (!nextLine(bytes, end, &position, &header) || !nextLine(bytes, end, &position, &names)) return texts;
  if (header.size() < 2 || names.size() < 2 || names[1] != L"language_name") return texts;
  size_t column = 2;
  for (size_t i = 0; i < header.size(); ++i) {
    if (header[i] == languageCode) {
      column = i;
      break;
    }
  }
  // A row needs its key (cell 1) and its text; the language's column may be 0 or 1 too.
  const size_t needed = std::max<size_t>(column, 1) + 1;
  std::vector<std::wstring> cells;
  while (nextLine(bytes, end, &position, &cells)) {
    if (cells.size() >= needed) texts[cells[1]] = cells[column];
  }
  return texts;
}

}  // namespace skin

namespace {

struct LanguageState {
  std::wstring code;
  std::map<std::wstring, std::wstring> texts;
};

LanguageState& state() {
  static LanguageState* languages = new LanguageState();  // read by windows until the process ends
  return *languages;
}

}  // namespace

void setCurrentLanguage(const std::wstring& code, const std::wstring& fallback) {
  state().code = code.empty() ? fallback : code;
}

const std::wstring& currentLanguage() { return state().code; }

void loadLanguageTable(const std::string& bytes) { state().texts = skin::parseLanguageTable(bytes, state().code); }

std::optional<std::wstring> lookupText(const std::wstring& key) {
  auto it = state().texts.find(key);
  if (it == state().texts.end()) return std::nullopt;
  return it->second;
}

std::wstring lookupTextOrKey(const char* key) {
  std::string narrow(key ? key : "");
  if (narrow.size() > 128) narrow.resize(128);
  std::wstring wide = utility::fromAnsi(narrow);
  auto inserted = state().texts.emplace(wide, wide);
  return inserted.first->second;
}
