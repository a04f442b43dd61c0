#include "utility/disk.h"

#include <winioctl.h>

#include <cwctype>

#include "utility/text.h"
#include "utility/unique_handle.h"

namespace helper {
namespace {

using utility::trimBlanks;

constexpr double kMiB = 1.0 / (1024.0 * 1024.0);
constexpr int kSsdBonusThresholdMiB = 17408;

utility::UniqueHandle openDevice(const std::wstring& driveName) {
  std::wstring device = L"\\\\.\\" + driveName;
  return utility::UniqueHandle(CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
}

class RealDiskSystem : public DiskSystem {
 public:
  std::vector<std::wstring> logicalDriveRoots() const override {
    std::vector<std::wstring> roots;
    DWORD length = GetLogicalDriveStringsW(0, nullptr);
    if (length == 0) return roots;
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD written = GetLogicalDriveStringsW(length, buffer.data());
    if (written == 0 || written > length) return roots;
    for (const wchar_t* root = buffer.data(); *root; root += wcslen(root) + 1) roots.emplace_back(root);
    return roots;
  }
  UINT driveType(const std::wstring& root) const override { return GetDriveTypeW(root.c_str()); }
  bool availableBytes(const std::wstring& root, uint64_t* bytes) const override {
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) return false;
    *bytes = available.QuadPart;
    return true;
  }
  bool fileSystemName(const std::wstring& path, std::wstring* name) const override {
    wchar_t fileSystem[1024] = {};
    if (!GetVolumeInformationW(path.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fileSystem, 1024)) return false;
    *name = fileSystem;
    return true;
  }
  DeviceAnswer trimEnabled(const std::wstring& driveName) const override {
    utility::UniqueHandle device = openDevice(driveName);
    if (!device) return DeviceAnswer::CannotOpen;
    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = static_cast<STORAGE_PROPERTY_ID>(8);  // StorageDeviceTrimProperty
    query.QueryType = PropertyStandardQuery;
    struct {
      DWORD version;
      DWORD size;
      BOOLEAN trimEnabled;
    } descriptor = {};
    DWORD returned = 0;
    if (!DeviceIoControl(device.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, 12, &descriptor, 12, &returned, nullptr)) {
      return DeviceAnswer::QueryFailed;
    }
    return descriptor.trimEnabled == 1 ? DeviceAnswer::Yes : DeviceAnswer::No;
  }
  DeviceAnswer hotplug(const std::wstring& driveName) const override {
    utility::UniqueHandle device = openDevice(driveName);
    if (!device) return DeviceAnswer::CannotOpen;
    STORAGE_HOTPLUG_INFO info = {};
    DWORD returned = 0;
    if (!DeviceIoControl(device.get(), IOCTL_STORAGE_GET_HOTPLUG_INFO, nullptr, 0, &info, sizeof(info), &returned, nullptr)) {
      return DeviceAnswer::QueryFailed;
    }
    return (info.MediaRemovable || info.DeviceHotplug) ? DeviceAnswer::Yes : DeviceAnswer::No;
  }
  std::wstring systemDriveRoot() const override {
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    if (length < 3 || length >= MAX_PATH || folder[1] != L':') return L"C:\\";
    return std::wstring(folder, 2) + L"\\";
  }
};

}  // namespace

const DiskSystem& systemDisks() {
  static const RealDiskSystem disks;
  return disks;
}

bool isSolidStateDrive(const std::wstring& driveName, const DiskSystem& disks) {
  return disks.trimEnabled(driveName) == DeviceAnswer::Yes;
}

bool isHotplugDrive(const std::wstring& driveName, const DiskSystem& disks) {
  switch (disks.hotplug(driveName)) {
    case DeviceAnswer::CannotOpen:
    case DeviceAnswer::No:
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    default:
      return true;
  }
}

std::vector<std::wstring> listFixedDrives(const DiskSystem& disks) {
  std::vector<std::wstring> fixed;
  for (const std::wstring& root : disks.logicalDriveRoots()) {
    if (disks.driveType(root) != DRIVE_FIXED) continue;
    if (isHotplugDrive(root.substr(0, 2), disks)) continue;
    fixed.push_back(root);
  }
  return fixed;
}

double driveScore(const std::wstring& root, bool* isSsd, const DiskSystem& disks) {
  uint64_t available = 0;
  if (!disks.availableBytes(root.substr(0, 3), &available)) return 0;
  std::wstring fileSystem;
  if (disks.fileSystemName(root, &fileSystem) && fileSystem != L"FAT32" && fileSystem != L"NTFS") return 0;
  double freeMiB = static_cast<double>(available) * kMiB;
  bool ssd = isSolidStateDrive(root.substr(0, 2), disks);
  if (isSsd) *isSsd = ssd;
  if (ssd && static_cast<long long>(freeMiB) > kSsdBonusThresholdMiB) return freeMiB * 1000;
  return freeMiB;
}

std::wstring bestInstallDrive(bool* isSsd, const DiskSystem& disks) {
  double best = -1.0;
  std::wstring result;
  for (const std::wstring& root : listFixedDrives(disks)) {
    bool ssd = false;
    double score = driveScore(root, &ssd, disks);
    if (score > best) {
      best = score;
      result = root;
      if (isSsd) *isSsd = ssd;
    }
  }
  if (result.empty()) {
    result = disks.systemDriveRoot();
    if (isSsd) *isSsd = isSolidStateDrive(result.substr(0, 2), disks);
  }
  return result;
}

double freeSpaceMB(const std::wstring& path, const DiskSystem& disks) {
  uint64_t available = 0;
  if (!disks.availableBytes(path.substr(0, 3), &available)) return 0;
  return static_cast<double>(available) * kMiB;
}

double freeSpaceOnSupportedFs(const std::wstring& path, const DiskSystem& disks) {
  uint64_t available = 0;
  if (!disks.availableBytes(path.substr(0, 3), &available)) return 0;
  std::wstring fileSystem;
  if (disks.fileSystemName(path, &fileSystem) && fileSystem != L"FAT32" && fileSystem != L"NTFS") return 0;
  return static_cast<double>(available) * kMiB;
}

std::wstring canonicalInstallPath(const std::wstring& path) {
  std::wstring c;
  c.reserve(path.size());
  for (wchar_t ch : path) {
    wchar_t lower = static_cast<wchar_t>(std::towlower(ch));
    c.push_back(lower == L'/' ? L'\\' : lower);
  }
  for (size_t at = c.find(L"\\\\"); at != std::wstring::npos; at = c.find(L"\\\\", at)) c.erase(at, 1);
  size_t first = c.find_first_not_of(L'\\');
  c = first == std::wstring::npos ? std::wstring() : c.substr(first);
  while (!c.empty() && c.back() == L'\\') c.pop_back();
  return trimBlanks(c);
}

bool isValidInstallPath(const std::wstring& path, const DiskSystem& disks) {
  std::wstring c = canonicalInstallPath(path);
  if (c.size() < 3) return false;
  uint64_t available = 0;
  if (!disks.availableBytes(c.substr(0, 3), &available) || available == 0) return false;
  std::wstring rest = trimBlanks(c.substr(3));
  if (rest.find_first_of(L"/:*?\"<>|") != std::wstring::npos) return false;
  size_t start = 0;
  for (size_t slash = rest.find(L'\\'); slash != std::wstring::npos; slash = rest.find(L'\\', start)) {
    if (trimBlanks(rest.substr(start, slash - start)).empty()) return false;
    start = slash + 1;
  }
  return true;
}

}  // namespace helper
