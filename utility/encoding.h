#pragma once
// The one place where texts change encoding: UTF-16 at the Windows boundary,
// UTF-8 in JSON, logs and event bodies, the ANSI code page where a value must pass through it.
#include <string>

namespace utility {

std::string toUtf8(const std::wstring& text);
std::string toUtf8(const wchar_t* text, size_t length);
std::wstring fromUtf8(const std::string& text);
std::string toAnsi(const std::wstring& text);
std::wstring fromAnsi(const std::string& text);

}  // namespace utility
