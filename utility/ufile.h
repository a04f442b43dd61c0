#pragma once
// File and folder helpers. Failures are logged with the system error code and
// reported by the return value.
#include <cstdint>
#include <string>

namespace utility {
namespace ufile {

// True for an existing file or folder.
bool exists(const std::wstring& path);

// MoveFileEx with the given flags (callers pass MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED).
bool moveFile(const std::wstring& from, const std::wstring& to, unsigned long flags);

// Deletes the file; a missing file is a failure too.
bool removeFile(const std::wstring& path);

// The file's 64-bit size; false (size untouched) when it cannot be opened or measured.
bool fileSize(const std::wstring& path, int64_t& size);

// Creates the folder and every missing parent; an existing folder is success.
bool makeDir(const std::wstring& path);

// The text after the last "\" (or, without one, the last "/"); without keepExtension,
// cut before its last ".".
std::wstring fileName(const std::wstring& path, bool keepExtension);

// Everything up to and including the last separator, after dropping one trailing separator.
std::wstring parentDir(const std::wstring& path);

// The folder of the running executable, ending in "\".
std::wstring moduleDir();

// The current user's roaming application-data folder, without a trailing separator.
std::wstring appDataDir();

}  // namespace ufile
}  // namespace utility
