#pragma once
// Starting programs and documents with the rights of the logged-on user rather than the
// installer's administrator rights: through the desktop shell's own process (the shell
// window's IShellDispatch2::ShellExecute), as Windows installers commonly do.
#include <string>

namespace utility {
namespace user_shell {

// Asks the desktop shell to open file with parameters (verb "open"). True when the shell
// took the request; false when there is no desktop shell window or it refused (the caller
// decides on a fallback). COM must be initialised on the calling thread.
bool shellExecute(const std::wstring& file, const std::wstring& parameters, bool show);

}  // namespace user_shell
}  // namespace utility
