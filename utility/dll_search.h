#pragma once
// Keeps DLLs out of reach of whoever can write beside the executable or into the current
// folder: the installer runs elevated, often from a Downloads folder.
namespace utility {

// The first thing the process does: DLLs loaded from here on come from the system folder only
// (SetDefaultDllDirectories; where the system lacks it, the current folder is at least taken
// out of the search), and every delay-loaded DLL is loaded by its full system path.
void restrictDllSearchToSystem();

}  // namespace utility
