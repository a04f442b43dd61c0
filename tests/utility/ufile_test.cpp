#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "utility/log.h"
#include "utility/ufile.h"

namespace {

using utility::ufile::fileName;
using utility::ufile::parentDir;

TEST(UFile, FileNameAndParentDir) {
  struct Case {
    const wchar_t* path;
    const wchar_t* nameWithExtension;
    const wchar_t* nameWithout;
    const wchar_t* parent;
  } cases[] = {
      {L"C:\\a\\setup.tmp.exe", L"setup.tmp.exe", L"setup.tmp", L"C:\\a\\"},
      {L"C:\\a\\b\\", L"", L"", L"C:\\a\\"},
      {L"C:/a/b.txt", L"b.txt", L"b", L"C:/a/"},
      {L"C:\\a/b\\c", L"c", L"c", L"C:\\a/b\\"},
      {L"noseparator.exe", L"", L"", L""},
      {L"\\", L"", L"", L""},
      {L"", L"", L"", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.nameWithExtension, fileName(c.path, true)) << c.path;
    EXPECT_EQ(c.nameWithout, fileName(c.path, false)) << c.path;
    EXPECT_EQ(c.parent, parentDir(c.path)) << c.path;
  }
}

TEST(UFile, ModuleAndAppDataFolders) {
  std::wstring module = utility::ufile::moduleDir();
  ASSERT_FALSE(module.empty());
  EXPECT_EQ(L'\\', module.back());
  std::wstring appData = utility::ufile::appDataDir();
  ASSERT_FALSE(appData.empty());
  EXPECT_NE(L'\\', appData.back());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(appData.c_str()));
}

std::vector<std::wstring>* g_captured = nullptr;
void captureSink(const char*, int, const wchar_t* text) {
  if (g_captured) g_captured->push_back(text);
}

TEST(UFile, MakeDirCreatesParentsAndReportsOnlyRealFailures) {
  std::vector<std::wstring> lines;
  g_captured = &lines;
  LogSink previous = g_logSink;
  g_logSink = &captureSink;

  std::wstring base = testing_support::makeTempDir(L"makedir");
  std::wstring deep = base + L"a\\b\\c";
  EXPECT_TRUE(utility::ufile::makeDir(deep));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(deep.c_str()));
  EXPECT_TRUE(utility::ufile::makeDir(deep));  // already there: success, no line
  EXPECT_TRUE(lines.empty());

  EXPECT_FALSE(utility::ufile::makeDir(L"Q:\\missing\\drive"));
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(0u, lines[0].find(L"make dir failed! error = ")) << lines[0];

  g_logSink = previous;
  g_captured = nullptr;
  testing_support::removeTree(base);
}

}  // namespace
