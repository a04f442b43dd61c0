// The harness itself: a stand-in program can be started and observed, and the loopback
// web service answers from inside Wine.
#include <gtest/gtest.h>

#include "tests/support/standin_http.h"
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

TEST(Harness, ServedDocumentsAndFilesAnswerAtTheirPaths) {
  ASSERT_TRUE(resetStandin());
  const std::string channel = "{\"code\":200,\"data\":7}";
  const std::string config = "{\"title\":\"\xE6\xB8\xB8\"}";
  ASSERT_TRUE(standinServe("/check/machine/channel", channel));
  ASSERT_TRUE(standinServe("/player_files/openidconfig/100123.data", config));
  ASSERT_TRUE(standinServeGenerated("/download/package/VelPlayer9.0.exe", 300000));
  ASSERT_TRUE(standinRequest("GET", "/_control/arm?path=/check/machine/channel&fault=status&code=404", "", "",
                             nullptr, nullptr));

  int status = 0;
  std::string body;
  ASSERT_TRUE(standinRequest("GET", "/check/machine/channel?m=AB12", "", "", &status, &body));
  EXPECT_EQ(404, status);  // the armed fault, once
  ASSERT_TRUE(standinRequest("GET", "/check/machine/channel?m=AB12", "", "", &status, &body));
  EXPECT_EQ(200, status);
  EXPECT_EQ(channel, body);
  ASSERT_TRUE(standinRequest("GET", "/player_files/openidconfig/100123.data", "", "", &status, &body));
  EXPECT_EQ(config, body);

  ASSERT_TRUE(standinRequest("GET", "/download/package/VelPlayer9.0.exe", "Range: bytes=65000-\r\n", "", &status,
                             &body));
  EXPECT_EQ(206, status);
  EXPECT_TRUE(body == generatedBytes(65000, 300000 - 65000)) << body.size();

  ASSERT_TRUE(resetStandin());
  ASSERT_TRUE(standinRequest("GET", "/check/machine/channel?m=AB12", "", "", &status, &body));
  EXPECT_EQ(404, status);
}
