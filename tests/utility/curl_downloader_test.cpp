// The curl client against the loopback stand-in, for real.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <utility>
#include <vector>

#include "utility/vel_curl_downloader.h"
#include "tests/support/log_capture.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

class CurlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_ALL); }
  static void TearDownTestSuite() { curl_global_cleanup(); }
  void SetUp() override {
    ASSERT_TRUE(resetStandin());
    dir_ = makeTempDir(L"curltest");
  }
  void TearDown() override { removeTree(dir_); }
  static std::string url(const std::wstring& path) { return narrow(standinUrl(path)); }
  std::wstring dir_;
};

// Documents are a few KiB: a memory answer past 4 MiB is refused, not kept.
TEST_F(CurlTest, AMemoryAnswerIsCapped) {
  std::string out;
  ASSERT_TRUE(VelCurlDownloader::downloadMemory(url(L"/gen/" + std::to_wstring(4 * 1024 * 1024)), out));
  EXPECT_EQ(4u * 1024 * 1024, out.size());
  LogCapture log;
  EXPECT_FALSE(VelCurlDownloader::downloadMemory(url(L"/gen/" + std::to_wstring(4 * 1024 * 1024 + 1)), out));
  EXPECT_FALSE(log.find(L"memory answer over").empty());
}

TEST_F(CurlTest, ErrorPageIsTextInMemoryButNeverWrittenIntoAFile) {
  std::string page;
  ASSERT_TRUE(VelCurlDownloader::downloadMemory(url(L"/gen/10?fault=status&code=404"), page));
  EXPECT_NE(std::string::npos, page.find("<h1>404</h1>")) << page;

  // Answers that are not the file (or not its continuation) fail and leave the file as it
  // was; the next resume then completes it without a foreign byte.
  struct Case {
    size_t present;
    const wchar_t* path;
  } cases[] = {
      {0, L"/gen/300000?fault=status&code=503"},
      {100000, L"/gen/300000?fault=status&code=404"},
      {100000, L"/gen/300000?fault=range_start&start=0"},
      {100000, L"/gen/300000?fault=range_start&start=50000"},
  };
  for (const Case& c : cases) {
    std::wstring path = dir_ + L"setup.exe";
    ASSERT_TRUE(writeFile(path, generatedBytes(0, c.present)));
    VelCurlDownloader downloader;
    EXPECT_FALSE(downloader.downloadFile(path, url(c.path), nullptr)) << c.path;
    EXPECT_TRUE(readFile(path) == generatedBytes(0, c.present)) << c.path;
    ASSERT_TRUE(downloader.downloadFile(path, url(L"/gen/300000"), nullptr)) << c.path;
    EXPECT_TRUE(readFile(path) == generatedBytes(0, 300000)) << c.path;
  }
}

TEST_F(CurlTest, WholeFileAnswerToAResumeStartsTheFileOverInTheSameCall) {
  struct Case {
    std::string present;
    const wchar_t* path;
    size_t requests;
  } cases[] = {
      {std::string(1000, 'x'), L"/gen/200000?fault=ignore_range", 1},
      // The range goes along a redirect, and only the last answer is judged.
      {generatedBytes(0, 100000), L"/moved?fault=redirect&to=/gen/200000", 2},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(resetStandin());
    std::wstring path = dir_ + L"setup.exe";
    ASSERT_TRUE(writeFile(path, c.present));
    VelCurlDownloader downloader;
    ASSERT_TRUE(downloader.downloadFile(path, url(c.path), nullptr)) << c.path;
    EXPECT_TRUE(readFile(path) == generatedBytes(0, 200000)) << c.path;
    std::vector<RecordedRequest> requests = standinRequests();
    ASSERT_EQ(c.requests, requests.size()) << c.path;
    for (const RecordedRequest& request : requests) {
      ASSERT_NE(nullptr, request.header("Range")) << c.path;
      EXPECT_EQ("bytes=" + std::to_string(c.present.size()) + "-", *request.header("Range")) << c.path;
    }
  }
}

TEST_F(CurlTest, UnsatisfiableResumeFailsAndTheNextCallStartsOver) {
  // A local file longer than the remote one: the server answers 416.
  std::wstring path = dir_ + L"setup.exe";
  ASSERT_TRUE(writeFile(path, generatedBytes(0, 400000)));
  VelCurlDownloader downloader;
  EXPECT_FALSE(downloader.downloadFile(path, url(L"/gen/300000"), nullptr));
  EXPECT_EQ(0u, readFile(path).size());

  ASSERT_TRUE(resetStandin());
  ASSERT_TRUE(downloader.downloadFile(path, url(L"/gen/300000"), nullptr));
  EXPECT_TRUE(readFile(path) == generatedBytes(0, 300000));
  std::vector<RecordedRequest> requests = standinRequests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ(nullptr, requests[0].header("Range"));
}

TEST_F(CurlTest, FailedMemoryDownloadLeavesOutputAndLogsTheError) {
  LogCapture log;
  std::string out = "untouched";
  std::string closedPort = "http://127.0.0.1:1/health";
  EXPECT_FALSE(VelCurlDownloader::downloadMemory(closedPort, out));
  EXPECT_EQ("untouched", out);
  std::wstring line = log.find(L"curl download error ");
  EXPECT_NE(std::wstring::npos, line.find(L"http://127.0.0.1:1/health")) << line;

  VelCurlDownloader downloader;
  EXPECT_FALSE(downloader.downloadFile(dir_ + L"x.bin", closedPort, nullptr));
}

TEST_F(CurlTest, MemoryRequestTimesOutAfterEightSeconds) {
  LogCapture log;
  std::string out;
  DWORD started = GetTickCount();
  EXPECT_FALSE(VelCurlDownloader::downloadMemory(url(L"/health?fault=hold&delay_ms=12000"), out));
  DWORD elapsed = GetTickCount() - started;
  EXPECT_GE(elapsed, 7500u);
  EXPECT_LT(elapsed, 11000u);
  EXPECT_FALSE(log.find(L"curl download error ").empty());
}

TEST_F(CurlTest, ResumeAppendsFromTheFileSizeAndAnEmptyFileStartsOver) {
  const size_t size = 300000;
  struct Case {
    size_t present;
    const char* expectedRange;  // null: no Range header
    const wchar_t* folder;      // below the test folder
  } cases[] = {{100000, "bytes=100000-", L""},
               {0, nullptr, L""},
               // A folder the ANSI code page cannot spell.
               {100000, "bytes=100000-", L"\u6e38\u620f\u0416\\"},
               {0, nullptr, L"\u6e38\u620f\u0416\\"}};
  for (const Case& c : cases) {
    ASSERT_TRUE(resetStandin());
    std::wstring folder = dir_ + c.folder;
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring path = folder + L"resume" + std::to_wstring(c.present) + L".bin";
    ASSERT_TRUE(writeFile(path, generatedBytes(0, c.present)));
    VelCurlDownloader downloader;
    ASSERT_TRUE(downloader.downloadFile(path, url(L"/gen/300000"), nullptr)) << c.present;
    EXPECT_TRUE(readFile(path) == generatedBytes(0, size)) << c.present;
    std::vector<RecordedRequest> requests = standinRequests();
    ASSERT_EQ(1u, requests.size());
    const std::string* range = requests[0].header("Range");
    if (c.expectedRange) {
      ASSERT_NE(nullptr, range);
      EXPECT_EQ(c.expectedRange, *range);
    } else {
      EXPECT_EQ(nullptr, range) << *range;
    }
    EXPECT_EQ(nullptr, requests[0].header("User-Agent"));
  }
}

TEST_F(CurlTest, ProgressCountsPresentBytesAndSkipsUnknownTotalsAndCompletion) {
  std::vector<int> reports;
  VelCurlDownloader::ProgressRecord record;
  record.progress = [&](int percent) { reports.push_back(percent); };
  record.resumeOffset = 50;

  // Half present, a tenth of the rest received.
  VelCurlDownloader::ProgressCallback(&record, 50, 5, 0, 0);
  ASSERT_EQ(std::vector<int>{55}, reports);
  // Within the second after a report: nothing.
  VelCurlDownloader::ProgressCallback(&record, 50, 25, 0, 0);
  EXPECT_EQ(1u, reports.size());

  record.lastReportTick = GetTickCount() - 5000;
  VelCurlDownloader::ProgressCallback(&record, 0.05, 0, 0, 0);  // no total yet
  VelCurlDownloader::ProgressCallback(&record, 50, 50, 0, 0);   // 100: left to the caller
  EXPECT_EQ(1u, reports.size());
  VelCurlDownloader::ProgressCallback(&record, 50, 49, 0, 0);  // 100 did not use up the second
  EXPECT_EQ((std::vector<int>{55, 99}), reports);

  VelCurlDownloader::ProgressRecord empty;
  EXPECT_EQ(0, VelCurlDownloader::ProgressCallback(&empty, 50, 5, 0, 0));
}

TEST_F(CurlTest, ProgressDuringASlowTransferIsThrottledAndNeverComplete) {
  struct Case {
    const wchar_t* path;
    bool expectReports;
  } cases[] = {
      {L"/gen/409600?fault=trickle&bytes=16384&delay_ms=130", true},
      {L"/gen/409600?fault=trickle&bytes=16384&delay_ms=130&no_length=1", false},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<DWORD, int>> reports;
    std::wstring path = dir_ + L"slow.bin";
    DeleteFileW(path.c_str());
    VelCurlDownloader downloader;
    ASSERT_TRUE(downloader.downloadFile(path, url(c.path),
                                        [&](int percent) { reports.emplace_back(GetTickCount(), percent); }));
    EXPECT_EQ(409600u, readFile(path).size());
    if (!c.expectReports) {
      EXPECT_TRUE(reports.empty()) << c.path;
      continue;
    }
    ASSERT_GE(reports.size(), 2u) << c.path;
    for (size_t i = 0; i < reports.size(); ++i) {
      EXPECT_LT(reports[i].second, 100);
      if (i > 0) {
        EXPECT_GE(reports[i].first - reports[i - 1].first, 1000u);
        EXPECT_GE(reports[i].second, reports[i - 1].second);
      }
    }
  }
}

TEST_F(CurlTest, PostSendsTheBodyWithTheJsonTypeAndTheExtraLinesInOrder) {
  struct Case {
    std::string body;
    std::vector<std::string> headers;
  } cases[] = {{"", {}}, {"{\"a\":1}", {"X-First: 1", "X-Second: 2"}}};
  for (const Case& c : cases) {
    ASSERT_TRUE(resetStandin());
    std::string response;
    ASSERT_TRUE(VelCurlDownloader::postRequest(c.body, response, url(L"/health"), c.headers));
    EXPECT_EQ("ok", response);
    std::vector<RecordedRequest> requests = standinRequests();
    ASSERT_EQ(1u, requests.size());
    const RecordedRequest& request = requests[0];
    EXPECT_EQ("POST", request.method);
    EXPECT_EQ(c.body, request.body);
    ASSERT_NE(nullptr, request.header("Content-Type"));
    EXPECT_EQ("application/json;charset=UTF-8", *request.header("Content-Type"));
    ASSERT_NE(nullptr, request.header("Content-Length"));
    EXPECT_EQ(std::to_string(c.body.size()), *request.header("Content-Length"));
    std::vector<std::string> extra;
    for (const auto& header : request.headers) {
      if (header.first.compare(0, 2, "X-") == 0) extra.push_back(header.first + ": " + header.second);
    }
    EXPECT_EQ(c.headers, extra);
  }
}

TEST_F(CurlTest, SelfSignedCertificateIsRefused) {
  int port = standinTlsPort();
  if (port == 0) GTEST_SKIP() << "the stand-in has no https (no openssl command)";
  LogCapture log;
  std::string https = "https://127.0.0.1:" + std::to_string(port);
  std::string out = "untouched";
  EXPECT_FALSE(VelCurlDownloader::downloadMemory(https + "/health", out));
  EXPECT_EQ("untouched", out);
  std::string response;
  EXPECT_FALSE(VelCurlDownloader::postRequest("{}", response, https + "/health", {}));
  VelCurlDownloader downloader;
  std::wstring path = dir_ + L"tls.bin";
  EXPECT_FALSE(downloader.downloadFile(path, https + "/gen/1000", nullptr));
  EXPECT_EQ(0u, readFile(path).size());
  EXPECT_FALSE(log.find(L"curl download error ").empty());
  EXPECT_TRUE(standinRequests().empty()) << "a request got through the refused handshake";
}

TEST_F(CurlTest, CertificateOfATrustedAuthorityIsAcceptedForItsNameOnly) {
  TrustedStandinAuthority authority;
  if (authority.port() == 0) GTEST_SKIP() << authority.failure();
  std::string https = "https://127.0.0.1:" + std::to_string(authority.port());
  std::string out;
  ASSERT_TRUE(VelCurlDownloader::downloadMemory(https + "/health", out));
  EXPECT_EQ("ok", out);
  std::string response;
  ASSERT_TRUE(VelCurlDownloader::postRequest("{}", response, https + "/health", {}));
  EXPECT_EQ("ok", response);
  std::wstring path = dir_ + L"tls.bin";
  VelCurlDownloader downloader;
  ASSERT_TRUE(downloader.downloadFile(path, https + "/gen/100000", nullptr));
  EXPECT_TRUE(readFile(path) == generatedBytes(0, 100000));
  EXPECT_EQ(3u, standinRequests().size());

  // After an https start a redirect is followed to https only, never to plain http.
  ASSERT_TRUE(resetStandin());
  out.clear();
  ASSERT_TRUE(VelCurlDownloader::downloadMemory(https + "/x?fault=redirect&to=" + https + "/health", out));
  EXPECT_EQ("ok", out);
  ASSERT_TRUE(resetStandin());
  const std::string plain = "http://127.0.0.1:" + std::to_string(standinPort()) + "/health";
  EXPECT_FALSE(VelCurlDownloader::downloadMemory(https + "/x?fault=redirect&to=" + plain, out));
  EXPECT_FALSE(downloader.downloadFile(path, https + "/x?fault=redirect&to=" + plain, nullptr));
  for (const RecordedRequest& r : standinRequests()) EXPECT_NE("/health", r.path) << "the plain-http address was asked";
  ASSERT_TRUE(VelCurlDownloader::downloadMemory(url(L"/x?fault=redirect&to=/health"), out)) << "http to http is kept";

  // The same trusted chain under a name it was not issued for.
  ASSERT_TRUE(resetStandin());
  std::string otherName = "https://localhost:" + std::to_string(authority.port());
  EXPECT_FALSE(VelCurlDownloader::downloadMemory(otherName + "/health", out));
  EXPECT_TRUE(standinRequests().empty());
}

}  // namespace
