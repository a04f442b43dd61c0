#pragma once
// Starting the installed player from the elevated installer without handing it the
// administrator rights: with the shell's token where the system allows it, else normally.
#include <windows.h>

#include <string>

#include "utility/unique_handle.h"

namespace player_launch {

// Which running process counts as the shell: its full image path or its bare name, both
// compared without regard to letter case.
struct ShellMatch {
  std::wstring imagePath;  // the Windows folder + "\explorer.exe"
  std::wstring name = L"explorer.exe";
};
ShellMatch systemShell();

// Whether a process's image path (or, when that is empty, its snapshot name) names the shell.
bool isShellImage(const std::wstring& image, const ShellMatch& shell);

// The command line CreateProcessWithTokenW accepts at most (in characters, without its end).
constexpr size_t kTokenCommandLineLimit = 1022;

// A primary token duplicated from the first process matching the shell; empty when none.
// status receives the system error of the search (ERROR_FILE_NOT_FOUND without a match).
utility::UniqueHandle getShellToken(const ShellMatch& shell, DWORD* status = nullptr);

// 0 when the program was started with the shell's token, -1 otherwise (no shell, no
// CreateProcessWithTokenW, a command line too long for it, or a failed start).
int createProcessWithShellToken(const std::wstring& executable, const std::wstring& argument,
                                const ShellMatch& shell);

// The system version as GetVersionEx reports it to this executable (no OS compatibility is
// declared, so at most 6.2); 0.0 when the system does not answer.
struct SystemVersion {
  DWORD major = 0;
  DWORD minor = 0;
};
SystemVersion systemVersion();

// installPath + "\ovplayer.exe" with argument: before Windows 8 through the shell, elevated;
// from Windows 8 on with the shell's token, and elevated when that start fails.
void runPlayer(const std::wstring& installPath, const std::wstring& argument, const ShellMatch& shell,
               SystemVersion version = systemVersion());

}  // namespace player_launch
