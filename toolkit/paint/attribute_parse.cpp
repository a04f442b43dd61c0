#include "toolkit/paint/attribute_parse.h"

#include <cwctype>
#include <climits>
#include <vector>

namespace toolkit {
namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring trim(const std::wstring& text) {
  size_t first = 0, last = text.size();
  while (first < last && isBlank(text[first])) ++first;
  while (last > first && isBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

int hexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// The comma-separated integers of text, exactly count of them.
bool parseIntegers(const std::wstring& text, size_t count, std::vector<int>* values) {
  values->clear();
  size_t start = 0;
  while (true) {
    size_t comma = text.find(L',', start);
    std::wstring piece = text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    int value = 0;
    if (!parseInt(piece, &value)) return false;
    values->push_back(value);
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  return values->size() == count;
}

bool parseByte(const std::wstring& text, uint8_t* out) {
  int value = 0;
  if (!parseInt(text, &value) || value < 0 || value > 255) return false;
  *out = static_cast<uint8_t>(value);
  return true;
}

// Reads "key=value" pairs; the value is quoted with ' or " or runs to the next blank.
bool parsePairs(const std::wstring& text, std::vector<std::pair<std::wstring, std::wstring>>* pairs) {
  size_t at = 0;
  const size_t size = text.size();
  while (true) {
    while (at < size && isBlank(text[at])) ++at;
    if (at >= size) return true;
    size_t keyStart = at;
    while (at < size && text[at] != L'=' && !isBlank(text[at])) ++at;
    std::wstring key = text.substr(keyStart, at - keyStart);
    while (at < size && isBlank(text[at])) ++at;
    if (key.empty() || at >= size || text[at] != L'=') return false;
    ++at;
    while (at < size && isBlank(text[at])) ++at;
    std::wstring value;
    if (at < size && (text[at] == L'\'' || text[at] == L'"')) {
      wchar_t quote = text[at++];
      size_t close = text.find(quote, at);
      if (close == std::wstring::npos) return false;
      value = text.substr(at, close - at);
      at = close + 1;
    } else {
      size_t valueStart = at;
      while (at < size && !isBlank(text[at])) ++at;
      value = text.substr(valueStart, at - valueStart);
    }
    pairs->emplace_back(key, value);
  }
}

// The attribute form starts with a key directly followed (blanks aside) by "=".
bool looksLikePairs(const std::wstring& text) {
  size_t at = 0;
  while (at < text.size() && (iswalnum(text[at]) || text[at] == L'_')) ++at;
  if (at == 0) return false;
  while (at < text.size() && isBlank(text[at])) ++at;
  return at < text.size() && text[at] == L'=';
}

}  // namespace

bool parseInt(const std::wstring& text, int* out) {
  std::wstring trimmed = trim(text);
  size_t at = 0;
  bool negative = false;
  if (at < trimmed.size() && (trimmed[at] == L'-' || trimmed[at] == L'+')) negative = trimmed[at++] == L'-';
  if (at >= trimmed.size()) return false;
  long long value = 0;
  for (; at < trimmed.size(); ++at) {
    wchar_t c = trimmed[at];
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + (c - L'0');
    if (value > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return false;
  *out = static_cast<int>(value);
  return true;
}

bool parseRect(const std::wstring& text, RECT* out) {
  std::vector<int> values;
  if (!parseIntegers(text, 4, &values)) return false;
  *out = RECT{values[0], values[1], values[2], values[3]};
  return true;
}

bool parseSize(const std::wstring& text, SIZE* out) {
  std::vector<int> values;
  if (!parseIntegers(text, 2, &values)) return false;
  *out = SIZE{values[0], values[1]};
  return true;
}

bool parseColor(const std::wstring& text, uint32_t* argb) {
  std::wstring trimmed = trim(text);
  size_t prefix = 0;
  if (trimmed.size() >= 1 && trimmed[0] == L'#') {
    prefix = 1;
  } else if (trimmed.size() >= 2 && trimmed[0] == L'0' && (trimmed[1] == L'x' || trimmed[1] == L'X')) {
    prefix = 2;
  } else {
    return false;
  }
  size_t digits = trimmed.size() - prefix;
  if (digits != 6 && digits != 8) return false;
  uint32_t value = 0;
  for (size_t i = prefix; i < trimmed.size(); ++i) {
    int digit = hexValue(trimmed[i]);
    if (digit < 0) return false;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  if (digits == 6) value |= 0xFF000000u;
  *argb = value;
  return true;
}

bool parseBool(const std::wstring& text, bool* out) {
  std::wstring trimmed = trim(text);
  for (auto& c : trimmed) c = static_cast<wchar_t>(towlower(c));
  if (trimmed == L"true" || trimmed == L"1") {
    *out = true;
  } else if (trimmed == L"false" || trimmed == L"0") {
    *out = false;
  } else {
    return false;
  }
  return true;
}

bool parseImageSpec(const std::wstring& text, ImageSpec* out) {
  std::wstring trimmed = trim(text);
  if (trimmed.empty()) return false;
  ImageSpec image;
  if (!looksLikePairs(trimmed)) {
    image.file = trimmed;
    *out = image;
    return true;
  }
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  if (!parsePairs(trimmed, &pairs)) return false;
  for (const auto& [key, value] : pairs) {
    if (key == L"file") {
      image.file = value;
    } else if (key == L"source") {
      if (!parseRect(value, &image.source)) return false;
      image.hasSource = true;
    } else if (key == L"corner") {
      if (!parseRect(value, &image.corner)) return false;
    } else if (key == L"dest") {
      if (!parseRect(value, &image.dest)) return false;
      image.hasDest = true;
    } else if (key == L"fade") {
      if (!parseByte(value, &image.fade)) return false;
    }
  }
  if (image.file.empty()) return false;
  *out = image;
  return true;
}

}  // namespace toolkit
