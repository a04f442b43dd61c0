#pragma once
// The skin's files: the store filled from the embedded archive, and the "skin" folder next
// to the executable whose files override the stored ones.
#include <windows.h>

#include <map>
#include <string>

namespace skin {

class SkinFileStore {
 public:
  static SkinFileStore& instance();
  // Fills the store from archive bytes; returns the number of files taken. A damaged entry
  // stops the filling, the files before it stay.
  size_t fillFromArchive(const void* data, size_t size);
  const std::string* find(const std::wstring& path) const;
  size_t size() const { return files_.size(); }
  void clear() { files_.clear(); }

 private:
  std::map<std::wstring, std::string> files_;
};

}  // namespace skin

// The UI toolkit's instance handle; its folder (ending in "\") is where the overrides live.
void setSkinInstance(HINSTANCE instance);
const std::wstring& skinInstanceFolder();
// Instance folder + "skin\" when such a folder or file exists, else empty.
void setResourceFolder(const std::wstring& folder);
const std::wstring& resourceFolder();

// An absolute path is read from disk; otherwise the resource folder first, then the store
// (with "\" read as "/"). False when none has the file.
bool getSkinFile(const std::wstring& name, std::string* bytes);

// Unpacks the archive resource into the store, then loads the language table of that name.
void loadSkinArchive(UINT resourceId, const std::wstring& tableName);
