#include "model/safe_file_name.h"

#include <cwctype>

namespace {

constexpr size_t kFileNameLimit = 64;

bool isDeviceName(const std::wstring& name) {
  // The part before the first dot decides ("CON.txt" is the console too).
  std::wstring base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (wchar_t& c : base) c = static_cast<wchar_t>(std::towupper(c));
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* device : kDevices) {
    if (base == device) return true;
  }
  if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
    wchar_t digit = base[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
  }
  return false;
}

}  // namespace

std::wstring safeFileName(const std::wstring& name) {
  std::wstring safe;
  for (wchar_t c : name) {
    bool forbidden = c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'/' || c == L'\\' ||
                     c == L'|' || c == L'?' || c == L'*';
    safe += forbidden ? L'_' : c;
  }
  // Leading blanks and dots make names Explorer hides or cannot open; trailing ones are
  // dropped by Windows, so ".." and " " would name the folder itself.
  while (!safe.empty() && (safe.back() == L'.' || safe.back() == L' ')) safe.pop_back();
  size_t first = safe.find_first_not_of(L". ");
  safe = first == std::wstring::npos ? std::wstring() : safe.substr(first);
  if (safe.size() > kFileNameLimit) {
    // Never half of a surrogate pair.
    size_t keep = kFileNameLimit;
    if (safe[keep - 1] >= 0xD800 && safe[keep - 1] <= 0xDBFF) --keep;
    safe.resize(keep);
    while (!safe.empty() && (safe.back() == L'.' || safe.back() == L' ')) safe.pop_back();
  }
  if (isDeviceName(safe)) safe = L"_" + safe;
  return safe;
}

std::wstring safeFileName(const std::wstring& name, const std::wstring& fallback) {
  std::wstring safe = safeFileName(name);
  return safe.empty() ? fallback : safe;
}
