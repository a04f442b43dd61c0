#pragma once
// Fixed NTFS drives of invented sizes and kinds, for the rules and the window that ask
// helper::DiskSystem; any other letter does not exist. Letters match in any case.
#include <windows.h>

#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "utility/disk.h"

namespace testdisks {

struct Drive {
  uint64_t freeMiB;
  bool ssd;
};

class Disks : public helper::DiskSystem {
 public:
  explicit Disks(std::map<wchar_t, Drive> drives) : drives_(std::move(drives)) {}

  std::vector<std::wstring> logicalDriveRoots() const override {
    std::vector<std::wstring> roots;
    for (auto& d : drives_) roots.push_back(std::wstring(1, d.first) + L":\\");
    return roots;
  }
  UINT driveType(const std::wstring& root) const override { return find(root) ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR; }
  bool availableBytes(const std::wstring& root, uint64_t* bytes) const override {
    const Drive* d = find(root);
    if (!d) return false;
    *bytes = d->freeMiB << 20;
    return true;
  }
  bool fileSystemName(const std::wstring& path, std::wstring* name) const override {
    if (!find(path)) return false;
    *name = L"NTFS";
    return true;
  }
  helper::DeviceAnswer trimEnabled(const std::wstring& driveName) const override {
    const Drive* d = find(driveName);
    if (!d) return helper::DeviceAnswer::CannotOpen;
    return d->ssd ? helper::DeviceAnswer::Yes : helper::DeviceAnswer::No;
  }
  helper::DeviceAnswer hotplug(const std::wstring&) const override { return helper::DeviceAnswer::No; }
  std::wstring systemDriveRoot() const override { return L"C:\\"; }

 private:
  const Drive* find(const std::wstring& rootOrName) const {
    if (rootOrName.size() < 2 || rootOrName[1] != L':') return nullptr;
    auto it = drives_.find(static_cast<wchar_t>(std::towupper(rootOrName[0])));
    return it == drives_.end() ? nullptr : &it->second;
  }
  std::map<wchar_t, Drive> drives_;
};

}  // namespace testdisks
