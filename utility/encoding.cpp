#include "utility/encoding.h"

#include <windows.h>

namespace utility {
namespace {

std::string narrow(UINT codePage, const wchar_t* text, size_t length) {
  if (length == 0) return std::string();
  int size = WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), &out[0], size, nullptr, nullptr);
  return out;
}

std::wstring widen(UINT codePage, const std::string& text) {
  if (text.empty()) return std::wstring();
  int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
  return out;
}

}  // namespace

std::string toUtf8(const std::wstring& text) { return narrow(CP_UTF8, text.data(), text.size()); }
std::string toUtf8(const wchar_t* text, size_t length) { return narrow(CP_UTF8, text, length); }
std::wstring fromUtf8(const std::string& text) { return widen(CP_UTF8, text); }
std::string toAnsi(const std::wstring& text) { return narrow(CP_ACP, text.data(), text.size()); }
std::wstring fromAnsi(const std::string& text) { return widen(CP_ACP, text); }

}  // namespace utility
