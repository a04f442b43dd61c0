// The install-path rules against invented drives: the folder a choice becomes and the advice
// a new choice earns.
#include "ui/install_path_rules.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <map>

#include "identity/config_imp.h"
#include "tests/ui/invented_disks.h"

namespace {

using testdisks::Disks;

// C: SSD with room, D: hard disk with room, E: hard disk short of room, F: SSD short of room,
// G: SSD with room.
const Disks& machine() {
  static const Disks disks({{L'C', {50000, true}},
                            {L'D', {50000, false}},
                            {L'E', {17407, false}},
                            {L'F', {1000, true}},
                            {L'G', {17408, true}}});
  return disks;
}

const ui::ProductFolders kNine{L"VelPlayer\\VelPlayer9\\", L"VelPlayer9\\"};

struct FolderRow {
  const wchar_t* chosen;
  const wchar_t* expected;
};

TEST(InstallFolderFor, AddsTheProductFoldersThatTheChoiceLacks) {
  const FolderRow rows[] = {
      {L"D:\\", L"D:\\VelPlayer\\VelPlayer9\\"},
      {L"D:", L"D:\\VelPlayer\\VelPlayer9\\"},
      {L"E:\\Games", L"E:\\Games\\VelPlayer\\VelPlayer9\\"},
      {L"E:\\Games\\", L"E:\\Games\\VelPlayer\\VelPlayer9\\"},
      {L"E:\\Games\\VelPlayer9", L"E:\\Games\\VelPlayer9\\"},
      {L"E:\\VelPlayer", L"E:\\VelPlayer\\"},
      {L"E:\\Tools\\ovplayer", L"E:\\Tools\\ovplayer\\"},
      // The product names count only in their own letter case.
      {L"E:\\velplayer", L"E:\\velplayer\\VelPlayer\\VelPlayer9\\"},
      // "morvane" in any case as the last folder keeps its case and gains the leaf folder.
      {L"E:\\Morvane", L"E:\\Morvane\\VelPlayer9\\"},
      {L"E:\\morvane", L"E:\\morvane\\VelPlayer9\\"},
      {L"E:\\MORVANE\\", L"E:\\MORVANE\\VelPlayer9\\"},
      {L"E:\\Games\\mOrVaNe", L"E:\\Games\\mOrVaNe\\VelPlayer9\\"},
      // Anywhere else it is an ordinary folder.
      {L"E:\\Morvane\\Old", L"E:\\Morvane\\Old\\VelPlayer\\VelPlayer9\\"},
      {L"E:\\Morvanes", L"E:\\Morvanes\\VelPlayer\\VelPlayer9\\"},
      // A valid path is cleaned: separators, doubled separators and surrounding blanks.
      {L"E:\\Games\\\\Sub", L"E:\\Games\\Sub\\VelPlayer\\VelPlayer9\\"},
      {L"E:/Games/Sub", L"E:\\Games\\Sub\\VelPlayer\\VelPlayer9\\"},
      {L"  E:\\Games", L"E:\\Games\\VelPlayer\\VelPlayer9\\"},
      // An invalid one is kept as it came, only completed.
      {L"Q:\\Games\\\\Sub", L"Q:\\Games\\\\Sub\\VelPlayer\\VelPlayer9\\"},
      {L"D:\\a*b", L"D:\\a*b\\VelPlayer\\VelPlayer9\\"},
  };
  for (const FolderRow& row : rows) {
    EXPECT_EQ(row.expected, ui::installFolderFor(row.chosen, kNine, machine())) << row.chosen;
  }
}

TEST(InstallFolderFor, TakesTheFolderNamesOfTheRegionAndVariant) {
  struct Row {
    const wchar_t* region;
    bool player4;
    const wchar_t* chosen;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"en", false, L"D:\\", L"D:\\VelPlayer\\VelPlayer9\\"},
      {L"cn", false, L"D:\\", L"D:\\Morvane\\VelPlayer9\\"},
      {L"cn", false, L"E:\\Games", L"E:\\Games\\Morvane\\VelPlayer9\\"},
      {L"cn", false, L"E:\\morvane", L"E:\\morvane\\VelPlayer9\\"},
      {L"en", true, L"D:\\", L"D:\\VelPlayer\\VelPlayer4.0\\"},
      {L"cn", true, L"E:\\Morvane", L"E:\\Morvane\\VelPlayer4.0\\"},
  };
  ConfigImp& config = ConfigImp::startup();
  for (const Row& row : rows) {
    config.resetForTest();
    config.setRegion(row.region);
    if (row.player4) config.setPlayer4();
    EXPECT_EQ(row.expected, ui::installFolderFor(row.chosen, ui::productFolders(config), machine()))
        << row.region << (row.player4 ? L" 4.0 " : L" 9 ") << row.chosen;
  }
  config.resetForTest();
}

TEST(IsRootPath, KnowsDriveRootsAndShareRoots) {
  const std::pair<const wchar_t*, bool> rows[] = {
      {L"D:\\", true},          {L"\\", true},          {L"\\\\server", true}, {L"\\\\server\\share", true},
      {L"\\\\server\\share\\", false}, {L"D:", false},  {L"D:\\x", false},     {L"", false},
      {L"x\\", false},
  };
  for (auto& row : rows) EXPECT_EQ(row.second, ui::isRootPath(row.first)) << row.first;
}

const wchar_t kOnC[] = L"C:\\VelPlayer\\VelPlayer9\\";

struct AdviceRow {
  const char* what;
  ui::InstallPathState state;
  const wchar_t* chosen;
  bool checkSsd;
  // Expected:
  bool unchanged;
  bool sameDrive;
  const wchar_t* installPath;
  bool valid;
  ui::PathAdvice advice;
  const wchar_t* chosenDrive;
  const wchar_t* proposedPath;
};

TEST(PlanPathChange, GivesTheAdviceThatTheChosenDriveEarns) {
  using ui::PathAdvice;
  const ui::InstallPathState recommendedC{kOnC, kOnC, true};
  const AdviceRow rows[] = {
      {"the same text again", recommendedC, kOnC, true, true, false, kOnC, true, PathAdvice::None, L"", L""},
      {"the same text again, even when it is invalid", {L"Q:\\x\\", kOnC, true}, L"Q:\\x\\", true,  //
       true, false, L"Q:\\x\\", false, PathAdvice::None, L"", L""},
      {"another folder on the recommended drive", recommendedC, L"C:\\Games", true,  //
       false, true, L"C:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::None, L"", L""},
      {"the recommended drive short of space", {kOnC, L"F:\\VelPlayer\\VelPlayer9\\", true}, L"F:\\Games", true,
       false, true, L"F:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::None, L"", L""},
      {"a hard disk while the recommended drive is an SSD", recommendedC, L"D:\\Games", true,  //
       false, false, L"D:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::Ssd, L"D", kOnC},
      {"the SSD advice comes before the space advice", recommendedC, L"E:\\", true,  //
       false, false, L"E:\\VelPlayer\\VelPlayer9\\", true, PathAdvice::Ssd, L"E", kOnC},
      {"a hard disk with room and the SSD check off", recommendedC, L"D:\\Games", false,  //
       false, false, L"D:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::None, L"", L""},
      {"a hard disk with room when the recommended drive is no SSD", {kOnC, kOnC, false}, L"D:\\Games", true,
       false, false, L"D:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::None, L"", L""},
      {"a hard disk one MiB short, SSD check off", recommendedC, L"E:\\Games", false,  //
       false, false, L"E:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::Space, L"E", kOnC},
      {"an SSD short of space", recommendedC, L"F:\\Games", true,  //
       false, false, L"F:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::Space, L"F", kOnC},
      {"an SSD with exactly the room needed", recommendedC, L"G:\\Games", true,  //
       false, false, L"G:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::None, L"", L""},
      {"a lower-case letter is another drive", {kOnC, L"D:\\VelPlayer\\VelPlayer9\\", false}, L"d:\\Games", true,
       false, false, L"d:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::None, L"", L""},
      {"short of space, the recommended drive too: no proposal", {kOnC, L"E:\\VelPlayer\\VelPlayer9\\", false},
       L"F:\\Games", true, false, false, L"F:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::None, L"", L""},
      {"short of space, no recommendation, the previous path on the same full drive: no proposal",
       {L"E:\\Old\\VelPlayer9\\", L"", false}, L"E:\\Games", true, false, false,
       L"E:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::None, L"", L""},
      {"the same letter case is the same drive", {kOnC, L"E:\\VelPlayer\\VelPlayer9\\", false}, L"E:\\Games", true,
       false, true, L"E:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::None, L"", L""},
      {"no recommendation: back to the previous path, and no SSD advice", {L"D:\\Old\\VelPlayer9\\", L"", true},
       L"E:\\Games", true, false, false, L"E:\\Games\\VelPlayer\\VelPlayer9\\", true, PathAdvice::Space, L"E",
       L"D:\\Old\\VelPlayer9\\"},
      {"a drive that does not exist", recommendedC, L"Q:\\Games", false,  //
       false, false, L"Q:\\Games\\VelPlayer\\VelPlayer9\\", false, PathAdvice::Space, L"Q", kOnC},
      {"a drive that does not exist, SSD check on", recommendedC, L"Q:\\Games", true,  //
       false, false, L"Q:\\Games\\VelPlayer\\VelPlayer9\\", false, PathAdvice::Ssd, L"Q", kOnC},
      {"a forbidden character", recommendedC, L"D:\\a?b", false,  //
       false, false, L"D:\\a?b\\VelPlayer\\VelPlayer9\\", false, PathAdvice::None, L"", L""},
      {"forward slashes", recommendedC, L"D:/Games/Sub", false,  //
       false, false, L"D:\\Games\\Sub\\VelPlayer\\VelPlayer9\\", true, PathAdvice::None, L"", L""},
      {"a leading run of slashes", recommendedC, L"///Games", false,  //
       false, false, L"\\Games\\VelPlayer\\VelPlayer9\\", false, PathAdvice::Space, L"/", kOnC},
      {"the text differs only in case from the stored path", {L"D:\\Games\\VelPlayer9\\", kOnC, true},
       L"D:\\Games\\velplayer9\\", false, false, false, L"D:\\Games\\velplayer9\\VelPlayer\\VelPlayer9\\", true,
       PathAdvice::None, L"", L""},
  };
  for (const AdviceRow& row : rows) {
    const ui::PathChange change = ui::planPathChange(row.chosen, row.checkSsd, row.state, kNine, machine());
    SCOPED_TRACE(row.what);
    EXPECT_EQ(row.unchanged, change.unchanged);
    EXPECT_EQ(row.sameDrive, change.sameDrive);
    EXPECT_EQ(row.installPath, change.installPath);
    EXPECT_EQ(row.valid, change.valid);
    EXPECT_EQ(row.advice, change.advice);
    EXPECT_EQ(row.chosenDrive, change.chosenDrive);
    EXPECT_EQ(row.proposedPath, change.proposedPath);
    EXPECT_EQ(std::wstring(row.proposedPath).substr(0, 1), change.proposedDrive);
  }
}

TEST(PlanPathChange, DecliningTheSsdAdviceLeadsOnlyToTheSpaceAdvice) {
  struct Row {
    const wchar_t* chosen;
    ui::PathAdvice afterDecline;
  };
  const Row rows[] = {
      {L"E:\\Games", ui::PathAdvice::Space},
      {L"D:\\Games", ui::PathAdvice::None},
      // Typed in its final form: the stored path equals the text, the space advice still follows.
      {L"E:\\Games\\VelPlayer\\VelPlayer9\\", ui::PathAdvice::Space},
      {L"E:\\", ui::PathAdvice::Space},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.chosen);
    ui::InstallPathState state{kOnC, kOnC, true};
    const ui::PathChange first = ui::planPathChange(row.chosen, true, state, kNine, machine());
    ASSERT_EQ(ui::PathAdvice::Ssd, first.advice);
    state.installPath = first.installPath;
    const ui::PathChange second = ui::planAfterSsdDeclined(row.chosen, state, kNine, machine());
    EXPECT_EQ(row.afterDecline, second.advice);
    EXPECT_EQ(first.installPath, second.installPath);
    if (row.afterDecline == ui::PathAdvice::Space) {
      EXPECT_EQ(kOnC, second.proposedPath);
      EXPECT_EQ(L"C", second.proposedDrive);
    }
  }
}

}  // namespace
