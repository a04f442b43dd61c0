// The branding in the player's folder against the stand-in service: "data.ini" byte for
// byte, the downloads and their three attempts, the channel id in the player's
// configuration, and names from the service that must stay plain file names.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "model/player_branding.h"
#include "model/setup_run.h"
#include "tests/support/log_capture.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "utility/com_apartment.h"
#include "utility/reg_key.h"
#include "utility/ufile.h"

using namespace testing_support;

namespace {

const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring url(const std::string& path) { return standinUrl(std::wstring(path.begin(), path.end())); }

std::wstring desktop() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\";
}

void setVelNews() {
  utility::RegKey run;
  ASSERT_EQ(ERROR_SUCCESS, run.openOrCreate(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE));
  const wchar_t value[] = L"news.exe";
  RegSetValueExW(run.get(), L"VelNews", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof(value));
}

bool velNewsPresent() {
  utility::RegKey run;
  if (run.openOrCreate(HKEY_CURRENT_USER, kRunKey, KEY_READ) != ERROR_SUCCESS) return false;
  std::wstring value;
  return run.readString(L"VelNews", 512, value) == ERROR_SUCCESS;
}

size_t requestsTo(const std::string& path) {
  size_t count = 0;
  for (const RecordedRequest& r : standinRequests()) count += r.path == path ? 1 : 0;
  return count;
}

}  // namespace

TEST(PlayerBranding, DataIniKeysInOrderOnlyUnderTheirConditions) {
  struct Case {
    const char* name;
    Branding branding;
    const char* expected;  // the whole file; empty: no file
    bool velNewsRemoved;
    const wchar_t* folder = L"ini";
    const char* before = nullptr;  // the file before; null: none
  };
  Branding defaults;
  Branding rootFalse = defaults, rootTrue = defaults, adFalse = defaults, clean = defaults, all = defaults;
  Branding titled = defaults;
  titled.ad = false;
  titled.title = L"\u6e38\u620f";
  rootFalse.root = Branding::Root::kFalse;
  rootTrue.root = Branding::Root::kTrue;
  adFalse.ad = false;
  clean.cleanModel = true;
  all.ad = false;
  all.cleanModel = true;
  all.root = Branding::Root::kFalse;
  all.runAppStore = false;
  all.title = L"Vel \u00e9t\u00e9 \u6e38\u620f";
  all.heapSize = L"512";
  all.qqLink = L"http://q/1";
  all.runApp = L"com.example.game";
  Case cases[] = {
      {"nothing", defaults, "", false},
      {"root absent or true writes nothing", rootTrue, "", false},
      {"root false", rootFalse, "[setting]\r\nuseroot=0\r\n", false},
      {"ad false alone", adFalse, "[setting]\r\nadshow=0\r\n", true},
      {"cleanmodel", clean, "[setting]\r\ncleanmodel=1\r\n", true},
      {"every key",
       all,
       "[setting]\r\nadshow=0\r\ncleanmodel=1\r\nuseroot=0\r\nrunappstore=0\r\n"
       "title=Vel \xc3\xa9t\xc3\xa9 \xe6\xb8\xb8\xe6\x88\x8f\r\nheapsize=512\r\nqqlink=http://q/1\r\n"
       "runapp=com.example.game\r\n",
       true},
      {"every key, in a folder the ANSI code page cannot spell",
       all,
       "[setting]\r\nadshow=0\r\ncleanmodel=1\r\nuseroot=0\r\nrunappstore=0\r\n"
       "title=Vel \xc3\xa9t\xc3\xa9 \xe6\xb8\xb8\xe6\x88\x8f\r\nheapsize=512\r\nqqlink=http://q/1\r\n"
       "runapp=com.example.game\r\n",
       true, L"ini\u6e38\u620f\u0416"},
      {"an existing file keeps its other lines",
       titled,
       "[other]\r\ntitle=x\r\n[Setting]\r\nTitle=\xe6\xb8\xb8\xe6\x88\x8f\r\nkeep=1\r\nadshow=0\r\n[more]\r\ny=2\r\n",
       true, L"ini", "[other]\r\ntitle=x\r\n[Setting]\r\nTitle = old\r\nkeep=1\r\n[more]\r\ny=2\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring dir = makeTempDir(c.folder);
    if (c.before) {
      ASSERT_TRUE(writeFile(dir + L"data.ini", c.before));
    }
    setVelNews();
    writeDataIni(dir, c.branding);
    EXPECT_EQ(c.expected, readFile(dir + L"data.ini"));
    EXPECT_EQ(!c.velNewsRemoved, velNewsPresent());
    removeTree(dir);
  }
}

TEST(PlayerBranding, TheChannelIdReplacesOnlyAStringMemberThroughATemporaryFile) {
  struct Case {
    const char* before;  // null: no file
    const char* after;
    bool written;
    const wchar_t* logLine;
  } cases[] = {
      {"{\"channelOpenId\":\"old\",\"n\":[1,2],\"o\":{\"a\":true}}",
       "{\n    \"channelOpenId\": \"ch-9\",\n    \"n\": [\n        1,\n        2\n    ],\n    \"o\": {\n        \"a\": true\n"
       "    }\n}",
       true, L"write openid sucess. first ch-9 current:old"},
      {"{\"channelOpenId\":17}", "{\"channelOpenId\":17}", false, L"no channel id"},
      {"{\"other\":\"x\"}", "{\"other\":\"x\"}", false, L"no channel id"},
      {"[\"channelOpenId\"]", "[\"channelOpenId\"]", false, L"not object!"},
      {nullptr, nullptr, false, L"morvanes config not exist!!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before ? c.before : "no file");
    std::wstring dir = makeTempDir(L"channel");
    std::wstring config = dir + L"\\vms\\config\\morvanes.config";
    utility::ufile::makeDir(dir + L"vms\\config\\");
    if (c.before) {
      ASSERT_TRUE(writeFile(config, c.before));
    }
    LogCapture log;
    EXPECT_EQ(c.written, writeChannelId(dir, L"ch-9"));
    EXPECT_FALSE(log.find(c.logLine).empty());
    if (c.after) {
      EXPECT_EQ(c.after, readFile(config));
    }
    EXPECT_FALSE(utility::ufile::exists(config + L".tmp"));
    removeTree(dir);
  }
}

TEST(PlayerBranding, AConfigThatCannotBeReplacedStaysWhole) {
  std::wstring dir = makeTempDir(L"channel");
  std::wstring config = dir + L"vms\\config\\morvanes.config";
  utility::ufile::makeDir(dir + L"vms\\config\\");
  const std::string original = "{\"channelOpenId\":\"old\",\"keep\":\"everything\"}";
  ASSERT_TRUE(writeFile(config, original));
  // The player holds its configuration open without sharing: the replace fails.
  utility::UniqueHandle held(CreateFileW(config.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_FALSE(writeChannelId(dir, L"ch-9"));
  held.reset();
  EXPECT_EQ(original, readFile(config));
  EXPECT_FALSE(utility::ufile::exists(config + L".tmp"));
  removeTree(dir);
}

TEST(PlayerBranding, ServiceNamesBecomePlainFileNames) {
  struct Case {
    const wchar_t* name;
    const wchar_t* expected;
  } cases[] = {
      {L"Vel Games", L"Vel Games"},
      {L"..\\..\\x", L"_.._x"},
      {L"C:\\Windows\\x", L"C__Windows_x"},
      {L"a/b", L"a_b"},
      {L"CON", L"_CON"},
      {L"nul.txt", L"_nul.txt"},
      {L"com1", L"_com1"},
      {L"LPT9 ", L"_LPT9"},
      {L"COM10", L"COM10"},
      {L"..", L""},
      {L" . ", L""},
      {L"name. . ", L"name"},
      {L"a<b>c:d\"e|f?g*h\ti", L"a_b_c_d_e_f_g_h_i"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(std::wstring(c.expected), safeFileName(c.name)) << narrow(c.name);
  EXPECT_EQ(64u, safeFileName(std::wstring(300, L'x')).size());
}

TEST(PlayerBranding, DownloadsTheImagesAndIconThenMakesTheShortcut) {
  utility::ComApartment com;
  ASSERT_TRUE(resetStandin());
  ASSERT_TRUE(standinServeGenerated("/brand/land.jpg", 70000));
  ASSERT_TRUE(standinServeGenerated("/brand/port.jpg", 30001));
  ASSERT_TRUE(standinServeGenerated("/brand/icon.ico", 4096));
  std::wstring dir = makeTempDir(L"brand");
  SetupRunJob job;
  job.installPath = dir;
  job.branding.launchLandscape = url("/brand/land.jpg");
  job.branding.launchPortrait = url("/brand/port.jpg");
  job.branding.shortcutUrl = url("/brand/icon.ico");
  job.branding.shortcutName = L"Vel Campaign";
  job.branding.runApp = L"com.example.game";
  applyBranding(job);
  EXPECT_EQ(generatedBytes(0, 70000), readFile(dir + L"data\\launch_1920.jpg"));
  EXPECT_EQ(generatedBytes(0, 30001), readFile(dir + L"data\\launch_1080.jpg"));
  EXPECT_EQ(generatedBytes(0, 4096), readFile(dir + L"data\\Vel Campaign.ico"));
  std::wstring link = desktop() + L"Vel Campaign.lnk";
  EXPECT_TRUE(utility::ufile::exists(link));
  DeleteFileW(link.c_str());
  removeTree(dir);
}

TEST(PlayerBranding, AnIconThatFailsThreeTimesMeansNoShortcut) {
  ASSERT_TRUE(resetStandin());
  std::wstring dir = makeTempDir(L"brand");
  SetupRunJob job;
  job.installPath = dir;
  job.branding.shortcutUrl = url("/brand/missing.ico");
  job.branding.shortcutName = L"Vel Missing";
  applyBranding(job);
  EXPECT_EQ(3u, requestsTo("/brand/missing.ico"));
  EXPECT_FALSE(utility::ufile::exists(dir + L"data\\Vel Missing.ico"));
  EXPECT_FALSE(utility::ufile::exists(desktop() + L"Vel Missing.lnk"));
  removeTree(dir);
}

TEST(PlayerBranding, HostileShortcutNamesWriteNothingOutsideTheDataFolderAndDesktop) {
  utility::ComApartment com;
  ASSERT_TRUE(resetStandin());
  ASSERT_TRUE(standinServeGenerated("/brand/icon.ico", 2048));
  std::wstring root = makeTempDir(L"hostile");
  std::wstring install = root + L"a\\b\\player\\";
  for (const std::wstring& name : {std::wstring(L"..\\..\\x"), std::wstring(L"C:\\Windows\\x"), std::wstring(L"CON"),
                                   std::wstring(L"a/b"), std::wstring(300, L'n'), std::wstring(L"..")}) {
    SCOPED_TRACE(narrow(name.substr(0, 20)));
    utility::ufile::makeDir(install);
    SetupRunJob job;
    job.installPath = install;
    job.branding.shortcutUrl = url("/brand/icon.ico");
    job.branding.shortcutName = name;
    applyBranding(job);
    std::wstring safe = safeFileName(name);
    EXPECT_FALSE(utility::ufile::exists(root + L"a\\x.ico"));
    EXPECT_FALSE(utility::ufile::exists(L"C:\\Windows\\x.ico"));
    EXPECT_FALSE(utility::ufile::exists(install + L"data\\a\\b.ico"));
    if (safe.empty()) {
      EXPECT_FALSE(utility::ufile::exists(install + L"data\\.ico"));
    } else {
      EXPECT_EQ(generatedBytes(0, 2048), readFile(install + L"data\\" + safe + L".ico"));
      std::wstring link = desktop() + safe + L".lnk";
      EXPECT_TRUE(utility::ufile::exists(link));
      DeleteFileW(link.c_str());
    }
    removeTree(install);
  }
  removeTree(root);
}
