#include "model/game_files.h"

#include <vector>

#include "model/safe_file_name.h"
#include "utility/command_line.h"

namespace command_line = utility::command_line;

namespace game_files {

const wchar_t* const kGameFallbackName = L"game";
const wchar_t* const kPackageFallbackName = L"package";

std::wstring inFolder(const std::wstring& installPath, const std::wstring& name) {
  // The install path normally ends with a separator already; one is enough.
  if (!installPath.empty() && (installPath.back() == L'\\' || installPath.back() == L'/')) return installPath + name;
  return installPath + L"\\" + name;
}

GameFiles filesOf(const std::wstring& installPath, const GameRecord& game) {
  GameFiles files;
  files.linkName = safeFileName(game.displayName, kGameFallbackName);
  std::wstring package = safeFileName(game.packageName, kPackageFallbackName);
  files.package = inFolder(installPath, files.linkName + (game.isXapk ? L".xapk" : L".apk"));
  files.packageTemporary = files.package + L".tmp";
  files.expansion = inFolder(installPath, package + L".obb");
  files.expansionTemporary = files.expansion + L".tmp";
  files.icon = inFolder(installPath, package + L".ico");
  return files;
}

std::wstring consoleProgram(const std::wstring& installPath) { return inFolder(installPath, L"ovconsole.exe"); }

std::wstring playerProgram(const std::wstring& installPath) { return inFolder(installPath, L"ovplayer.exe"); }

std::wstring resolutionArguments(const std::wstring& resolution) {
  return command_line::join({L"modify --index 0 --resolution", command_line::argument(resolution)});
}

std::wstring installArguments(const GameRecord& game, const GameFiles& files) {
  std::vector<std::wstring> arguments = {L"installapk --index 0 --filename", command_line::quoted(files.package)};
  if (!game.expansionFile.empty()) {
    arguments.insert(arguments.end(), {L"--packagename", command_line::argument(game.packageName), L"--fileobb",
                                       command_line::quoted(files.expansion)});
  }
  arguments.push_back(L"--wait --hide");
  return command_line::join(arguments);
}

std::wstring playerArgument(const std::wstring& packageName) {
  return command_line::argument(L"package=" + packageName);
}

}  // namespace game_files
