#include "identity/identity.h"

#include <cwctype>

#include "utility/text.h"

namespace {

using utility::trimBlanks;

std::wstring joinTokens(const std::vector<std::wstring>& tokens, size_t from, size_t toExclusive) {
  std::wstring joined;
  for (size_t i = from; i < toExclusive; ++i) {
    if (i > from) joined += L'_';
    joined += tokens[i];
  }
  return joined;
}

struct LocalePair {
  const wchar_t* code;
  const wchar_t* locale;
};

const LocalePair kLocales[] = {
    {L"tw", L"zh_TW"}, {L"kr", L"ko_KR"}, {L"vn", L"vi_VN"}, {L"th", L"th_TH"}, {L"ru", L"ru_RU"},
    {L"pt", L"pt_PT"}, {L"tr", L"tr_TR"}, {L"es", L"es_ES"}, {L"ar", L"ar_IL"}, {L"jp", L"ja_JP"},
    {L"fa", L"fa_IR"}, {L"in", L"hi_IN"}, {L"de", L"de_DE"}, {L"fr", L"fr_FR"}, {L"id", L"in_ID"},
    {L"cn", L"zh_CN"}, {L"it", L"it_IT"}, {L"en", L"en_US"}, {L"my", L"ms_MY"}, {L"ua", L"uk_UA"},
};

}  // namespace

std::vector<std::wstring> splitTrimmed(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> pieces;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    pieces.push_back(trimBlanks(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start)));
    if (end == std::wstring::npos) return pieces;
    start = end + 1;
  }
}

bool isAllDigits(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
  }
  return true;
}

namespace {

bool isAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool isAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

bool isOpenId(const std::wstring& text) { return !text.empty() && text.size() <= 16 && isAllDigits(text); }

bool isGoogleId(const std::wstring& text) {
  if (text.empty() || text.size() > 256) return false;
  for (wchar_t c : text) {
    if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != L'_' && c != L'-' && c != L'.') return false;
  }
  return true;
}

bool isLanguageToken(const std::wstring& text) {
  if (text.empty() || text.size() > 3) return false;
  for (wchar_t c : text) {
    if (!isAsciiLetter(c)) return false;
  }
  return true;
}

bool isPackageName(const std::wstring& text) {
  if (text.empty() || text.size() > 255) return false;
  bool segmentStart = true;
  for (wchar_t c : text) {
    if (c == L'.') {
      if (segmentStart) return false;
      segmentStart = true;
      continue;
    }
    if (segmentStart ? !isAsciiLetter(c) : !(isAsciiLetter(c) || isAsciiDigit(c) || c == L'_')) return false;
    segmentStart = false;
  }
  return !segmentStart;
}

bool isResolution(const std::wstring& text) {
  size_t x = text.find(L'x');
  if (x == 0 || x == std::wstring::npos || x + 1 == text.size() || text.size() > 16) return false;
  return isAllDigits(text.substr(0, x)) && isAllDigits(text.substr(x + 1));
}

long leadingInteger(const std::wstring& text) {
  long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') break;
    if (value > 100000000L) break;  // far beyond any open id; keeps the number in range
    value = value * 10 + (c - L'0');
  }
  return value;
}

FileNameIdentity parseInstallerFileName(const std::wstring& name) {
  FileNameIdentity identity;
  std::vector<std::wstring> tokens = splitTrimmed(name, L'_');
  size_t n = tokens.size();
  if (n < 4) return identity;
  identity.present = true;
  identity.type = tokens[0];
  identity.language = tokens[1];
  identity.openId = tokens[2];
  if (n >= 5) {
    if (isAllDigits(tokens[2])) {
      identity.googleId = joinTokens(tokens, 3, n - 1);
    } else {
      identity.package = tokens[2];
      identity.openId = tokens[3];
      if (n >= 6) identity.googleId = joinTokens(tokens, 4, n - 1);
    }
  }
  return identity;
}

std::map<std::wstring, std::wstring> parseCommandLinePairs(const wchar_t* commandLine) {
  std::map<std::wstring, std::wstring> pairs;
  if (!commandLine) return pairs;
  std::wstring text(commandLine);
  if (text.size() > 5) {
    if (!text.empty() && text.front() == L'"') text.erase(0, 1);
    if (!text.empty() && text.back() == L'"') text.pop_back();
  }
  for (const std::wstring& item : splitTrimmed(text, L'|')) {
    size_t equals = item.find(L'=');
    if (equals == std::wstring::npos) continue;
    std::wstring key = trimBlanks(item.substr(0, equals));
    if (key.empty()) continue;
    for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(c));
    pairs[key] = trimBlanks(item.substr(equals + 1));
  }
  return pairs;
}

std::wstring localeForLanguageCode(const std::wstring& code) {
  for (const LocalePair& pair : kLocales) {
    if (code == pair.code) return pair.locale;
  }
  return L"en_US";
}

std::wstring languageCodeForLocale(const std::wstring& locale) {
  for (const LocalePair& pair : kLocales) {
    if (locale == pair.locale) return pair.code;
  }
  return L"en";
}

std::wstring localeForUiLanguage(LANGID language) {
  static const std::map<int, std::wstring> kByPrimaryLanguage = {
      {1, L"ar_IL"},  {7, L"de_DE"},  {9, L"en_US"},  {10, L"es_ES"}, {12, L"fr_FR"}, {16, L"it_IT"},
      {17, L"ja_JP"}, {18, L"ko_KR"}, {22, L"pt_PT"}, {25, L"ru_RU"}, {30, L"th_TH"}, {31, L"tr_TR"},
      {33, L"in_ID"}, {34, L"uk_UA"}, {41, L"fa_IR"}, {42, L"vi_VN"}, {57, L"hi_IN"}, {62, L"ms_MY"},
  };
  int primary = language & 0x3FF;
  if (primary == 4) return L"zh_TW";
  auto it = kByPrimaryLanguage.find(primary);
  return it == kByPrimaryLanguage.end() ? L"en_US" : it->second;
}
