// Starting the player de-elevated: which process counts as the shell, its token, the route
// chosen by the system version, the elevated fallback when no shell token is had, and
// command lines too long for the token start.
//
// The running shell is taken from the session itself: the process of the shell window, or,
// where there is none (Wine's "explorer /desktop" sets no shell window), the process that
// owns the desktop window. Wine's explorer.exe runs from system32, so the installer's own
// rule (the Windows folder's explorer.exe) finds it only on Windows; the other tests hand
// getShellToken the running shell's real path instead. Wine's CreateProcessWithTokenW
// starts the program without looking at the token, so under Wine a token start shows the
// route and the command line, not the rights the player gets.
#include <gtest/gtest.h>

#include <cwctype>

#include "model/player_launch.h"
#include "tests/support/log_capture.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

const player_launch::SystemVersion kWindows7{6, 1};
const player_launch::SystemVersion kWindows8{6, 2};

bool underWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

struct PlayerFolder {
  std::wstring dir = makeTempDir(L"launch");
  std::wstring exe = dir + L"ovplayer.exe";
  std::wstring record = dir + L"args.txt";
  PlayerFolder() { CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), exe.c_str(), FALSE); }
  ~PlayerFolder() { removeTree(dir); }
  std::string waitForRecord() {
    pumpUntil([&] { return !readFile(record).empty(); }, 10000);
    return readFile(record);
  }
};

player_launch::ShellMatch noShell() {
  player_launch::ShellMatch match;
  match.imagePath = L"C:\\nowhere\\no-shell.exe";
  match.name = L"no-shell.exe";
  return match;
}

std::wstring upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

std::wstring lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// The image path of the session's shell process; empty when the session has none.
std::wstring runningShellImage() {
  HWND window = GetShellWindow();
  if (!window) window = GetDesktopWindow();
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  utility::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return std::wstring();
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  if (!QueryFullProcessImageNameW(process.get(), 0, path, &size)) return std::wstring();
  std::wstring image(path, size);
  const std::wstring name = L"\\explorer.exe";
  if (image.size() < name.size() || lower(image.substr(image.size() - name.size())) != name) return std::wstring();
  return image;
}

// Matches the running shell by its full path alone.
player_launch::ShellMatch runningShell(const std::wstring& image) {
  player_launch::ShellMatch match;
  match.imagePath = image;
  match.name.clear();
  return match;
}

#define REQUIRE_RUNNING_SHELL(image)                                         \
  const std::wstring image = runningShellImage();                            \
  if (image.empty()) GTEST_SKIP() << "this session runs no explorer.exe shell"

// The argument that makes the command line "\"exe\" " + argument exactly length long.
std::wstring argumentFor(const PlayerFolder& player, size_t length, wchar_t fill) {
  std::wstring argument = L"--record " + player.record + L" ";
  size_t fixed = player.exe.size() + 3 + argument.size();
  return argument + std::wstring(length - fixed, fill);
}

}  // namespace

TEST(PlayerLaunch, TheShellIsRecognisedByItsPathOrNameWhateverTheLetterCase) {
  player_launch::ShellMatch shell;
  shell.imagePath = L"C:\\Windows\\explorer.exe";
  EXPECT_TRUE(player_launch::isShellImage(L"C:\\Windows\\explorer.exe", shell));
  EXPECT_TRUE(player_launch::isShellImage(L"C:\\WINDOWS\\Explorer.EXE", shell));
  EXPECT_TRUE(player_launch::isShellImage(L"c:\\windows\\explorer.exe", shell));
  EXPECT_TRUE(player_launch::isShellImage(L"explorer.exe", shell)) << "the snapshot name when no path is had";
  EXPECT_TRUE(player_launch::isShellImage(L"EXPLORER.EXE", shell));

  EXPECT_FALSE(player_launch::isShellImage(L"C:\\Windows\\system32\\explorer.exe", shell));
  EXPECT_FALSE(player_launch::isShellImage(L"C:\\Users\\x\\Downloads\\explorer.exe", shell));
  EXPECT_FALSE(player_launch::isShellImage(L"C:\\Windows\\explorer.exe.bak", shell));
  EXPECT_FALSE(player_launch::isShellImage(L"C:\\Windows\\explorer.ex", shell));
  EXPECT_FALSE(player_launch::isShellImage(L"iexplorer.exe", shell));
  EXPECT_FALSE(player_launch::isShellImage(L"", shell));

  // A match without its name is held to the full path; an empty one matches nothing.
  shell.name.clear();
  EXPECT_FALSE(player_launch::isShellImage(L"explorer.exe", shell));
  EXPECT_FALSE(player_launch::isShellImage(L"", player_launch::ShellMatch{L"", L""}));
}

TEST(PlayerLaunch, TheShellIsFoundWhateverTheCaseOfItsPath) {
  REQUIRE_RUNNING_SHELL(image);
  for (const std::wstring& path : {image, upper(image), lower(image)}) {
    SCOPED_TRACE(narrow(path));
    DWORD status = 0;
    utility::UniqueHandle token = player_launch::getShellToken(runningShell(path), &status);
    ASSERT_TRUE(token);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), status);
    // CreateProcessWithTokenW takes a primary token only.
    TOKEN_TYPE type = TokenImpersonation;
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token.get(), TokenType, &type, sizeof(type), &size));
    EXPECT_EQ(TokenPrimary, type);
  }
  DWORD status = 0;
  EXPECT_FALSE(player_launch::getShellToken(noShell(), &status));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), status);
}

TEST(PlayerLaunch, TheInstallersShellIsTheWindowsFoldersExplorer) {
  if (underWine()) GTEST_SKIP() << "Wine's explorer.exe runs from system32, not from the Windows folder";
  REQUIRE_RUNNING_SHELL(image);
  EXPECT_TRUE(player_launch::isShellImage(image, player_launch::systemShell()));
  EXPECT_TRUE(player_launch::getShellToken(player_launch::systemShell()));
}

TEST(PlayerLaunch, TheShellTokenStartsThePlayer) {
  REQUIRE_RUNNING_SHELL(image);
  PlayerFolder player;
  int result = player_launch::createProcessWithShellToken(player.exe, L"--record " + player.record + L" package=x",
                                                          runningShell(image));
  if (result == -1 && GetLastError() == ERROR_PRIVILEGE_NOT_HELD) {
    GTEST_SKIP() << "the token start needs the impersonation right of an elevated installer";
  }
  EXPECT_EQ(0, result);
  EXPECT_NE(std::string::npos, player.waitForRecord().find(" package=x"));
}

TEST(PlayerLaunch, FromWindows8OnThePlayerStartsWithTheShellTokenBeforeThroughTheShell) {
  REQUIRE_RUNNING_SHELL(image);
  {
    PlayerFolder player;
    LogCapture log;
    player_launch::runPlayer(player.dir, L"--record " + player.record + L" package=8", runningShell(image), kWindows8);
    EXPECT_NE(std::string::npos, player.waitForRecord().find(" package=8"));
    EXPECT_FALSE(log.find(L"runPlayer no amdin").empty()) << "the token start was tried";
    EXPECT_TRUE(log.find(L"runPlayer no amdin error").empty()) << "and it started the player";
  }
  {
    PlayerFolder player;
    LogCapture log;
    player_launch::runPlayer(player.dir, L"--record " + player.record + L" package=7", runningShell(image), kWindows7);
    EXPECT_NE(std::string::npos, player.waitForRecord().find(" package=7"));
    EXPECT_TRUE(log.find(L"runPlayer no amdin").empty()) << "no token start before Windows 8";
  }
  {
    LogCapture log;
    PlayerFolder player;
    player_launch::runPlayer(player.dir, L"--record " + player.record + L" package=xp", runningShell(image),
                             player_launch::SystemVersion{5, 1});
    EXPECT_NE(std::string::npos, player.waitForRecord().find(" package=xp"));
    EXPECT_TRUE(log.find(L"runPlayer no amdin").empty());
  }
}

TEST(PlayerLaunch, WithoutAShellTheElevatedFallbackStartsThePlayer) {
  PlayerFolder player;
  LogCapture log;
  SetLastError(0);
  EXPECT_EQ(-1, player_launch::createProcessWithShellToken(player.exe, L"", noShell()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  player_launch::runPlayer(player.dir, L"--record " + player.record + L" downloadpackage=a|package=a", noShell(),
                           kWindows8);
  EXPECT_NE(std::string::npos, player.waitForRecord().find("downloadpackage=a|package=a"));
  EXPECT_EQ(L"runPlayer no amdin error 2", log.find(L"runPlayer no amdin error"));
}

TEST(PlayerLaunch, ACommandLineTooLongForTheTokenStartGoesToTheFallbackWhole) {
  const size_t limit = player_launch::kTokenCommandLineLimit;
  ASSERT_EQ(1022u, limit) << "a command line of 1023 characters does not fit the token start's buffer";
  {
    // Without a shell the length alone decides the error: the longest line passes the length
    // check and fails for the missing shell, one more character fails for its length.
    PlayerFolder player;
    EXPECT_EQ(-1, player_launch::createProcessWithShellToken(player.exe, argumentFor(player, limit, L'a'), noShell()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(-1,
              player_launch::createProcessWithShellToken(player.exe, argumentFor(player, limit + 1, L'a'), noShell()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  }
  REQUIRE_RUNNING_SHELL(image);
  PlayerFolder player;
  std::wstring fits = argumentFor(player, limit, L'a');
  int result = player_launch::createProcessWithShellToken(player.exe, fits, runningShell(image));
  if (result == -1 && GetLastError() == ERROR_PRIVILEGE_NOT_HELD) {
    GTEST_SKIP() << "the token start needs the impersonation right of an elevated installer";
  }
  EXPECT_EQ(0, result);
  std::string whole(fits.size() - fits.find_last_of(L' ') - 1, 'a');
  EXPECT_NE(std::string::npos, player.waitForRecord().find(whole));
  DeleteFileW(player.record.c_str());

  for (size_t length : {limit + 1, size_t{3000}}) {
    SCOPED_TRACE(length);
    std::wstring tooLong = argumentFor(player, length, L'b');
    EXPECT_EQ(-1, player_launch::createProcessWithShellToken(player.exe, tooLong, runningShell(image)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    pumpFor(500);
    EXPECT_TRUE(readFile(player.record).empty()) << "nothing was started with a cut command line";

    LogCapture log;
    player_launch::runPlayer(player.dir, tooLong, runningShell(image), kWindows8);
    std::string tail(tooLong.size() - tooLong.find_last_of(L' ') - 1, 'b');
    EXPECT_NE(std::string::npos, player.waitForRecord().find(tail + "\n")) << "the fallback gets the whole argument";
    EXPECT_EQ(L"runPlayer no amdin error 122", log.find(L"runPlayer no amdin error"));
    DeleteFileW(player.record.c_str());
  }
}
