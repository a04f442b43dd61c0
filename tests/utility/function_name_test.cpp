#include <gtest/gtest.h>

#include "utility/function_name.h"

namespace {

struct NameCase {
  const char* pretty;
  const char* expected;
};

TEST(QualifiedFunctionName, ReadsAsTheLogTags) {
  const NameCase cases[] = {
      {"bool utility::ufile::moveFile(const std::wstring&, const std::wstring&, DWORD)", "utility::ufile::moveFile"},
      {"void DownloaderModel::_threadDownloadPlayer()", "DownloaderModel::_threadDownloadPlayer"},
      {"int wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)", "wWinMain"},
      {"virtual void a::B::g()", "a::B::g"},
      {"static T a::B::f(T) [with T = int]", "a::B::f"},
      {"a::B::f<int>(int)::<lambda()>", "a::B::f<int>"},
      {"DownloaderModel::init(const wchar_t*)::<lambda()>", "DownloaderModel::init"},
      {"std::map<int, std::basic_string<char> > ns::table()", "ns::table"},
      {"a::B::operator bool()", "a::B::operator bool"},
      {"void a::B::operator()(int)", "a::B::operator()"},
      {"const char* const* x::y()", "x::y"},
      {"void {anonymous}::logSomeLines()", "logSomeLines"},
      {"void a::{anonymous}::b::c()", "a::b::c"},
      {"plain", "plain"},
      {"", ""},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(c.expected, common::qualifiedFunctionName(c.pretty)) << c.pretty;
  }
}

TEST(QualifiedFunctionName, InternedNameIsStable) {
  const char* first = common::internFunctionName("void utility::RegKey::RegRead()");
  EXPECT_STREQ("utility::RegKey::RegRead", first);
}

}  // namespace
