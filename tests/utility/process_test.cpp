// Starting programs and documents, and the file helpers, for real under Wine.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include "tests/support/log_capture.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "utility/command_line.h"
#include "utility/encoding.h"
#include "utility/process.h"
#include "utility/setup_file_check.h"
#include "utility/ufile.h"
#include "vel_build_config.h"

using namespace testing_support;
namespace process = utility::process;
namespace ufile = utility::ufile;

namespace {

// The process ids of running programs with this file name.
std::vector<DWORD> processesNamed(const std::wstring& name) {
  std::vector<DWORD> ids;
  utility::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, name.c_str()) == 0) ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

bool waitForFile(const std::wstring& path, DWORD timeoutMs) {
  DWORD started = GetTickCount();
  while (!ufile::exists(path)) {
    if (GetTickCount() - started > timeoutMs) return false;
    Sleep(20);
  }
  Sleep(100);  // the writer closes the file right after creating it
  return true;
}

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = makeTempDir(L"proc test");
    // A copy with blanks in its folder and name, and a name no other program has.
    exe_ = dir_ + L"stand in " + std::to_wstring(GetCurrentProcessId()) + L".exe";
    ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), exe_.c_str(), FALSE));
  }
  void TearDown() override {
    for (DWORD id : processesNamed(ufile::fileName(exe_, true))) {
      utility::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
      if (process) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
      }
    }
    removeTree(dir_);
  }
  std::wstring dir_, exe_;
};

TEST_F(ProcessTest, ExecuteJudgesTheExitCodeWithinTheWait) {
  struct Case {
    const wchar_t* arguments;
    DWORD wait;
    bool expected;
    const wchar_t* line;  // the log line that tells the outcome
    DWORD maxElapsed;
  } cases[] = {
      {L"--exit-code 0", 10000, true, L"execute exitcode = 0 ", 9000},
      {L"--exit-code 1", 10000, false, L"execute exitcode = 1 ", 9000},
      {L"--sleep-ms 3000 --exit-code 1", 0, true, nullptr, 1000},
      {L"--sleep-ms 4000", 300, false, L"execute timeout!!!", 2500},
  };
  for (const Case& c : cases) {
    LogCapture log;
    DWORD started = GetTickCount();
    EXPECT_EQ(c.expected, process::execute(exe_, c.arguments, false, c.wait)) << c.arguments;
    EXPECT_LT(GetTickCount() - started, c.maxElapsed) << c.arguments;
    if (c.line) {
      EXPECT_FALSE(log.find(c.line).empty()) << c.arguments;
    }
  }
  // The program that outlived its wait is still running.
  EXPECT_FALSE(processesNamed(ufile::fileName(exe_, true)).empty());
}

TEST_F(ProcessTest, CreateQuotesAPathWithBlanks) {
  std::wstring record = dir_ + L"record.txt";
  DWORD id = 0;
  utility::UniqueHandle child(process::create(exe_, L"--record \"" + record + L"\" tail", false, &id));
  ASSERT_TRUE(child);
  EXPECT_NE(0u, id);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.get(), 10000));
  std::string line = readFile(record);
  EXPECT_EQ(0u, line.find("\"" + utility::toUtf8(exe_) + "\" --record")) << line;
  EXPECT_NE(std::string::npos, line.find(" tail")) << line;

  LogCapture log;
  EXPECT_FALSE(process::create(dir_ + L"missing.exe", L"", false));
  EXPECT_FALSE(process::execute(dir_ + L"missing.exe", L"", false, 100));
  EXPECT_FALSE(log.find(L"createProcess failed!!! lastError = 2").empty());
}

// Whatever a value holds, the system's own splitting gives back exactly the arguments built,
// a folder's trailing backslash included.
TEST(CommandLine, EachArgumentComesBackWholeFromCommandLineToArgv) {
  namespace command_line = utility::command_line;
  const std::vector<std::wstring> values = {
      L"plain", L"", L"a b", L"tab\there", L"C:\\Vel Player\\", L"C:\\dir\\\\", L"say \"hi\"", L"back\\\"slash",
      L"gid -uninstall -path=..", L"x\" -y", L"\\\\server\\share\\", L"\"",
  };
  std::vector<std::wstring> arguments;
  for (const std::wstring& value : values) arguments.push_back(command_line::argument(value));
  for (const std::wstring& value : values) arguments.push_back(L"-path=" + command_line::quoted(value));
  std::wstring line = command_line::forProgram(L"C:\\Program Files\\p.exe", command_line::join(arguments));

  int count = 0;
  LPWSTR* parsed = CommandLineToArgvW(line.c_str(), &count);
  ASSERT_NE(nullptr, parsed);
  ASSERT_EQ(static_cast<int>(values.size() * 2 + 1), count) << utility::toUtf8(line);
  EXPECT_EQ(L"C:\\Program Files\\p.exe", std::wstring(parsed[0]));
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(values[i], std::wstring(parsed[1 + i])) << utility::toUtf8(line);
    EXPECT_EQ(L"-path=" + values[i], std::wstring(parsed[1 + values.size() + i])) << utility::toUtf8(line);
  }
  LocalFree(parsed);

  EXPECT_EQ(L"plain", command_line::argument(L"plain")) << "a plain value is left as it is";
  EXPECT_EQ(L"\"C:\\Vel\\\\\"", command_line::quoted(L"C:\\Vel\\"));
  EXPECT_EQ(L"\"p.exe\"", command_line::forProgram(L"p.exe", L""));
}

// Links come from the service's documents: only http and https ones are ever opened.
TEST(OpenInBrowser, OnlyWebAddressesAreOpened) {
  struct Case {
    const wchar_t* address;
    bool web;
  } cases[] = {
      {L"https://community.example/support", true}, {L"HTTP://h/x", true},
      {L"http://", false},                          {L"file:///C:/Windows/system32/calc.exe", false},
      {L"C:\\Windows\\system32\\calc.exe", false}, {L"javascript:alert(1)", false},
      {L"ms-settings:", false},                     {L" https://h/", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.web, process::isWebAddress(c.address)) << utility::toUtf8(c.address);
    if (c.web) continue;
    LogCapture log;
    process::openInBrowser(c.address);
    EXPECT_FALSE(log.find(L"not a web address, not opened").empty()) << utility::toUtf8(c.address);
  }
}

// The checks a downloaded setup must pass, on the signed stand-ins made at build time.
TEST(SetupFileCheck, OnlyTheBuildsPublisherUnderATrustedRootForCodeSigningPasses) {
  namespace check = utility::setup_file_check;
  TrustedCodeSigningAuthority authority;
  ASSERT_TRUE(authority.trusted());
  const std::wstring dir = makeTempDir(L"signed");
  std::string tampered = readFile(codesignFile(L"setup_signed.exe"));
  ASSERT_GT(tampered.size(), 4096u);
  tampered[tampered.size() / 2] ^= 1;  // in the padding, which the signature covers
  ASSERT_TRUE(writeFile(dir + L"tampered.exe", tampered));
  struct Case {
    std::wstring file;
    bool ok;
    const wchar_t* reason;
  } cases[] = {
      {codesignFile(L"setup_signed.exe"), true, L""},
      {codesignFile(L"setup_unsigned.exe"), false, L"signature not valid"},
      {dir + L"tampered.exe", false, L"signature not valid"},
      {codesignFile(L"setup_other_publisher.exe"), false, L"signed by another publisher"},
      {codesignFile(L"setup_no_code_signing.exe"), false, L"certificate chain not trusted for code signing"},
      {codesignFile(L"setup_untrusted_root.exe"), false, L"certificate chain not trusted for code signing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utility::toUtf8(c.file));
    utility::UniqueHandle held = check::openHeld(c.file);
    ASSERT_TRUE(held);
    check::Verdict verdict = check::verifySignature(c.file, held.get(), buildconfig::kSetupPublisher);
    EXPECT_EQ(c.ok, verdict.ok);
    EXPECT_EQ(std::wstring(c.reason), verdict.reason);
    if (!c.ok) EXPECT_NE(0u, verdict.code);
  }
  EXPECT_FALSE(check::verifySignature(codesignFile(L"setup_signed.exe"),
                                      check::openHeld(codesignFile(L"setup_signed.exe")).get(), L"Someone Else")
                   .ok);
  removeTree(dir);
}

TEST(SetupFileCheck, AHeldFileCanBeStartedButNotChangedRenamedOrDeleted) {
  namespace check = utility::setup_file_check;
  const std::wstring dir = makeTempDir(L"held");
  const std::wstring file = dir + L"VelPlayer.exe";
  ASSERT_TRUE(CopyFileW((binDir() + L"vel_standin_process.exe").c_str(), file.c_str(), FALSE));
  ASSERT_TRUE(writeFile(dir + L"other.exe", "x"));
  {
    utility::UniqueHandle held = check::openHeld(file);
    ASSERT_TRUE(held);
    utility::UniqueHandle writer(
        CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer) << "opened for writing";
    EXPECT_FALSE(MoveFileExW(file.c_str(), (dir + L"moved.exe").c_str(), 0)) << "renamed away";
    EXPECT_FALSE(MoveFileExW((dir + L"other.exe").c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) << "replaced";
    EXPECT_FALSE(DeleteFileW(file.c_str())) << "deleted";
    utility::UniqueHandle started(utility::process::create(file, L"--exit-code 0", false));
    EXPECT_TRUE(started) << "CreateProcessW refused the held file";
    if (started) EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started.get(), 10000));

    // The digest is read through the held handle, from its start, however often.
    DWORD error = 0;
    std::wstring first = check::md5Of(held.get(), &error);
    EXPECT_EQ(32u, first.size());
    EXPECT_EQ(first, check::md5Of(held.get(), &error));
    EXPECT_TRUE(check::isMd5Text(first));
  }
  EXPECT_TRUE(MoveFileExW(file.c_str(), (dir + L"moved.exe").c_str(), 0)) << "released once closed";
  ASSERT_TRUE(writeFile(dir + L"abc.txt", "abc"));
  DWORD error = 0;
  EXPECT_EQ(L"900150983cd24fb0d6963f7d28e17f72", check::md5Of(check::openHeld(dir + L"abc.txt").get(), &error));
  EXPECT_TRUE(check::isMd5Text(L"900150983CD24FB0D6963F7D28E17F72"));
  for (const wchar_t* text : {L"900150983cd24fb0d6963f7d28e17f7", L"", L"900150983cd24fb0d6963f7d28e17f7g", L"abc"}) {
    EXPECT_FALSE(check::isMd5Text(text)) << utility::toUtf8(text);
  }
  removeTree(dir);
}

TEST_F(ProcessTest, ShellAndBrowserStartADocumentWithItsHandler) {
  // A document type of this test's own, opened by the stand-in program.
  std::wstring record = dir_ + L"opened.txt";
  std::wstring command = L"\"" + exe_ + L"\" --record \"" + record + L"\" \"%1\"";
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, L"VelTest.Doc\\shell\\open\\command", 0,
                                           nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CLASSES_ROOT, L".veltest", nullptr, REG_SZ,
                                           L"VelTest.Doc", sizeof(L"VelTest.Doc")));

  std::wstring first = dir_ + L"first.veltest";
  std::wstring second = dir_ + L"second.veltest";
  ASSERT_TRUE(writeFile(first, "1"));
  ASSERT_TRUE(writeFile(second, "2"));
  ASSERT_TRUE(process::shell(first, L"", false, false));
  ASSERT_TRUE(waitForFile(record, 10000));
  EXPECT_NE(std::string::npos, readFile(record).find("first.veltest"));
  DeleteFileW(record.c_str());
  // The browser opens web addresses only: a document (a service could name any file) is refused.
  process::openInBrowser(second);
  EXPECT_FALSE(waitForFile(record, 2000)) << "a document was opened as a link";

  LogCapture log;
  EXPECT_FALSE(process::shell(dir_ + L"missing.veltest", L"", false, false));
  EXPECT_FALSE(log.find(L"shellEx failed!!! lastError = ").empty());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"VelTest.Doc");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".veltest");
}

TEST(UFileOps, MoveAcrossFoldersReplacesAndFailuresAreLogged) {
  std::wstring dir = makeTempDir(L"fileops");
  ASSERT_TRUE(ufile::makeDir(dir + L"a"));
  ASSERT_TRUE(ufile::makeDir(dir + L"b"));
  std::wstring from = dir + L"a\\setup.tmp", to = dir + L"b\\setup.exe";
  ASSERT_TRUE(writeFile(from, "new bytes"));
  ASSERT_TRUE(writeFile(to, "old"));
  ASSERT_TRUE(ufile::moveFile(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
  EXPECT_FALSE(ufile::exists(from));
  EXPECT_EQ("new bytes", readFile(to));
  int64_t size = -5;
  ASSERT_TRUE(ufile::fileSize(to, size));
  EXPECT_EQ(9, size);
  EXPECT_TRUE(ufile::exists(dir + L"b"));

  LogCapture log;
  EXPECT_FALSE(ufile::moveFile(from, to, 3));
  EXPECT_FALSE(log.find(L"move file from [ " + from + L" ] to [ " + to + L" ] flag = 3 failed! error = 2.").empty());
  ASSERT_TRUE(writeFile(from, "x"));
  EXPECT_FALSE(ufile::moveFile(from, to, 0));  // no replace asked for
  EXPECT_TRUE(ufile::removeFile(to));
  EXPECT_FALSE(ufile::removeFile(to));
  EXPECT_FALSE(log.find(L"removeFile file from [ " + to + L" ] error = 2.").empty());
  size = -5;
  EXPECT_FALSE(ufile::fileSize(to, size));
  EXPECT_EQ(-5, size);
  removeTree(dir);
}

}  // namespace
