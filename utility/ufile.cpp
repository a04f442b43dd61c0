#include "utility/ufile.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "utility/log.h"

namespace utility {
namespace ufile {

bool exists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; }

bool moveFile(const std::wstring& from, const std::wstring& to, unsigned long flags) {
  if (MoveFileExW(from.c_str(), to.c_str(), flags)) return true;
  VEL_LOG(L"move file from [ %s ] to [ %s ] flag = %d failed! error = %d.", from.c_str(), to.c_str(),
          static_cast<int>(flags), static_cast<int>(GetLastError()));
  return false;
}

bool removeFile(const std::wstring& path) {
  if (DeleteFileW(path.c_str())) return true;
  VEL_LOG(L"removeFile file from [ %s ] error = %d.", path.c_str(), static_cast<int>(GetLastError()));
  return false;
}

bool fileSize(const std::wstring& path, int64_t& size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER value = {};
  BOOL measured = GetFileSizeEx(file, &value);
  CloseHandle(file);
  if (!measured) return false;
  size = value.QuadPart;
  return true;
}

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
