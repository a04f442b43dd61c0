// The values of the progress page: amounts, phase label, bar, install animation and tips.
#include "ui/progress_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int64_t kMiB = 1048576;

TEST(ProgressAmountsText, ShowsBytesKilobytesOrMegabytesOfTheTotal) {
  struct Row {
    int64_t downloaded;
    int64_t total;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {512, 10 * kMiB, L"512.00B/10.00M"},
      {1536, 10 * kMiB, L"1.50KB/10.00M"},
      {1, 10 * kMiB, L"1.00B/10.00M"},
      {1023, 10 * kMiB, L"1023.00B/10.00M"},
      {1024, 10 * kMiB, L"1.00KB/10.00M"},
      {kMiB - 1, 10 * kMiB, L"1024.00KB/10.00M"},
      {kMiB, 10 * kMiB, L"1.00M/10.00M"},
      {5 * kMiB + kMiB / 2, 10 * kMiB, L"5.50M/10.00M"},
      {10 * kMiB, 10 * kMiB, L"10.00M/10.00M"},
      {700, 123456789, L"700.00B/117.74M"},
      {2000000000, 2100000000, L"1907.35M/2002.72M"},
      {36 * kMiB + kMiB / 4, -1, L"36.25M"},  // no length announced: no invented total
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, ui::progressAmountsText(row.downloaded, row.total)) << row.downloaded << " of " << row.total;
  }
}

TEST(DownloadPhaseText, ShowsThePercentInBracketsClosedForRightToLeft) {
  struct Row {
    int percent;
    const wchar_t* language;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {42, L"en", L"Downloading(42%)"},
      {0, L"en", L"Downloading(0%)"},
      {100, L"zh", L"Downloading(100%)"},
      // No dangling bracket; the mark keeps ")" after the number in either direction.
      {42, L"ar", L"Downloading(42%)\u200F"},
      {100, L"ar", L"Downloading(100%)\u200F"},
      {42, L"fa", L"Downloading(42%)\u200F"},
      {42, L"arx", L"Downloading(42%)"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, ui::downloadPhaseText(L"Downloading", row.percent, row.language))
        << row.percent << " " << row.language;
  }
}

TEST(DownloadBarValue, ShowsSixtyThreeHundredthsWithAFloorOfThreeExceptForArabic) {
  struct Row {
    int percent;
    int bar;
    int arabicBar;
  };
  const Row rows[] = {
      {0, 3, 0},   {1, 3, 1},   {2, 3, 1},    {3, 3, 1},     {4, 3, 2},   {5, 3, 3},
      {10, 6, 6},  {50, 31, 31}, {99, 62, 62}, {100, 63, 63},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.bar, ui::downloadBarValue(row.percent, L"en")) << row.percent;
    EXPECT_EQ(row.arabicBar, ui::downloadBarValue(row.percent, L"ar")) << row.percent;
  }
}

TEST(DownloadPercentAfter, IsAtLeastOneOnceProgressArrived) {
  const std::pair<int, int> rows[] = {{0, 1}, {1, 1}, {2, 2}, {63, 63}, {100, 100}};
  for (auto& row : rows) EXPECT_EQ(row.second, ui::downloadPercentAfter(row.first)) << row.first;
}

TEST(InstallBarAnimation, ClimbsByTwoFromSixtyFourAndStaysAtTheTop) {
  ui::InstallBarAnimation animation;
  std::vector<int> bars;
  for (int i = 0; i < 22; ++i) bars.push_back(animation.tick());
  std::vector<int> expected;
  for (int v = 64; v <= 100; v += 2) expected.push_back(v);
  while (expected.size() < bars.size()) expected.push_back(100);
  EXPECT_EQ(expected, bars);

  animation.restart();
  EXPECT_EQ(64, animation.tick());
  EXPECT_EQ(66, animation.tick());
}

TEST(TipCarousel, FollowsTheSixthTipWithTheFirst) {
  ui::TipCarousel tips;
  std::vector<std::wstring> keys;
  for (int i = 0; i < 8; ++i) keys.push_back(tips.next());
  const std::vector<std::wstring> expected{L"turn_tip_1", L"turn_tip_2", L"turn_tip_3", L"turn_tip_4",
                                           L"turn_tip_5", L"turn_tip_6", L"turn_tip_1", L"turn_tip_2"};
  EXPECT_EQ(expected, keys);
}

TEST(TipCarousel, TheProcessCarouselContinuesWhereItStopped) {
  ui::TipCarousel& tips = ui::processTips();
  const std::wstring first = tips.next();
  const int after = tips.index();
  EXPECT_EQ(&tips, &ui::processTips());
  EXPECT_EQ(after, ui::processTips().index());
  const std::wstring second = ui::processTips().next();
  EXPECT_NE(first, second);
}

}  // namespace
