#include "skin/archive.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

extern "C" {
#include "7z.h"
#include "7zCrc.h"
}

namespace skin {
namespace {

void* allocate(ISzAllocPtr, size_t size) { return size ? std::malloc(size) : nullptr; }
void release(ISzAllocPtr, void* address) { std::free(address); }
const ISzAlloc kAlloc = {allocate, release};

// A seekable stream over the resource bytes.
struct MemoryInStream {
  ISeekInStream vt;
  const Byte* data;
  size_t size;
  size_t position;
};

SRes memoryRead(ISeekInStreamPtr p, void* buffer, size_t* size) {
  auto* stream = reinterpret_cast<MemoryInStream*>(const_cast<ISeekInStream*>(p));
  size_t left = stream->size - stream->position;
  size_t count = *size < left ? *size : left;
  if (count) std::memcpy(buffer, stream->data + stream->position, count);
  stream->position += count;
  *size = count;
  return SZ_OK;
}

SRes memorySeek(ISeekInStreamPtr p, Int64* position, ESzSeek origin) {
  auto* stream = reinterpret_cast<MemoryInStream*>(const_cast<ISeekInStream*>(p));
  Int64 base = origin == SZ_SEEK_SET ? 0 : origin == SZ_SEEK_CUR ? static_cast<Int64>(stream->position)
                                                                  : static_cast<Int64>(stream->size);
  Int64 target = base + *position;
  if (target < 0 || target > static_cast<Int64>(stream->size)) return SZ_ERROR_READ;
  stream->position = static_cast<size_t>(target);
  *position = target;
  return SZ_OK;
}

void initCrcTable() {
  static std::once_flag crcTable;
  std::call_once(crcTable, [] { CrcGenerateTable(); });
}

}  // namespace

uint32_t archiveCrc(const void* data, size_t size) {
  initCrcTable();
  return CrcCalc(data, size);
}

UnpackResult unpackArchive(const void* data, size_t size, const ArchiveEntryHandler& onEntry,
                           const ArchiveEntryFilter& wanted) {
  initCrcTable();
  if (!data || size == 0) return UnpackResult::NotAnArchive;

  MemoryInStream memory = {{memoryRead, memorySeek}, static_cast<const Byte*>(data), size, 0};
  CLookToRead2 look = {};
  LookToRead2_CreateVTable(&look, False);
  std::vector<Byte> lookBuffer(1 << 16);
  look.buf = lookBuffer.data();
  look.bufSize = lookBuffer.size();
  look.realStream = &memory.vt;
  LookToRead2_INIT(&look);

  CSzArEx archive;
  SzArEx_Init(&archive);
  if (SzArEx_Open(&archive, &look.vt, &kAlloc, &kAlloc) != SZ_OK) {
    SzArEx_Free(&archive, &kAlloc);
    return UnpackResult::NotAnArchive;
  }
  // The reader leaves the name table null when the archive stores no names property; every
  // entry is known by its path, so such an archive is of no use.
  if (archive.NumFiles > 0 && (!archive.FileNameOffsets || !archive.FileNames)) {
    SzArEx_Free(&archive, &kAlloc);
    return UnpackResult::NotAnArchive;
  }

  UnpackResult result = UnpackResult::Complete;
  UInt32 blockIndex = 0xFFFFFFFF;
  Byte* block = nullptr;
  size_t blockSize = 0;
  std::vector<UInt16> name;
  for (UInt32 i = 0; i < archive.NumFiles; ++i) {
    size_t nameLength = SzArEx_GetFileNameUtf16(&archive, i, nullptr);
    name.assign(nameLength, 0);
    SzArEx_GetFileNameUtf16(&archive, i, name.data());
    std::wstring path(name.begin(), name.end());
    while (!path.empty() && path.back() == L'\0') path.pop_back();

    bool isDirectory = SzArEx_IsDir(&archive, i);
    if (!isDirectory && wanted &&
        !wanted(path, SzArEx_GetFileSize(&archive, i), SzBitWithVals_Check(&archive.CRCs, i) != 0,
                archive.CRCs.Vals ? archive.CRCs.Vals[i] : 0)) {
      continue;
    }
    const unsigned char* bytes = nullptr;
    size_t length = 0;
    if (!isDirectory) {
      size_t offset = 0, processed = 0;
      // Checks the entry's stored CRC, when it has one, before handing the bytes on.
      if (SzArEx_Extract(&archive, &look.vt, i, &blockIndex, &block, &blockSize, &offset, &processed, &kAlloc, &kAlloc) !=
          SZ_OK) {
        result = UnpackResult::Damaged;
        break;
      }
      bytes = block + offset;
      length = processed;
    }
    if (!onEntry(path, isDirectory, bytes, length)) {
      result = UnpackResult::Stopped;
      break;
    }
  }
  ISzAlloc_Free(&kAlloc, block);
  SzArEx_Free(&archive, &kAlloc);
  return result;
}

bool findResourceBytes(HMODULE module, UINT id, const wchar_t* type, const void** data, size_t* size) {
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!resource) return false;
  HGLOBAL loaded = LoadResource(module, resource);
  DWORD length = SizeofResource(module, resource);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || length == 0) return false;
  *data = bytes;
  *size = length;
  return true;
}

}  // namespace skin
