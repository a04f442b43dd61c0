#include "model/game_handover.h"

std::wstring gameHandoverArgument(const GameRecord& first) {
  const std::wstring prefix = L"apk=|show=true|package=" + first.packageName;
  if (first.fromAppStore) {
    return prefix + L"|downloadapkurl=" + first.downloadUrl + L";S.package=" + first.packageName + L";S.appname=" +
           first.displayName + L";S.appicon=" + first.selectionImage + L";S.appsize=96";
  }
  if (!first.gameId.empty()) return prefix + L"|downloadgameid=" + first.gameId;
  if (!first.packageName.empty() && first.downloadUrl.empty()) return prefix + L"|downloadpackage=" + first.packageName;
  return std::wstring();
}
