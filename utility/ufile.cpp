#include "utility/ufile.h"

#include <windows.h>
#include <shlobj.h>

#include "utility/log.h"

namespace utility {
namespace ufile {

bool makeDir(const std::wstring& path) {
  int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
  if (result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS) return true;
  VEL_LOG(L"make dir failed! error = %d.", result);
  return false;
}

std::wstring fileName(const std::wstring& path, bool keepExtension) {
  size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos) slash = path.rfind(L'/');
  if (slash == std::wstring::npos) return std::wstring();
  std::wstring name = path.substr(slash + 1);
  if (!keepExtension) {
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
  }
  return name;
}

std::wstring parentDir(const std::wstring& path) {
  if (path.size() <= 1) return std::wstring();
  std::wstring trimmed = path;
  if (trimmed.back() == L'\\' || trimmed.back() == L'/') trimmed.pop_back();
  size_t slash = trimmed.rfind(L'\\');
  if (slash == std::wstring::npos) slash = trimmed.rfind(L'/');
  if (slash == std::wstring::npos) return std::wstring();
  return trimmed.substr(0, slash + 1);
}

std::wstring moduleDir() {
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return parentDir(std::wstring(path, length));
}

std::wstring appDataDir() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
  std::wstring folder(path);
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  return folder;
}

}  // namespace ufile
}  // namespace utility
