#include "utility/process_list.h"

#include <tlhelp32.h>

#include <cstdio>

#include "utility/unique_handle.h"

namespace helper {

std::map<std::wstring, DWORD> listProcesses() {
  std::map<std::wstring, DWORD> processes;
  utility::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) {
    std::printf("CreateToolhelp32Snapshot (of processes)\n");
    return processes;
  }
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  if (!Process32FirstW(snapshot.get(), &entry)) {
    std::printf("Process32First\n");
    return processes;
  }
  do {
    processes.emplace(entry.szExeFile, entry.th32ProcessID);
  } while (Process32NextW(snapshot.get(), &entry));
  return processes;
}

}  // namespace helper
