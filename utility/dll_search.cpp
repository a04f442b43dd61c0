#include "utility/dll_search.h"

#include <windows.h>
#include <delayimp.h>

#include <string>

#include "utility/system_paths.h"

namespace utility {
namespace {

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Before the delay-load helper loads a DLL by its bare name (which would search the
// executable's folder first where SetDefaultDllDirectories is missing), load it by full path.
FARPROC WINAPI loadFromSystemFolder(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
  std::wstring name;
  for (const char* c = info->szDll; *c; ++c) name += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  std::wstring path = systemFolderFile(name);
  if (path.empty()) return nullptr;
  return reinterpret_cast<FARPROC>(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

}  // namespace

void restrictDllSearchToSystem() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
  __pfnDliNotifyHook2 = &loadFromSystemFolder;
}

}  // namespace utility
