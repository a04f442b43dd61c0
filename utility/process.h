#pragma once
// Starting programs and documents. Failures are logged with the system error code and
// reported by the return value.
#include <windows.h>

#include <string>

namespace utility {
namespace process {

// Starts a program or document through the shell; runAsAdmin uses the "runas" verb from Vista on.
bool shell(const std::wstring& file, const std::wstring& parameters, bool runAsAdmin, bool show);

// Starts file (always quoted) with parameters; waits up to waitMilliseconds (0: not at all).
// True when the process was started and, if waited for, ended with exit code 0.
// A process still running at the time-out keeps running.
bool execute(const std::wstring& file, const std::wstring& parameters, bool show, DWORD waitMilliseconds);

// Starts file (always quoted) with parameters in a new console; the caller closes the
// returned process handle. Null on failure.
HANDLE create(const std::wstring& file, const std::wstring& parameters, bool show, DWORD* processId = nullptr);

// True for an http or https address (the scheme in any letter case), the only ones opened.
bool isWebAddress(const std::wstring& address);

// Opens an http or https address with the user's default browser, started through the
// user's desktop shell so that it does not inherit the installer's administrator rights;
// where that shell cannot be asked, directly. Any other address is refused (logged).
void openInBrowser(const std::wstring& address);

}  // namespace process
}  // namespace utility
