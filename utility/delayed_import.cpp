// Resolves the first call of a delay-loaded system function (the stubs that
// cmake/delay_load.cmake generates call it from any thread, before or after wWinMain).
// The DLL is loaded by its full path in the system folder, never by a bare name, which
// would search the executable's folder first on a Windows without SetDefaultDllDirectories.
#include <windows.h>

#include <cstring>

namespace {

// The layout the generated stubs lay out for each DLL.
struct DelayedLibrary {
  HMODULE module;
  const char* fileName;
};

// The codes Microsoft's delay-load helper raises, so that crash reports read the same.
constexpr DWORD kModuleNotFound = 0xC06D007E;
constexpr DWORD kProcedureNotFound = 0xC06D007F;

HMODULE loadFromSystemFolder(const char* fileName) {
  wchar_t path[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  size_t nameLength = std::strlen(fileName);
  if (length + 1 + nameLength >= MAX_PATH) return nullptr;
  path[length++] = L'\\';
  for (size_t i = 0; i < nameLength; ++i) path[length++] = static_cast<unsigned char>(fileName[i]);
  path[length] = L'\0';
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

// Called with the stack as the caller of the system function left it: 4-byte aligned on
// 32-bit Windows.
extern "C" __attribute__((force_align_arg_pointer)) void* vel_delay_resolve(DelayedLibrary* library, void** slot,
                                                                            const char* function) {
  void** moduleSlot = reinterpret_cast<void**>(&library->module);
  auto module = static_cast<HMODULE>(InterlockedCompareExchangePointer(moduleSlot, nullptr, nullptr));
  if (!module) {
    HMODULE loaded = loadFromSystemFolder(library->fileName);
    if (!loaded) RaiseException(kModuleNotFound, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    // Another thread may have loaded it meanwhile: keep one reference.
    void* earlier = InterlockedCompareExchangePointer(moduleSlot, loaded, nullptr);
    if (earlier) {
      FreeLibrary(loaded);
      module = static_cast<HMODULE>(earlier);
    } else {
      module = loaded;
    }
  }
  void* address = reinterpret_cast<void*>(GetProcAddress(module, function));
  if (!address) RaiseException(kProcedureNotFound, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  InterlockedExchangePointer(slot, address);
  return address;
}
