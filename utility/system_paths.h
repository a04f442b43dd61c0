#pragma once
// Full paths of the system's own programs and DLLs: a bare name would be searched for in the
// executable's folder and the current folder first, where anyone may have put a copy.
#include <string>

namespace utility {

// The system folder (GetSystemDirectoryW) + "\" + name; empty when the system does not answer.
std::wstring systemFolderFile(const std::wstring& name);

// Internet Explorer: the registry's App Paths entry, else the Program Files folder's
// "Internet Explorer\iexplore.exe"; empty when neither names an existing file.
std::wstring internetExplorerPath();

}  // namespace utility
