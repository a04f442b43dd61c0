#include "skin/skin_files.h"

#include <shlwapi.h>

#include "skin/archive.h"
#include "skin/language_table.h"
#include "utility/unique_handle.h"
#include "utility/ufile.h"

namespace skin {

SkinFileStore& SkinFileStore::instance() {
  static SkinFileStore* store = new SkinFileStore();
  return *store;
}

size_t SkinFileStore::fillFromArchive(const void* data, size_t size) {
  size_t taken = 0;
  unpackArchive(data, size, [&](const std::wstring& path, bool isDirectory, const unsigned char* bytes, size_t length) {
    if (!isDirectory) {
      files_[path].assign(reinterpret_cast<const char*>(bytes), length);
      ++taken;
    }
    return true;
  });
  return taken;
}

const std::string* SkinFileStore::find(const std::wstring& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second;
}

}  // namespace skin

namespace {

struct SkinPaths {
  HINSTANCE instance = nullptr;
  std::wstring instanceFolder;
  std::wstring resourceFolder;
};

SkinPaths& paths() {
  static SkinPaths* skinPaths = new SkinPaths();
  return *skinPaths;
}

// Reads the whole file; a short read or a file above maxBytes counts as failure.
bool readWholeFile(const std::wstring& path, size_t maxBytes, std::string* bytes, bool* opened = nullptr) {
  utility::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (opened) *opened = static_cast<bool>(file);
  if (!file) return false;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
    return false;
  }
  std::string data(static_cast<size_t>(size.QuadPart), '\0');
  size_t have = 0;
  while (have < data.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), &data[have], static_cast<DWORD>(data.size() - have), &got, nullptr) || got == 0) return false;
    have += got;
  }
  bytes->swap(data);
  return true;
}

constexpr size_t kAnySize = static_cast<size_t>(-1) / 2;
constexpr size_t kTableCap = 4194304;

}  // namespace

void setSkinInstance(HINSTANCE instance) {
  paths().instance = instance;
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
  paths().instanceFolder = length && length < MAX_PATH ? utility::ufile::parentDir(path) : std::wstring();
}

const std::wstring& skinInstanceFolder() { return paths().instanceFolder; }

void setResourceFolder(const std::wstring& folder) {
  std::wstring value = folder;
  if (value.empty() || !PathFileExistsW(value.c_str())) {
    value.clear();
  } else if (value.back() != L'\\') {
    value += L'\\';
  }
  paths().resourceFolder = value;
}

const std::wstring& resourceFolder() { return paths().resourceFolder; }

bool getSkinFile(const std::wstring& name, std::string* bytes) {
  if (name.size() > 1 && name[1] == L':') return readWholeFile(name, kAnySize, bytes);
  if (!paths().resourceFolder.empty() && readWholeFile(paths().resourceFolder + name, kAnySize, bytes)) return true;
  std::wstring stored = name;
  for (wchar_t& c : stored) {
    if (c == L'\\') c = L'/';
  }
  const std::string* file = skin::SkinFileStore::instance().find(stored);
  if (!file) return false;
  *bytes = *file;
  return true;
}

void loadSkinArchive(UINT resourceId, const std::wstring& tableName) {
  const void* data = nullptr;
  size_t size = 0;
  if (skin::findResourceBytes(paths().instance, resourceId, L"ZIPRES", &data, &size)) {
    skin::SkinFileStore::instance().fillFromArchive(data, size);
  }
  std::string table;
  bool opened = false;
  if (readWholeFile(paths().instanceFolder + tableName, kTableCap, &table, &opened)) {
    if (!table.empty()) loadLanguageTable(table);
    return;
  }
  if (opened) return;  // present but empty or above 4 MiB: no table
  if (getSkinFile(tableName, &table) && table.size() > 10) loadLanguageTable(table);
}
