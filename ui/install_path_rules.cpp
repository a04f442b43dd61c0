#include "ui/install_path_rules.h"

#include <cwctype>

#include "identity/config_imp.h"

namespace ui {

namespace {

bool endsWithBackslash(const std::wstring& s) { return !s.empty() && s.back() == L'\\'; }

std::wstring lowerCase(std::wstring s) {
  for (wchar_t& ch : s) ch = static_cast<wchar_t>(std::towlower(ch));
  return s;
}

void replaceAll(std::wstring& s, const std::wstring& from, const std::wstring& to) {
  for (size_t at = s.find(from); at != std::wstring::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
}

// A folder that passed the install-path test, in the form the edit shows and the setup gets.
std::wstring cleaned(std::wstring q) {
  replaceAll(q, L"/", L"\\");
  while (q.find(L"\\\\") != std::wstring::npos) replaceAll(q, L"\\\\", L"\\");
  const size_t first = q.find_first_not_of(L' ');
  if (first == std::wstring::npos) return L"\\";
  q = q.substr(first, q.find_last_not_of(L' ') - first + 1);
  if (!endsWithBackslash(q)) q += L'\\';
  return q;
}

// The text as the window passes it on: a leading run of "/" shrinks to one, then every "/"
// becomes "\".
std::wstring withBackslashes(const std::wstring& text) {
  std::wstring s = text;
  size_t run = 0;
  while (run < s.size() && s[run] == L'/') ++run;
  if (run > 1) s.erase(0, run - 1);
  replaceAll(s, L"/", L"\\");
  return s;
}

PathChange plan(const std::wstring& chosen, bool checkSsd, bool stopWhenSame, const InstallPathState& state,
                const ProductFolders& folders, const helper::DiskSystem& disks) {
  PathChange change;
  if (stopWhenSame && chosen == state.installPath) {
    change.unchanged = true;
    change.installPath = state.installPath;
    change.valid = helper::isValidInstallPath(state.installPath, disks);
    return change;
  }
  const std::wstring& previous = state.installPath;
  const std::wstring typed = withBackslashes(chosen);
  change.installPath = typed == state.installPath ? state.installPath : installFolderFor(typed, folders, disks);
  change.valid = helper::isValidInstallPath(change.installPath, disks);

  const std::wstring& recommended = state.recommendedPath;
  if (recommended.size() >= 3 && chosen.size() >= 2 && chosen.compare(0, 2, recommended, 0, 2) == 0) {
    change.sameDrive = true;
    return change;
  }
  change.chosenDrive = chosen.substr(0, 1);
  if (checkSsd && state.recommendedIsSsd && !recommended.empty() &&
      !helper::isSolidStateDrive(chosen.substr(0, 2), disks)) {
    change.advice = PathAdvice::Ssd;
    change.proposedPath = recommended;
    change.proposedDrive = recommended.substr(0, 1);
    return change;
  }
  if (helper::freeSpaceOnSupportedFs(typed, disks) < kAdviceFreeMiB) {
    // Only a drive that has the room is worth proposing; without one there is no advice.
    const std::wstring proposal = recommended.empty() ? previous : recommended;
    if (helper::freeSpaceOnSupportedFs(proposal, disks) >= kAdviceFreeMiB) {
      change.advice = PathAdvice::Space;
      change.proposedPath = proposal;
      change.proposedDrive = proposal.substr(0, 1);
      return change;
    }
  }
  change.chosenDrive.clear();
  return change;
}

}  // namespace

ProductFolders productFolders(const ConfigImp& config) {
  return ProductFolders{config.variantRelativeInstallPath(), config.variantFolderName()};
}

bool isRootPath(const std::wstring& path) {
  if (path.empty()) return false;
  if (path[0] == L'\\') {
    if (path.size() == 1) return true;
    if (path[1] != L'\\') return false;
    // "\\server" or "\\server\share": at most one separator after the leading pair.
    const size_t separator = path.find(L'\\', 2);
    return separator == std::wstring::npos || path.find(L'\\', separator + 1) == std::wstring::npos;
  }
  return path.size() == 3 && path[1] == L':' && path[2] == L'\\';
}

std::wstring installFolderFor(const std::wstring& chosen, const ProductFolders& folders,
                              const helper::DiskSystem& disks) {
  std::wstring q = chosen;
  if (!endsWithBackslash(q)) q += L'\\';
  if (isRootPath(q)) {
    q += folders.twoLevel;
  } else {
    const size_t morvane = lowerCase(q).find(L"morvane");
    if (morvane != std::wstring::npos && morvane + 7 == q.size() - 1) {
      q += folders.leaf;
    } else if (q.find(L"VelPlayer", 1) == std::wstring::npos && q.find(L"ovplayer", 1) == std::wstring::npos) {
      q += folders.twoLevel;
    }
  }
  if (helper::isValidInstallPath(q, disks)) q = cleaned(q);
  return q;
}

PathChange planPathChange(const std::wstring& chosen, bool checkSsd, const InstallPathState& state,
                          const ProductFolders& folders, const helper::DiskSystem& disks) {
  return plan(chosen, checkSsd, true, state, folders, disks);
}

PathChange planAfterSsdDeclined(const std::wstring& chosen, const InstallPathState& state,
                                const ProductFolders& folders, const helper::DiskSystem& disks) {
  return plan(chosen, false, false, state, folders, disks);
}

}  // namespace ui
