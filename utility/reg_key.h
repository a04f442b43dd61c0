#pragma once
// Owns one open registry key; closed by close() or when the object goes.
#include <windows.h>

#include <string>

namespace utility {

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() { close(); }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // Opens subKey (narrow text) under root; returns the system result, 0 on success.
  LONG RegRegOpen(HKEY root, const std::string& subKey, REGSAM access);
  // Reads a string value (narrow text) up to its first zero byte; -1 when no key is open.
  LONG RegRead(const std::string& valueName, std::string& out);

  // Opens subKey under root, creating it when missing; returns the system result.
  LONG openOrCreate(HKEY root, const std::wstring& subKey, REGSAM access);
  // Opens an existing subKey under root; returns the system result.
  LONG open(HKEY root, const std::wstring& subKey, REGSAM access);
  // Deletes a value of the open key; returns the system result, -1 when no key is open.
  LONG deleteValue(const std::wstring& valueName);
  // Reads a string value into a zeroed buffer of bufferBytes; the text ends at its first NUL.
  LONG readString(const std::wstring& valueName, size_t bufferBytes, std::wstring& out);

  void close();
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace utility
