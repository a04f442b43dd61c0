#include "model/player_launch.h"

#include <tlhelp32.h>

#include <vector>

#include "utility/command_line.h"
#include "utility/log.h"
#include "utility/process.h"
#include "utility/user_shell.h"

namespace player_launch {
namespace {

using CreateProcessWithTokenWFunction = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR,
                                                      LPSTARTUPINFOW, LPPROCESS_INFORMATION);

bool sameText(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                            static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring imagePathOf(HANDLE process) {
  // The first module's file name, as GetModuleFileNameEx gives it.
  std::vector<wchar_t> buffer(MAX_PATH * 2, L'\0');
  DWORD size = static_cast<DWORD>(buffer.size());
  if (QueryFullProcessImageNameW(process, 0, buffer.data(), &size)) return std::wstring(buffer.data(), size);
  return std::wstring();
}

class ModuleHandle {
 public:
  explicit ModuleHandle(HMODULE module) : module_(module) {}
  ~ModuleHandle() {
    if (module_) FreeLibrary(module_);
  }
  ModuleHandle(const ModuleHandle&) = delete;
  ModuleHandle& operator=(const ModuleHandle&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

}  // namespace

SystemVersion systemVersion() {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return SystemVersion();
  }
#pragma GCC diagnostic pop
  SystemVersion version;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  return version;
}

ShellMatch systemShell() {
  wchar_t windows[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  ShellMatch shell;
  shell.imagePath = std::wstring(windows, length < MAX_PATH ? length : 0) + L"\\explorer.exe";
  return shell;
}

bool isShellImage(const std::wstring& image, const ShellMatch& shell) {
  return sameText(image, shell.imagePath) || sameText(image, shell.name);
}

utility::UniqueHandle getShellToken(const ShellMatch& shell, DWORD* status) {
  DWORD result = ERROR_FILE_NOT_FOUND;
  utility::UniqueHandle token;
  utility::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) {
    result = GetLastError();
  } else {
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && !token;
         more = Process32NextW(snapshot.get(), &entry)) {
      utility::UniqueHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
      if (!process) continue;
      std::wstring image = imagePathOf(process.get());
      if (image.empty()) image = entry.szExeFile;
      if (!isShellImage(image, shell)) continue;
      HANDLE processToken = nullptr;
      if (!OpenProcessToken(process.get(), TOKEN_DUPLICATE, &processToken)) {
        result = GetLastError();
        break;
      }
      utility::UniqueHandle shellToken(processToken);
      HANDLE primary = nullptr;
      if (DuplicateTokenEx(shellToken.get(), TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary,
                           &primary)) {
        token.reset(primary);
        result = ERROR_SUCCESS;
      } else {
        result = GetLastError();
      }
      break;
    }
  }
  if (status) *status = result;
  return token;
}

int createProcessWithShellToken(const std::wstring& executable, const std::wstring& argument,
                                const ShellMatch& shell) {
  std::wstring commandLine = utility::command_line::forProgram(executable, argument);
  // The function refuses longer command lines; a cut one would start the player wrongly.
  if (commandLine.size() > kTokenCommandLineLimit) {
    VEL_LOG(L"command line too long for the shell token: %d", static_cast<int>(commandLine.size()));
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return -1;
  }
  DWORD status = 0;
  utility::UniqueHandle token = getShellToken(shell, &status);
  if (!token) {
    SetLastError(status);
    return -1;
  }
  ModuleHandle advapi(LoadLibraryW(L"ADVAPI32.dll"));
  if (!advapi.get()) return -1;
  auto createWithToken = reinterpret_cast<CreateProcessWithTokenWFunction>(
      reinterpret_cast<void*>(GetProcAddress(advapi.get(), "CreateProcessWithTokenW")));
  if (!createWithToken) return -1;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!createWithToken(token.get(), LOGON_WITH_PROFILE, nullptr, &commandLine[0], 0, nullptr, nullptr, &startup,
                       &info)) {
    return -1;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return 0;
}

void runPlayer(const std::wstring& installPath, const std::wstring& argument, const ShellMatch& shell,
               SystemVersion version) {
  std::wstring player = installPath + L"\\ovplayer.exe";
  // First through the desktop shell, with the user's own rights; the paths below may end
  // elevated and are kept for a system where that shell cannot be asked.
  if (utility::user_shell::shellExecute(player, argument, false)) return;
  // Before Windows 8 (6.2) the player is started through the shell, elevated.
  if (version.major < 6 || (version.major == 6 && version.minor < 2)) {
    utility::process::shell(player, argument, true, false);
    return;
  }
  VEL_LOG(L"runPlayer no amdin");
  if (createProcessWithShellToken(player, argument, shell) == -1) {
    VEL_LOG(L"runPlayer no amdin error %d", static_cast<int>(GetLastError()));
    utility::process::shell(player, argument, true, false);
  }
}

}  // namespace player_launch
