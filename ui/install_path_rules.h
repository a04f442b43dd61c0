#pragma once
// The decisions behind the install-path row of the setup page: the folder a choice turns
// into, and which advice a new choice earns. No window and no system call of their own: the
// drives are asked through helper::DiskSystem, so the rules run against invented drives too.
// The window stores the results, fills the edit and shows the boxes.
#include <string>

#include "utility/disk.h"

class ConfigImp;

namespace ui {

// The product folders that a chosen folder gains; both end in a backslash.
struct ProductFolders {
  std::wstring twoLevel;  // "VelPlayer\VelPlayer9\" ("Morvane\VelPlayer9\" for the region "cn")
  std::wstring leaf;      // "VelPlayer9\"
};

// The folders of the settings' current region and variant.
ProductFolders productFolders(const ConfigImp& config);

// "\", "X:\", "\\server" and "\\server\share" (no backslash after the share).
bool isRootPath(const std::wstring& path);

// The install path a choice becomes: a backslash is appended, a drive root gains the
// two-level folder, a folder named "morvane" (any case) gains the leaf folder, and a folder
// that names neither "VelPlayer" nor "ovplayer" after its first character gains the two-level
// folder. A path that passes the install-path test is cleaned ("/" and "\\" become "\",
// blanks around it dropped, a final backslash). An invalid path is returned all the same.
std::wstring installFolderFor(const std::wstring& chosen, const ProductFolders& folders,
                              const helper::DiskSystem& disks);

// What the model holds about the install path.
struct InstallPathState {
  std::wstring installPath;
  std::wstring recommendedPath;  // empty when the path came from an earlier installation
  bool recommendedIsSsd = false;
};

enum class PathAdvice {
  None,
  Ssd,    // the chosen drive is not a solid-state drive, the recommended one is
  Space,  // the chosen drive has less than kAdviceFreeMiB free
};

// Below this many free MiB on the chosen drive the user is advised to move.
constexpr double kAdviceFreeMiB = 17408.0;

struct PathChange {
  bool unchanged = false;    // the same text as the install path: nothing at all happens
  bool sameDrive = false;    // on the recommended drive: stored, and no advice whatever the space
  std::wstring installPath;  // the path to store and show (when not unchanged)
  bool valid = false;        // false: the error row is shown and Install is disabled
  PathAdvice advice = PathAdvice::None;
  // For the advice box: the chosen and the proposed drive letters (one character each,
  // empty when there is none) and the path that the box's accepting button stores.
  std::wstring chosenDrive;
  std::wstring proposedDrive;
  std::wstring proposedPath;
};

// A path the user typed into the edit or picked in the folder browser. With checkSsd off
// only the space advice can follow.
PathChange planPathChange(const std::wstring& chosen, bool checkSsd, const InstallPathState& state,
                          const ProductFolders& folders, const helper::DiskSystem& disks);

// After the user declined the SSD advice for `chosen`: the choice stands and only the space
// advice is still possible. Unlike planPathChange this does not stop when the choice already
// equals the stored install path (it does when the folder was typed in its final form).
PathChange planAfterSsdDeclined(const std::wstring& chosen, const InstallPathState& state,
                                const ProductFolders& folders, const helper::DiskSystem& disks);

}  // namespace ui
