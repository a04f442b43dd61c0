#pragma once
// Reads a 7z archive straight from memory (the executable's resources): no temporary file.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

namespace skin {

// One entry, in archive order. Paths use "/" as stored. Returning false stops the walk.
using ArchiveEntryHandler =
    std::function<bool(const std::wstring& path, bool isDirectory, const unsigned char* data, size_t size)>;

enum class UnpackResult {
  Complete,
  NotAnArchive,  // the bytes do not open as a 7z archive, or it stores no entry names
  Damaged,       // an entry failed to decode or its CRC did not match: the walk stopped there
  Stopped,       // the handler asked to stop
};

// Asked before a file entry is decoded: false skips it (its handler is not called, and in an
// archive of one entry per block nothing of it is decoded). size is the unpacked size, crc
// the stored CRC when hasCrc.
using ArchiveEntryFilter = std::function<bool(const std::wstring& path, uint64_t size, bool hasCrc, uint32_t crc)>;

UnpackResult unpackArchive(const void* data, size_t size, const ArchiveEntryHandler& onEntry,
                           const ArchiveEntryFilter& wanted = nullptr);

// The CRC-32 the archive stores for its entries.
uint32_t archiveCrc(const void* data, size_t size);

// The bytes of a resource of the executable (or of module), or false when it is missing or empty.
bool findResourceBytes(HMODULE module, UINT id, const wchar_t* type, const void** data, size_t* size);

}  // namespace skin
