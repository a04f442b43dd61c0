#include "model/game_handover.h"

#include "utility/command_line.h"

namespace {

std::wstring handoverText(const GameRecord& first) {
  const std::wstring prefix = L"apk=|show=true|package=" + first.packageName;
  if (first.fromAppStore) {
    return prefix + L"|downloadapkurl=" + first.downloadUrl + L";S.package=" + first.packageName + L";S.appname=" +
           first.displayName + L";S.appicon=" + first.selectionImage + L";S.appsize=96";
  }
  if (!first.gameId.empty()) return prefix + L"|downloadgameid=" + first.gameId;
  if (!first.packageName.empty() && first.downloadUrl.empty()) return prefix + L"|downloadpackage=" + first.packageName;
  return std::wstring();
}

}  // namespace

// One argument for the player, whatever the display name and addresses hold.
std::wstring gameHandoverArgument(const GameRecord& first) {
  std::wstring text = handoverText(first);
  return text.empty() ? text : utility::command_line::argument(text);
}
