// Stand-in for the programs the installer starts (the player's setup, the player, its
// console): records its command line and exits with a chosen code after a chosen time.
//   vel_standin_process.exe [--record FILE] [--sleep-ms N] [--exit-code N] [anything else]
// Started with a command line it cannot be given options in (the player's console, copied
// as "ovconsole.exe"), it records into "<its own path>.calls" when that file exists.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

int wmain() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring record;
  DWORD sleepMs = 0;
  int exitCode = 0;
  for (int i = 1; args && i + 1 < count; ++i) {
    if (wcscmp(args[i], L"--record") == 0) record = args[++i];
    else if (wcscmp(args[i], L"--sleep-ms") == 0) sleepMs = static_cast<DWORD>(_wtoi(args[++i]));
    else if (wcscmp(args[i], L"--exit-code") == 0) exitCode = _wtoi(args[++i]);
  }
  if (record.empty()) {
    wchar_t self[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring calls = std::wstring(self, length) + L".calls";
    if (length > 0 && GetFileAttributesW(calls.c_str()) != INVALID_FILE_ATTRIBUTES) record = calls;
  }
  if (!record.empty()) {
    const wchar_t* line = GetCommandLineW();
    int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, line, -1, &utf8[0], size, nullptr, nullptr);
    utf8 += "\n";
    HANDLE file = CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
      CloseHandle(file);
    }
  }
  LocalFree(args);
  if (sleepMs) Sleep(sleepMs);
  return exitCode;
}
