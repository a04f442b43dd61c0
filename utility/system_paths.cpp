#include "utility/system_paths.h"

#include <windows.h>
#include <shlobj.h>

#include "utility/reg_key.h"
#include "utility/ufile.h"

namespace utility {

std::wstring systemFolderFile(const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return std::wstring(folder, length) + L"\\" + name;
}

std::wstring internetExplorerPath() {
  RegKey key;
  std::wstring path;
  if (key.open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE",
               KEY_READ) == ERROR_SUCCESS) {
    key.readString(L"", 2048, path);
  }
  if (path.size() > 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
  if (!path.empty() && ufile::exists(path)) return path;
  wchar_t programFiles[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles))) {
    return std::wstring();
  }
  path = std::wstring(programFiles) + L"\\Internet Explorer\\iexplore.exe";
  return ufile::exists(path) ? path : std::wstring();
}

}  // namespace utility
