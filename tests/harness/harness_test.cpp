// The harness itself: a stand-in program can be started and observed, and the loopback
// web service answers from inside Wine.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

using namespace testing_support;

TEST(Harness, StandinProcessRecordsItsCommandLineAndExitCode) {
  std::wstring dir = makeTempDir(L"harness");
  std::wstring record = dir + L"record.txt";
  ChildProcess child;
  ASSERT_TRUE(child.start(binDir() + L"vel_standin_process.exe",
                          L"--record \"" + record + L"\" --exit-code 7 -silence -openid=abc"));
  EXPECT_EQ(7, child.waitForExit(10000));
  std::string recorded = readFile(record);
  EXPECT_NE(std::string::npos, recorded.find("-silence -openid=abc")) << recorded;
  removeTree(dir);
}

TEST(Harness, LoopbackServiceAnswers) {
  int status = 0;
  std::string body;
  ASSERT_TRUE(standinGet(L"/health", &status, &body));
  EXPECT_EQ(200, status);
  EXPECT_EQ("ok", body);

  ASSERT_TRUE(standinGet(L"/gen/100?fault=status&code=404", &status, &body));
  EXPECT_EQ(404, status);
  EXPECT_NE(std::string::npos, body.find("<html>"));
}
