// The whole normal install in a language other than English, the language taken from the
// campaign copy's file name, with a screenshot of every page and box on the way.
#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"
#include "tests/support/standin_http.h"
#include "utility/encoding.h"

using namespace e2e;
using namespace testing_support;

namespace {

// The text of key in the language table's column for locale (tab-separated, a header row
// of locale names).
std::string tableText(const std::string& key, const std::string& locale) {
  std::vector<std::string> rows = readLines(VEL_E2E_LANGUAGE_TABLE);
  auto split = [](const std::string& line) {
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
      fields.push_back(line.substr(from, tab - from));
    }
    fields.push_back(line.substr(from));
    return fields;
  };
  if (rows.empty()) return std::string();
  std::vector<std::string> header = split(rows[0]);
  size_t column = 0;
  for (size_t i = 0; i < header.size(); ++i) column = header[i] == locale ? i : column;
  for (const std::string& row : rows) {
    std::vector<std::string> fields = split(row);
    if (column > 0 && fields.size() > column && fields[1] == key) return fields[column];
  }
  return std::string();
}

std::string caption(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return utility::toUtf8(text);
}

struct Language {
  const char* locale;      // the language table's column
  const wchar_t* token;    // the region and language part of the file name
  bool rightToLeft;        // the windows are mirrored: a control's x from the other edge
};

const Language kLanguages[] = {{"zh_CN", L"cn", false}, {"ar_IL", L"ar", true}};

POINT placed(const Language& language, POINT point, int windowWidth) {
  return language.rightToLeft ? POINT{windowWidth - point.x, point.y} : point;
}

}  // namespace

class LanguageFlow : public InstallerFlow, public ::testing::WithParamInterface<Language> {};

TEST_P(LanguageFlow, TheNormalInstallRunsInTheLanguageOfTheFileName) {
  const Language& language = GetParam();
  const std::wstring install = dir_ + L"player\\";
  const PlayerCalls calls = recordPlayerCalls(install);
  // The setup answers a little late, so that the progress page can be seen.
  ASSERT_TRUE(armFault("path=/download/package/VelPlayer9.0.exe&fault=hold&delay_ms=3000&count=1"));
  ChildProcess* installer = start(campaignCopy(std::wstring(L"VelPlayer9_") + language.token + L"_10203_e2e"));
  ASSERT_NE(nullptr, installer);
  const std::wstring prefix;  // the test's name carries the locale
  std::string why;
  ASSERT_TRUE(runFlowStep(flowStep("window", nullptr, "window", 60), *installer, setupRecord_, &why)) << why;
  HWND window = findMainWindow(installer->processId(), 0);
  pumpFor(500);  // the first paint
  EXPECT_TRUE(shoot(window, prefix + L"1_setup"));
  const std::string title = tableText("Title_wndTitle", language.locale);
  EXPECT_FALSE(title.empty());
  EXPECT_EQ(title, caption(window));
  EXPECT_NE(tableText("Title_wndTitle", "en_US"), caption(window));

  // The exit question on the setup page, answered "No".
  ASSERT_TRUE(clickAt(window, placed(language, at::kClose, 640)));
  HWND box = waitForWindowOfClass(installer->processId(), L"box", 10000);
  ASSERT_NE(nullptr, box);
  pumpFor(300);
  EXPECT_TRUE(shoot(box, prefix + L"2_exit_box"));
  ASSERT_TRUE(clickAt(box, placed(language, at::kExitNo, 436)));
  // The box gone and the window it disabled enabled again, before the next click.
  ASSERT_TRUE(pumpUntil([&] { return !IsWindow(box) && IsWindowEnabled(window); }, 10000));
  pumpFor(500);

  // The path row, then Install from where the button then is.
  ASSERT_TRUE(clickAt(window, at::kSetupPath));
  pumpFor(500);
  EXPECT_TRUE(shoot(window, prefix + L"3_setup_path"));
  const POINT installNow = at::kInstallWithPathRow;
  ASSERT_TRUE(runFlowStep(flowStep("install", &installNow, "request:/download/package/VelPlayer9.0.exe", 60), *installer,
                          setupRecord_, &why))
      << why;
  pumpFor(800);
  EXPECT_TRUE(shoot(window, prefix + L"4_progress"));
  ASSERT_TRUE(runFlowStep(flowStep("finish", nullptr, "event:downloader_full_duration", 120), *installer, setupRecord_,
                          &why))
      << why;
  pumpFor(500);
  EXPECT_TRUE(shoot(window, prefix + L"5_finish"));
  const POINT startPlayer = at::kStart;
  ASSERT_TRUE(runFlowStep(flowStep("start_player", &startPlayer, "exit", 30), *installer, setupRecord_, &why)) << why;
  EXPECT_EQ(0, installer->waitForExit(0));

  // Installed with the language handed to the setup, and the player started.
  const InstallVerdict verdict = judgeInstall(setupRecord_);
  EXPECT_TRUE(verdict.installed()) << verdict.line();
  EXPECT_NE(std::string::npos, verdict.setupCommandLine.find(" -language=" + utility::toUtf8(language.token) + " "))
      << verdict.setupCommandLine;
  EXPECT_TRUE(pumpUntil([&] { return !readLines(calls.player).empty(); }, 10000));
  EXPECT_TRUE(inOrder(collectedEventKeys(), normalRunEvents()));
}

INSTANTIATE_TEST_SUITE_P(FileName, LanguageFlow, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<Language>& info) { return std::string(info.param.locale); });
