#pragma once
// Keeps DLLs out of reach of whoever can write beside the executable or into the current
// folder: the installer runs elevated, often from a Downloads folder.
namespace utility {

// The first thing the process does: DLLs loaded from here on come from the system folder only
// (SetDefaultDllDirectories; where the system lacks it, the current folder is at least taken
// out of the search). Delay-loaded DLLs are loaded by their full system path whenever they
// are first used (utility/delayed_import.cpp).
void restrictDllSearchToSystem();

}  // namespace utility
