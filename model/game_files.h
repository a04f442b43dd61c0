#pragma once
// Where a game's files go inside the player's install folder, and the texts that hand them
// to the player's console program and to the player. The display name and the package name
// come from the service or the command line, so each becomes a plain file name first; the
// console program and the player still get the real package name.
#include <string>

#include "identity/game_record.h"

namespace game_files {

// Stand in for a display name or package name that leaves nothing usable as a file name.
extern const wchar_t* const kGameFallbackName;     // "game"
extern const wchar_t* const kPackageFallbackName;  // "package"

struct GameFiles {
  std::wstring package;             // <folder>\<display name>.apk, or .xapk
  std::wstring packageTemporary;    // package + ".tmp"
  std::wstring expansion;           // <folder>\<package name>.obb
  std::wstring expansionTemporary;  // expansion + ".tmp"
  std::wstring icon;                // <folder>\<package name>.ico
  std::wstring linkName;            // the desktop shortcut's name: the safe display name
};

// installPath + "\" + name, with one separator even when installPath ends with one.
std::wstring inFolder(const std::wstring& installPath, const std::wstring& name);

GameFiles filesOf(const std::wstring& installPath, const GameRecord& game);
std::wstring consoleProgram(const std::wstring& installPath);  // <folder>\ovconsole.exe
std::wstring playerProgram(const std::wstring& installPath);   // <folder>\ovplayer.exe

// "modify --index 0 --resolution " + resolution.
std::wstring resolutionArguments(const std::wstring& resolution);
// "installapk --index 0 --filename "<package>"", then " --packagename P --fileobb "<obb>""
// when the record has an expansion address (downloaded or not), then " --wait --hide".
std::wstring installArguments(const GameRecord& game, const GameFiles& files);
// "package=" + package name: the player's argument, from the shortcut and at the end.
std::wstring playerArgument(const std::wstring& packageName);

}  // namespace game_files
