// The game page's values: the download label with and without the game counter, kilobytes
// below one MiB, the bar's floor and ceiling, and the install-wait counter.
#include "ui/game_progress_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int64_t kMiB = 1048576;

TEST(GameDownloadLabel, NameCounterAmountsAndColouredPercent) {
  struct Row {
    int index;
    int count;
    int64_t current;
    int64_t total;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {1, 1, 12 * kMiB, 345 * kMiB, L"Downloading Vel Racing\uFF1A12M / 345M (<c #268fd6>3%</c>)"},
      {1, 2, 12 * kMiB, 345 * kMiB, L"Downloading Vel Racing (1/2)\uFF1A12M / 345M (<c #268fd6>3%</c>)"},
      {2, 2, 300 * kMiB, 345 * kMiB, L"Downloading Vel Racing (2/2)\uFF1A300M / 345M (<c #268fd6>86%</c>)"},
      {1, 1, 512 * 1024, 345 * kMiB, L"Downloading Vel Racing\uFF1A512KB / 345M (<c #268fd6>0%</c>)"},
      {1, 1, 1023, 345 * kMiB, L"Downloading Vel Racing\uFF1A0KB / 345M (<c #268fd6>0%</c>)"},
      {1, 1, kMiB - 1, 2 * kMiB, L"Downloading Vel Racing\uFF1A1023KB / 2M (<c #268fd6>49%</c>)"},
      {1, 1, kMiB, 2 * kMiB, L"Downloading Vel Racing\uFF1A1M / 2M (<c #268fd6>50%</c>)"},
      {3, 12, 5000, 5000, L"Downloading Vel Racing (3/12)\uFF1A4KB / 0M (<c #268fd6>100%</c>)"},
      {1, 1, 6 * 1024LL * kMiB, 6 * 1024LL * kMiB,
       L"Downloading Vel Racing\uFF1A6144M / 6144M (<c #268fd6>100%</c>)"},
      {1, 1, 0, 0, L"Downloading Vel Racing\uFF1A0KB / 0M (<c #268fd6>0%</c>)"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, ui::gameDownloadLabel(L"Downloading", L"Vel Racing", row.index, row.count, row.current,
                                                  row.total))
        << row.current << " of " << row.total;
  }
}

TEST(GameDownloadBar, ThreeForTheFirstPercentsAndNinetyNineAtTheEnd) {
  const int expected[][2] = {{0, 0}, {1, 3}, {2, 3}, {3, 3}, {4, 4}, {50, 50}, {99, 99}, {100, 99}, {250, 99}};
  for (const auto& row : expected) EXPECT_EQ(row[1], ui::gameDownloadBarValue(row[0])) << row[0];
  EXPECT_EQ(2, ui::gameDownloadPercent(29, 1000));
  EXPECT_EQ(3, ui::gameDownloadBarValue(ui::gameDownloadPercent(29, 1000)));
}

TEST(GameInstallCounter, ClimbsFromThreeToNinetyEightThenStops) {
  ui::GameInstallCounter counter;
  std::vector<int> values;
  for (;;) {
    ui::GameInstallCounter::Tick tick = counter.tick();
    values.push_back(tick.value);
    if (tick.stopTimer) break;
    ASSERT_LT(values.size(), 200u);
  }
  ASSERT_EQ(96u, values.size());
  for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(static_cast<int>(i) + 3, values[i]);
  // A tick that still comes stays at 98 and asks again to stop.
  ui::GameInstallCounter::Tick late = counter.tick();
  EXPECT_EQ(98, late.value);
  EXPECT_TRUE(late.stopTimer);
  EXPECT_EQ(L"Installing Vel Racing", ui::gameCaption(L"Installing", L"Vel Racing"));
}

}  // namespace
