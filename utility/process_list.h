#pragma once
// The running processes: executable file name (as the system reports it) to process id;
// for duplicate names the first process reported is kept.
#include <windows.h>

#include <map>
#include <string>

namespace helper {

std::map<std::wstring, DWORD> listProcesses();

}  // namespace helper
