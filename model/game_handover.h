#pragma once
// Whether the freshly installed player gets the first game as launch arguments (it then
// fetches the game itself) or the installer downloads and installs the games. Pure.
#include <string>

#include "identity/game_record.h"

// The player's argument for the first record of the game list, in this order of precedence:
//   from the app store: "apk=|show=true|package=P|downloadapkurl=" + address + ";S.package=P"
//                       + ";S.appname=" + display name + ";S.appicon=" + selection image
//                       + ";S.appsize=96"
//   with a game id:     "apk=|show=true|package=P|downloadgameid=" + game id
//   a package name without a download address: "apk=|show=true|package=P|downloadpackage=P"
// Empty when the installer downloads the games itself.
std::wstring gameHandoverArgument(const GameRecord& first);
