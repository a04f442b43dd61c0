#pragma once
// Checks of a downloaded program before it runs: held open so that nobody can change or swap
// it between the check and its start, its MD5 compared with a published digest, and its
// Authenticode signature verified down to a trusted root and to the expected signer.
#include <windows.h>

#include <string>

#include "utility/unique_handle.h"

namespace utility {
namespace setup_file_check {

// Opens path for reading with FILE_SHARE_READ only: while the handle lives, no one can open
// the file for writing, rename it, replace it or delete it; CreateProcessW can still start it.
UniqueHandle openHeld(const std::wstring& path);

// The file's MD5 as 32 lower-case hexadecimal digits, read through the handle from its start;
// empty on failure, with error the system code.
std::wstring md5Of(HANDLE file, DWORD* error);

// True when text is 32 hexadecimal digits (either case).
bool isMd5Text(const std::wstring& text);

struct Verdict {
  bool ok = false;
  std::wstring reason;  // what failed, for the log
  DWORD code = 0;       // the system or trust code of the failure
};

// WinVerifyTrust on the held file, then the signer's chain built for code signing and
// required to be free of every error, then the signer's name compared with publisher.
// (WinVerifyTrust alone accepts untrusted roots and certificates without the code-signing
// usage on some systems, Wine among them.)
Verdict verifySignature(const std::wstring& path, HANDLE file, const std::wstring& publisher);

}  // namespace setup_file_check
}  // namespace utility
