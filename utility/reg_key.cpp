#include "utility/reg_key.h"

#include <vector>

#include "utility/encoding.h"
#include "utility/log.h"

namespace utility {

LONG RegKey::RegRegOpen(HKEY root, const std::string& subKey, REGSAM access) {
  close();
  LONG result = RegOpenKeyExA(root, subKey.c_str(), 0, access, &key_);
  if (result != ERROR_SUCCESS) {
    key_ = nullptr;
    VEL_LOG(L"open reg = %s, lastError = %d", fromAnsi(subKey).c_str(), static_cast<int>(result));
  }
  return result;
}

LONG RegKey::RegRead(const std::string& valueName, std::string& out) {
  if (!key_) {
    VEL_LOG(L"m_hKey is null, query reg = %s", fromAnsi(valueName).c_str());
    return -1;
  }
  char buffer[1024] = {};
  DWORD size = sizeof(buffer) - 1;  // keeps a terminator even for a value of exactly 1024 bytes
  LONG result = RegQueryValueExA(key_, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  if (result != ERROR_SUCCESS) {
    VEL_LOG(L"read reg lastError = %d", static_cast<int>(result));
    return result;
  }
  out.assign(buffer);
  return 0;
}

LONG RegKey::openOrCreate(HKEY root, const std::wstring& subKey, REGSAM access) {
  close();
  LONG result = RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, access, nullptr, &key_, nullptr);
  if (result != ERROR_SUCCESS) key_ = nullptr;
  return result;
}

LONG RegKey::open(HKEY root, const std::wstring& subKey, REGSAM access) {
  close();
  LONG result = RegOpenKeyExW(root, subKey.c_str(), 0, access, &key_);
  if (result != ERROR_SUCCESS) key_ = nullptr;
  return result;
}

LONG RegKey::deleteValue(const std::wstring& valueName) {
  if (!key_) return -1;
  return RegDeleteValueW(key_, valueName.c_str());
}

LONG RegKey::readString(const std::wstring& valueName, size_t bufferBytes, std::wstring& out) {
  out.clear();
  if (!key_) return -1;
  // One spare character past the buffer keeps the text terminated whatever the value holds.
  std::vector<wchar_t> buffer(bufferBytes / sizeof(wchar_t) + 1, L'\0');
  DWORD size = static_cast<DWORD>(bufferBytes);
  LONG result = RegQueryValueExW(key_, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size);
  if (result == ERROR_SUCCESS) out.assign(buffer.data());
  return result;
}

void RegKey::close() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

}  // namespace utility
