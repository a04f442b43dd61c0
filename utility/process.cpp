#include "utility/process.h"

#include <shellapi.h>

#include "utility/command_line.h"
#include "utility/log.h"
#include "utility/system_paths.h"
#include "utility/user_shell.h"
#include "utility/unique_handle.h"

namespace utility {
namespace process {
namespace {

// Vista or later; GetVersionEx is deprecated but still answers for this purpose.
bool isVistaOrLater() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) return true;
#pragma GCC diagnostic pop
  return info.dwMajorVersion > 5;
}

}  // namespace

bool shell(const std::wstring& file, const std::wstring& parameters, bool runAsAdmin, bool show) {
  VEL_LOG(L"shell filename = [%s], param = [%s], runas = %d, show = %d", file.c_str(), parameters.c_str(),
          runAsAdmin ? 1 : 0, show ? 1 : 0);
  const wchar_t* verb = (runAsAdmin && isVistaOrLater()) ? L"runas" : L"open";
  HINSTANCE result = ShellExecuteW(nullptr, verb, file.c_str(), parameters.c_str(), nullptr, show ? SW_SHOW : SW_HIDE);
  VEL_LOG(L"shellEx ret . lastError = %d", static_cast<int>(GetLastError()));
  if (reinterpret_cast<INT_PTR>(result) > 32) return true;
  VEL_LOG(L"shellEx failed!!! lastError = %d", static_cast<int>(GetLastError()));
  return false;
}

HANDLE create(const std::wstring& file, const std::wstring& parameters, bool show, DWORD* processId) {
  VEL_LOG(L"createProcess filename = [%s], param = [%s], show = %d", file.c_str(), parameters.c_str(), show ? 1 : 0);
  std::wstring commandLine = command_line::forProgram(file, parameters);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show ? SW_SHOW : SW_HIDE;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr, &startup,
                      &info)) {
    VEL_LOG(L"createProcess failed!!! lastError = %d", static_cast<int>(GetLastError()));
    return nullptr;
  }
  CloseHandle(info.hThread);
  if (processId) *processId = info.dwProcessId;
  return info.hProcess;
}

bool execute(const std::wstring& file, const std::wstring& parameters, bool show, DWORD waitMilliseconds) {
  UniqueHandle process(create(file, parameters, show));
  if (!process) {
    VEL_LOG(L"execute failed!!! last error = %d", static_cast<int>(GetLastError()));
    return false;
  }
  if (waitMilliseconds == 0) return true;
  bool result = false;
  switch (WaitForSingleObject(process.get(), waitMilliseconds)) {
    case WAIT_OBJECT_0: {
      DWORD code = 0;
      int exitCode = GetExitCodeProcess(process.get(), &code) ? static_cast<int>(code) : -1;
      result = exitCode == 0;
      VEL_LOG(L"execute exitcode = %d lastError = %d", exitCode, static_cast<int>(GetLastError()));
      break;
    }
    case WAIT_TIMEOUT:
      VEL_LOG(L"execute timeout!!!");
      break;
    default:
      VEL_LOG(L"execute failed!!! lastError = %d", static_cast<int>(GetLastError()));
      break;
  }
  return result;
}

bool isWebAddress(const std::wstring& address) {
  for (const wchar_t* scheme : {L"http://", L"https://"}) {
    int length = static_cast<int>(wcslen(scheme));
    if (address.size() > static_cast<size_t>(length) &&
        CompareStringOrdinal(address.c_str(), length, scheme, length, TRUE) == CSTR_EQUAL) {
      return true;
    }
  }
  return false;
}

void openInBrowser(const std::wstring& address) {
  // Addresses come from the service's documents: a file or another scheme could start anything.
  if (!isWebAddress(address)) {
    VEL_LOG(L"not a web address, not opened: %s", address.c_str());
    return;
  }
  if (user_shell::shellExecute(address, L"", true)) return;
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = L"open";
  info.lpFile = address.c_str();
  info.nShow = SW_SHOW;
  if (ShellExecuteExW(&info)) {
    // The handle was asked for by the shell's contract, not used.
    if (info.hProcess) CloseHandle(info.hProcess);
    return;
  }
  // By full path: a bare name is searched for beside the installer first.
  std::wstring browser = internetExplorerPath();
  if (browser.empty()) {
    VEL_LOG(L"no browser to open the address");
    return;
  }
  ShellExecuteW(nullptr, L"open", browser.c_str(), address.c_str(), nullptr, SW_SHOW);
}

}  // namespace process
}  // namespace utility
