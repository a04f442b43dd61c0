#pragma once
// Drives, free space and the install-path test. The questions to the system go through
// DiskSystem, so the ranking and the path rules can be asked of invented drives too.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace helper {

enum class DeviceAnswer { CannotOpen, QueryFailed, No, Yes };

class DiskSystem {
 public:
  virtual ~DiskSystem() = default;
  // Drive roots such as "C:\", as the system lists them.
  virtual std::vector<std::wstring> logicalDriveRoots() const = 0;
  virtual UINT driveType(const std::wstring& root) const = 0;
  // Bytes available to the calling user; false when the query fails.
  virtual bool availableBytes(const std::wstring& root, uint64_t* bytes) const = 0;
  // The volume's file-system name; false when the volume query fails.
  virtual bool fileSystemName(const std::wstring& path, std::wstring* name) const = 0;
  // Of the device "\\.\" + drive name ("C:"): TRIM enabled; hot-plug or removable media.
  virtual DeviceAnswer trimEnabled(const std::wstring& driveName) const = 0;
  virtual DeviceAnswer hotplug(const std::wstring& driveName) const = 0;
  // The root of the drive Windows runs from, such as "C:\".
  virtual std::wstring systemDriveRoot() const = 0;
};

// The real machine.
const DiskSystem& systemDisks();

std::vector<std::wstring> listFixedDrives(const DiskSystem& disks = systemDisks());
bool isSolidStateDrive(const std::wstring& driveName, const DiskSystem& disks = systemDisks());
bool isHotplugDrive(const std::wstring& driveName, const DiskSystem& disks = systemDisks());
// Free MiB, times 1000 for an SSD with more than 17408 MiB free; 0 for a file system other
// than NTFS and FAT32. The SSD flag is written only when the drive is scored on its space.
double driveScore(const std::wstring& root, bool* isSsd, const DiskSystem& disks = systemDisks());
// The fixed drive with the highest score (the first of equals); the system drive when no
// drive counts (SATA ports with hot-plug enabled report every disk as hot-plug).
std::wstring bestInstallDrive(bool* isSsd, const DiskSystem& disks = systemDisks());
double freeSpaceMB(const std::wstring& path, const DiskSystem& disks = systemDisks());
double freeSpaceOnSupportedFs(const std::wstring& path, const DiskSystem& disks = systemDisks());
bool isValidInstallPath(const std::wstring& path, const DiskSystem& disks = systemDisks());

// The canonical form the path test works on: lower case, "\" only, no doubled, leading or
// trailing separators, no surrounding blanks.
std::wstring canonicalInstallPath(const std::wstring& path);

}  // namespace helper
