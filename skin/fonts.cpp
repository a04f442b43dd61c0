#include "skin/fonts.h"

#include <vector>

#include "skin/archive.h"
#include "utility/log.h"
#include "utility/ufile.h"
#include "utility/unique_handle.h"

namespace skin {
namespace {

constexpr UINT kFontArchiveId = 130;

// Our own archive, but its paths still must not leave the target folder.
bool isSafeEntryPath(const std::wstring& path) {
  if (path.empty() || path[0] == L'/' || path[0] == L'\\' || path.find(L':') != std::wstring::npos) return false;
  std::wstring wrapped = L"/" + path + L"/";
  for (wchar_t& c : wrapped) {
    if (c == L'\\') c = L'/';
  }
  return wrapped.find(L"/../") == std::wstring::npos;
}

bool writeFontFile(const std::wstring& path, const unsigned char* data, size_t size) {
  utility::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  while (size > 0) {
    DWORD written = 0;
    DWORD chunk = size > 0x1000000 ? 0x1000000 : static_cast<DWORD>(size);
    if (!WriteFile(file.get(), data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

// A font file left by an earlier run that is byte for byte the archive's entry (its size and
// CRC) is kept: decoding and writing it again costs the start-up most of its time.
bool isCurrent(const std::wstring& path, uint64_t size, uint32_t crc) {
  utility::UniqueHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER length{};
  if (!file || !GetFileSizeEx(file.get(), &length) || static_cast<uint64_t>(length.QuadPart) != size) return false;
  std::vector<unsigned char> bytes(static_cast<size_t>(size));
  DWORD read = 0;
  if (size > 0 && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(size), &read, nullptr) || read != size)) {
    return false;
  }
  return archiveCrc(bytes.data(), bytes.size()) == crc;
}

std::wstring targetPath(const std::wstring& folder, const std::wstring& entry) {
  std::wstring path = folder + entry;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

}  // namespace

std::wstring fontsFolder() { return utility::ufile::appDataDir() + L"\\veldownloader_en\\fonts\\"; }

size_t unpackFontArchive(const void* data, size_t size, const std::wstring& folder) {
  size_t written = 0;
  auto wanted = [&](const std::wstring& entry, uint64_t length, bool hasCrc, uint32_t crc) {
    if (!hasCrc || !isSafeEntryPath(entry) || !isCurrent(targetPath(folder, entry), length, crc)) return true;
    ++written;
    return false;
  };
  unpackArchive(data, size, [&](const std::wstring& entry, bool isDirectory, const unsigned char* bytes, size_t length) {
    if (!isSafeEntryPath(entry)) return true;
    const std::wstring path = targetPath(folder, entry);
    if (isDirectory) return utility::ufile::makeDir(path);
    std::wstring parent = utility::ufile::parentDir(path);
    if (!parent.empty() && !utility::ufile::makeDir(parent)) return false;
    if (!writeFontFile(path, bytes, length)) return false;
    ++written;
    return true;
  }, wanted);
  return written;
}

}  // namespace skin

void installFonts(HMODULE module, const LanguageRecord& record) {
  const std::wstring folder = skin::fontsFolder();
  utility::ufile::makeDir(folder);
  const void* data = nullptr;
  size_t size = 0;
  if (skin::findResourceBytes(module, skin::kFontArchiveId, L"ZIPRES", &data, &size)) {
    skin::unpackFontArchive(data, size, folder);
  }
  std::wstring font = folder + record.fontFile;
  int added = AddFontResourceExW(font.c_str(), FR_PRIVATE, nullptr);
  VEL_LOG(L"load Noto Sans fonts ret:%d  error:%d", added, static_cast<int>(GetLastError()));
}

void removeInstalledFont(const LanguageRecord& record) {
  // A font added privately is removed only by the call that names the same flag.
  std::wstring font = skin::fontsFolder() + record.fontFile;
  RemoveFontResourceExW(font.c_str(), FR_PRIVATE, nullptr);
}
