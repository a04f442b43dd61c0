#pragma once
// One game to bring into the player.
#include <string>

struct GameRecord {
  std::wstring downloadUrl;
  std::wstring packageName;
  std::wstring displayName;
  std::wstring icon;
  std::wstring expansionFile;
  std::wstring selectionImage;
  std::wstring resolution;
  std::wstring gameId;
  bool isXapk = false;
  bool fromAppStore = false;
};
