// The game files' names and the texts handed to the player and its console program, apart
// from any download: names from the service made safe, the hand-over decision on the first
// record, the console's argument texts.
#include <gtest/gtest.h>

#include <string>

#include "model/game_files.h"
#include "model/game_handover.h"
#include "model/safe_file_name.h"
#include "tests/support/standin_http.h"

using testing_support::narrow;

namespace {

GameRecord record(const std::wstring& packageName, const std::wstring& displayName) {
  GameRecord game;
  game.packageName = packageName;
  game.displayName = displayName;
  return game;
}

}  // namespace

TEST(SafeFileName, HostileNamesBecomePlainNamesInsideTheFolder) {
  struct Row {
    std::wstring name;
    std::wstring expected;
  };
  const Row rows[] = {
      {L"Vel Racing", L"Vel Racing"},
      {L"com.vel.racing", L"com.vel.racing"},
      {L"\u6e38\u620f \u00e9t\u00e9", L"\u6e38\u620f \u00e9t\u00e9"},
      {L"..\\..\\evil", L"_.._evil"},
      {L"../../evil", L"_.._evil"},
      {L"C:\\Windows\\x", L"C__Windows_x"},
      {L"\\\\server\\share\\x", L"__server_share_x"},
      {L"a/b", L"a_b"},
      {L"a<b>c:d\"e|f?g*h", L"a_b_c_d_e_f_g_h"},
      {L"\x01", L"_"},
      {L"tab\there\r\n", L"tab_here__"},
      {L"name. ", L"name"},
      {L"name...", L"name"},
      {L" .hidden", L"hidden"},
      {L"..", L"fallback"},
      {L". . .", L"fallback"},
      {L"", L"fallback"},
      {L"CON", L"_CON"},
      {L"con.txt", L"_con.txt"},
      {L"Nul", L"_Nul"},
      {L"aux .apk", L"_aux .apk"},
      {L"COM1", L"_COM1"},
      {L"lpt9.obb", L"_lpt9.obb"},
      {L"COM10", L"COM10"},
      {L"CONSOLE", L"CONSOLE"},
      {L"prn.", L"_prn"},
      {std::wstring(300, L'n'), std::wstring(64, L'n')},
      {std::wstring(63, L'n') + L". x", std::wstring(63, L'n')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(narrow(row.name.substr(0, 24)));
    EXPECT_EQ(row.expected, safeFileName(row.name, L"fallback"));
  }
  // Cut to length, a character outside the basic plane is kept whole or not at all.
  std::wstring surrogates = std::wstring(63, L'n') + L"\U0001F3AE\U0001F3AE";
  EXPECT_EQ(std::wstring(63, L'n'), safeFileName(surrogates, L"fallback"));
}

TEST(GameFiles, NamesStayInTheInstallFolderWithOneSeparator) {
  GameRecord apk = record(L"com.vel.racing", L"Vel Racing");
  GameRecord xapk = record(L"com.vel.quest", L"Quest");
  xapk.isXapk = true;
  for (const std::wstring& folder : {std::wstring(L"D:\\VelPlayer\\"), std::wstring(L"D:\\VelPlayer")}) {
    SCOPED_TRACE(narrow(folder));
    game_files::GameFiles files = game_files::filesOf(folder, apk);
    EXPECT_EQ(L"D:\\VelPlayer\\Vel Racing.apk", files.package);
    EXPECT_EQ(L"D:\\VelPlayer\\Vel Racing.apk.tmp", files.packageTemporary);
    EXPECT_EQ(L"D:\\VelPlayer\\com.vel.racing.obb", files.expansion);
    EXPECT_EQ(L"D:\\VelPlayer\\com.vel.racing.obb.tmp", files.expansionTemporary);
    EXPECT_EQ(L"D:\\VelPlayer\\com.vel.racing.ico", files.icon);
    EXPECT_EQ(L"Vel Racing", files.linkName);
    EXPECT_EQ(L"D:\\VelPlayer\\Quest.xapk", game_files::filesOf(folder, xapk).package);
    EXPECT_EQ(L"D:\\VelPlayer\\ovconsole.exe", game_files::consoleProgram(folder));
    EXPECT_EQ(L"D:\\VelPlayer\\ovplayer.exe", game_files::playerProgram(folder));
  }

  game_files::GameFiles hostile = game_files::filesOf(L"D:\\P\\", record(L"..\\..\\pkg", L"C:\\Windows\\x"));
  EXPECT_EQ(L"D:\\P\\C__Windows_x.apk", hostile.package);
  EXPECT_EQ(L"D:\\P\\_.._pkg.obb", hostile.expansion);
  EXPECT_EQ(L"D:\\P\\_.._pkg.ico", hostile.icon);
  game_files::GameFiles empty = game_files::filesOf(L"D:\\P\\", record(L"", L".."));
  EXPECT_EQ(L"D:\\P\\game.apk", empty.package);
  EXPECT_EQ(L"game", empty.linkName);
  EXPECT_EQ(L"D:\\P\\package.obb", empty.expansion);
}

TEST(GameFiles, ConsoleArgumentsCarryTheFilesAndTheRealPackageName) {
  GameRecord plain = record(L"com.vel.racing", L"Vel Racing");
  EXPECT_EQ(L"installapk --index 0 --filename \"D:\\P\\Vel Racing.apk\" --wait --hide",
            game_files::installArguments(plain, game_files::filesOf(L"D:\\P\\", plain)));

  GameRecord withObb = plain;
  withObb.expansionFile = L"http://host/racing.obb";
  EXPECT_EQ(L"installapk --index 0 --filename \"D:\\P\\Vel Racing.apk\" --packagename com.vel.racing "
            L"--fileobb \"D:\\P\\com.vel.racing.obb\" --wait --hide",
            game_files::installArguments(withObb, game_files::filesOf(L"D:\\P\\", withObb)));

  GameRecord hostile = record(L"..\\x", L"a\"b");
  hostile.expansionFile = L"http://host/x.obb";
  hostile.isXapk = true;
  EXPECT_EQ(L"installapk --index 0 --filename \"D:\\P\\a_b.xapk\" --packagename ..\\x "
            L"--fileobb \"D:\\P\\_x.obb\" --wait --hide",
            game_files::installArguments(hostile, game_files::filesOf(L"D:\\P\\", hostile)));

  EXPECT_EQ(L"modify --index 0 --resolution 1280x720", game_files::resolutionArguments(L"1280x720"));
  EXPECT_EQ(L"modify --index 0 --resolution \"1 --root on\"", game_files::resolutionArguments(L"1 --root on"));
  EXPECT_EQ(L"package=..\\x", game_files::playerArgument(L"..\\x"));
}

TEST(GameHandover, TheFirstRecordDecidesWhatThePlayerIsHanded) {
  GameRecord store = record(L"com.vel.store", L"Store Game");
  store.fromAppStore = true;
  store.gameId = L"77";  // the app store wins over a game id
  store.downloadUrl = L"http://cdn/game.apk";
  store.selectionImage = L"http://cdn/slt.png";
  GameRecord byId = record(L"com.vel.id", L"Id Game");
  byId.gameId = L"4711";
  byId.downloadUrl = L"http://cdn/id.apk";
  GameRecord packageOnly = record(L"com.vel.pkg", L"");
  GameRecord download = record(L"com.vel.dl", L"Download");
  download.downloadUrl = L"http://cdn/dl.apk";
  GameRecord nothing;

  struct Row {
    const char* name;
    GameRecord game;
    std::wstring expected;
  };
  const Row rows[] = {
      // One argument for the player, though the display name has a blank.
      {"app store", store,
       L"\"apk=|show=true|package=com.vel.store|downloadapkurl=http://cdn/game.apk;S.package=com.vel.store;"
       L"S.appname=Store Game;S.appicon=http://cdn/slt.png;S.appsize=96\""},
      {"game id", byId, L"apk=|show=true|package=com.vel.id|downloadgameid=4711"},
      {"package only", packageOnly, L"apk=|show=true|package=com.vel.pkg|downloadpackage=com.vel.pkg"},
      {"download address", download, L""},
      {"empty record", nothing, L""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.expected, gameHandoverArgument(row.game));
  }
}
