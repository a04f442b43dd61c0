// Drive ranking and the install-path rules, on invented drives and once on Wine's own.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <map>

#include "tests/support/test_support.h"
#include "utility/com_ptr.h"
#include "utility/disk.h"
#include "utility/process_list.h"
#include "utility/shortcut.h"

namespace {

using helper::DeviceAnswer;

struct FakeDrive {
  UINT type = DRIVE_FIXED;
  bool spaceKnown = true;
  uint64_t freeMiB = 0;
  const wchar_t* fileSystem = L"NTFS";  // null: the volume query fails
  DeviceAnswer trim = DeviceAnswer::No;
  DeviceAnswer hotplug = DeviceAnswer::No;
};

class FakeDisks : public helper::DiskSystem {
 public:
  std::vector<std::pair<std::wstring, FakeDrive>> drives;

  const FakeDrive* find(const std::wstring& rootOrName) const {
    if (rootOrName.size() < 2) return nullptr;
    for (auto& d : drives) {  // drive letters match in any case, as on Windows
      if (towupper(d.first[0]) == towupper(rootOrName[0]) && rootOrName[1] == L':') return &d.second;
    }
    return nullptr;
  }
  std::vector<std::wstring> logicalDriveRoots() const override {
    std::vector<std::wstring> roots;
    for (auto& d : drives) roots.push_back(d.first);
    return roots;
  }
  UINT driveType(const std::wstring& root) const override {
    const FakeDrive* d = find(root);
    return d ? d->type : DRIVE_NO_ROOT_DIR;
  }
  bool availableBytes(const std::wstring& root, uint64_t* bytes) const override {
    const FakeDrive* d = find(root);
    if (root.size() < 3 || root[1] != L':' || !d || !d->spaceKnown) return false;
    *bytes = d->freeMiB << 20;
    return true;
  }
  bool fileSystemName(const std::wstring& path, std::wstring* name) const override {
    const FakeDrive* d = find(path);
    if (!d || !d->fileSystem) return false;
    *name = d->fileSystem;
    return true;
  }
  DeviceAnswer trimEnabled(const std::wstring& name) const override {
    const FakeDrive* d = find(name);
    return d ? d->trim : DeviceAnswer::CannotOpen;
  }
  DeviceAnswer hotplug(const std::wstring& name) const override {
    const FakeDrive* d = find(name);
    return d ? d->hotplug : DeviceAnswer::CannotOpen;
  }
  std::wstring systemDriveRoot() const override { return L"C:\\"; }
};

FakeDrive drive(uint64_t freeMiB, DeviceAnswer trim = DeviceAnswer::No, const wchar_t* fs = L"NTFS") {
  FakeDrive d;
  d.freeMiB = freeMiB;
  d.trim = trim;
  d.fileSystem = fs;
  return d;
}

TEST(DriveRanking, SsdBonusStartsAbove17408MiB) {
  FakeDisks disks;
  disks.drives = {{L"C:\\", drive(17408, DeviceAnswer::Yes)}, {L"D:\\", drive(17409, DeviceAnswer::Yes)}};
  bool ssd = false;
  EXPECT_DOUBLE_EQ(17408.0, helper::driveScore(L"C:\\", &ssd, disks));
  EXPECT_TRUE(ssd);
  EXPECT_DOUBLE_EQ(17409000.0, helper::driveScore(L"D:\\", &ssd, disks));

  disks.drives = {{L"C:\\", drive(17409, DeviceAnswer::Yes)}, {L"D:\\", drive(900000)}};
  ssd = false;
  EXPECT_EQ(L"C:\\", helper::bestInstallDrive(&ssd, disks)) << "a large SSD beats a larger hard disk";
  EXPECT_TRUE(ssd);
}

TEST(DriveRanking, TiesKeepTheFirstAndOddFileSystemsScoreZero) {
  FakeDisks disks;
  disks.drives = {{L"C:\\", drive(500)}, {L"D:\\", drive(500)}};
  EXPECT_EQ(L"C:\\", helper::bestInstallDrive(nullptr, disks));

  disks.drives = {{L"E:\\", drive(90000, DeviceAnswer::Yes, L"exFAT")}};
  bool ssd = false;
  EXPECT_DOUBLE_EQ(0.0, helper::driveScore(L"E:\\", &ssd, disks));
  EXPECT_FALSE(ssd) << "a disqualified drive leaves the flag alone";
  EXPECT_EQ(L"E:\\", helper::bestInstallDrive(&ssd, disks)) << "alone, it is still chosen";

  disks.drives = {{L"F:\\", drive(300, DeviceAnswer::No, nullptr)}};
  EXPECT_DOUBLE_EQ(300.0, helper::driveScore(L"F:\\", &ssd, disks)) << "a failed volume query does not disqualify";
}

TEST(DriveRanking, OnlyFixedNonHotplugDrivesCount) {
  FakeDisks disks;
  FakeDrive usb = drive(1000000);
  usb.hotplug = DeviceAnswer::Yes;
  FakeDrive failedQuery = drive(1000000);
  failedQuery.hotplug = DeviceAnswer::QueryFailed;
  FakeDrive closedDevice = drive(700, DeviceAnswer::CannotOpen);
  closedDevice.hotplug = DeviceAnswer::CannotOpen;
  FakeDrive network = drive(1000000);
  network.type = DRIVE_REMOTE;
  disks.drives = {{L"C:\\", drive(100)}, {L"D:\\", usb}, {L"E:\\", failedQuery}, {L"F:\\", closedDevice}, {L"G:\\", network}};
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\", L"F:\\"}), helper::listFixedDrives(disks));
  bool ssd = true;
  EXPECT_EQ(L"F:\\", helper::bestInstallDrive(&ssd, disks));
  EXPECT_FALSE(ssd) << "a device that cannot be opened is no SSD";

  // No drive counts (every disk on a hot-plug SATA port, or none fixed): the system drive.
  disks.drives = {{L"C:\\", usb}, {L"D:\\", network}};
  EXPECT_EQ(L"C:\\", helper::bestInstallDrive(&ssd, disks));
  EXPECT_FALSE(ssd);
  disks.drives.clear();
  EXPECT_EQ(L"C:\\", helper::bestInstallDrive(&ssd, disks));
}

TEST(InstallPath, CanonicalFormAndValidity) {
  FakeDisks disks;
  disks.drives = {{L"D:\\", drive(1000)}, {L"E:\\", drive(0)}};
  struct {
    const wchar_t* path;
    bool valid;
  } cases[] = {
      {L"d:\\games", true},
      {L"D:/Games//", true},
      {L"  D:\\\\Games\\\\Vel  ", true},
      {L"D:\\", false},
      {L"D:", false},
      {L"D:\\a<b", false},
      {L"D:\\a|b\\c", false},
      {L"D:\\ \\x", false},
      {L"D:\\a\\ \\b", false},
      {L"D:\\a\\b\\ ", true},  // the last part is not checked
      {L"E:\\games", false},   // no free space
      {L"Q:\\games", false},   // no such drive
      {L"\\\\server\\share\\x", false},
      {L"games\\vel", false},
  };
  for (auto& c : cases) EXPECT_EQ(c.valid, helper::isValidInstallPath(c.path, disks)) << testing::PrintToString(std::wstring(c.path));
  EXPECT_EQ(L"d:\\games\\vel", helper::canonicalInstallPath(L"\\D://Games\\\\Vel\\\\"));
}

TEST(InstallPath, FreeSpaceQueries) {
  FakeDisks disks;
  disks.drives = {{L"D:\\", drive(2048)}, {L"E:\\", drive(4096, DeviceAnswer::No, L"exFAT")}};
  EXPECT_DOUBLE_EQ(2048.0, helper::freeSpaceMB(L"D:\\any\\folder", disks));
  EXPECT_DOUBLE_EQ(0.0, helper::freeSpaceMB(L"Q:\\", disks));
  EXPECT_DOUBLE_EQ(0.0, helper::freeSpaceOnSupportedFs(L"E:\\", disks));
  EXPECT_DOUBLE_EQ(2048.0, helper::freeSpaceOnSupportedFs(L"D:\\", disks));
}

TEST(RealDisks, WinesDrivesAnswer) {
  std::vector<std::wstring> fixed = helper::listFixedDrives();
  ASSERT_FALSE(fixed.empty()) << "Wine's C: is a fixed drive";
  bool ssd = false;
  std::wstring best = helper::bestInstallDrive(&ssd);
  EXPECT_EQ(3u, best.size());
  EXPECT_GT(helper::freeSpaceMB(L"C:\\"), 0.0);
  EXPECT_TRUE(helper::isValidInstallPath(L"c:/VelPlayer//VelPlayer9"));
  EXPECT_FALSE(helper::isValidInstallPath(L"C:\\"));
}

TEST(RealProcesses, ListsThisProcess) {
  auto processes = helper::listProcesses();
  bool found = false;
  for (auto& p : processes) found = found || p.second == GetCurrentProcessId();
  EXPECT_TRUE(found);
}

TEST(Shortcut, WritesALinkThatReadsBack) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  wchar_t desktop[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, TRUE));
  std::wstring link = std::wstring(desktop) + L"\\Vel Test Game.lnk";
  DeleteFileW(link.c_str());

  helper::disk::ShortcutRequest request;
  request.name = L"Vel Test Game";
  request.icon = L"C:\\Program Files\\VelPlayer\\game.ico";
  request.workingDir = L"C:\\Program Files\\VelPlayer";
  request.target = L"C:\\Program Files\\VelPlayer\\VelPlayer.exe";
  request.arguments = L"-package=com.example.game";
  helper::disk::createShortcut(request);

  utility::ComPtr<IShellLinkW> shell;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shell.receive())));
  utility::ComPtr<IPersistFile> file;
  ASSERT_TRUE(SUCCEEDED(shell->QueryInterface(IID_IPersistFile, file.receive())));
  ASSERT_TRUE(SUCCEEDED(file->Load(link.c_str(), STGM_READ)));
  wchar_t text[MAX_PATH] = {};
  int icon = -1;
  shell->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
  EXPECT_STREQ(request.target.c_str(), text);
  shell->GetArguments(text, MAX_PATH);
  EXPECT_STREQ(request.arguments.c_str(), text);
  shell->GetWorkingDirectory(text, MAX_PATH);
  EXPECT_STREQ(request.workingDir.c_str(), text);
  shell->GetIconLocation(text, MAX_PATH, &icon);
  EXPECT_STREQ(request.icon.c_str(), text);
  EXPECT_EQ(0, icon);
  file.reset();
  shell.reset();
  DeleteFileW(link.c_str());
  CoUninitialize();
}

}  // namespace
