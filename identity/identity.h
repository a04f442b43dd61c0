#pragma once
// The grammars that turn the installer's own file name and command line into its identity,
// and the language mappings. Pure functions: no system calls.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

// Splits at every separator; each piece is trimmed of blanks; empty pieces count.
std::vector<std::wstring> splitTrimmed(const std::wstring& text, wchar_t separator);

struct FileNameIdentity {
  bool present = false;  // false: fewer than four tokens, every default stays
  std::wstring type;
  std::wstring language;
  std::wstring openId;
  std::wstring package;
  std::wstring googleId;
};

// From the file name without folder and extension, e.g. "velplayer9_en_1203_x".
FileNameIdentity parseInstallerFileName(const std::wstring& name);

// "name=A|package=p|apkurl=u" with optional surrounding quotes; keys trimmed and
// lower-cased, later keys win; items without "=" or with an empty key are ignored.
std::map<std::wstring, std::wstring> parseCommandLinePairs(const wchar_t* commandLine);

bool isAllDigits(const std::wstring& text);

// The grammars of the values that can reach a child's command line. Each reader drops a
// value that does not fit (and logs it), so that the value's fallback applies instead.
// An open id: 1 to 16 decimal digits.
bool isOpenId(const std::wstring& text);
// A google (advertising click) id: 1 to 256 letters, digits, "_", "-" or ".".
bool isGoogleId(const std::wstring& text);
// A language token of the file name: 1 to 3 letters.
bool isLanguageToken(const std::wstring& text);
// An Android package name: segments of letters, digits and "_", each starting with a letter,
// joined by single dots; at most 255 characters.
bool isPackageName(const std::wstring& text);
// A screen resolution: width "x" height in decimal digits, e.g. "1280x720".
bool isResolution(const std::wstring& text);
// The leading decimal digits as a number; 0 when there are none.
long leadingInteger(const std::wstring& text);

// "tw" -> "zh_TW" ... ; any other code "en_US".
std::wstring localeForLanguageCode(const std::wstring& code);
// The inverse; any other locale "en".
std::wstring languageCodeForLocale(const std::wstring& locale);
// From GetUserDefaultUILanguage: Chinese of any kind "zh_TW"; unknown "en_US".
std::wstring localeForUiLanguage(LANGID language);
