// The WinInet client and its sinks against the loopback stand-in, for real.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "tests/support/log_capture.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "utility/document_limits.h"
#include "utility/encoding.h"
#include "utility/http_downloader.h"
#include "utility/ufile.h"

using namespace testing_support;
using utility::CHttpDownloader;

namespace {

constexpr int64_t kMiB = 1024 * 1024;

// Remembers the first and last progress calls.
class ProgressRecorder : public CHttpDownloader::IHttpDownloadSink {
 public:
  bool onDownloadProgress(const char*, DWORD count, int64_t received, int64_t total) override {
    std::lock_guard<std::mutex> lock(lock_);
    if (calls_ == 0) {
      firstCount_ = count;
      firstReceived_ = received;
    }
    ++calls_;
    lastReceived_ = received;
    total_ = total;
    return true;
  }
  int64_t firstReceived() { std::lock_guard<std::mutex> lock(lock_); return firstReceived_; }
  int64_t firstCount() { std::lock_guard<std::mutex> lock(lock_); return firstCount_; }
  int64_t lastReceived() { std::lock_guard<std::mutex> lock(lock_); return lastReceived_; }
  int64_t total() { std::lock_guard<std::mutex> lock(lock_); return total_; }

 private:
  std::mutex lock_;
  int calls_ = 0;
  int64_t firstCount_ = 0, firstReceived_ = 0, lastReceived_ = 0, total_ = 0;
};

class WinInetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(resetStandin());
    dir_ = makeTempDir(L"inettest");
  }
  void TearDown() override { removeTree(dir_); }
  std::wstring dir_;
};

TEST_F(WinInetTest, RequestFlagsKeepCertificateChecks) {
  EXPECT_EQ(0x84000181u, utility::CHttpClient::requestFlags(false));
  EXPECT_EQ(0x84800181u, utility::CHttpClient::requestFlags(true));
}

TEST_F(WinInetTest, ResumeBy206SendsSortedHeadersAndCountsFromThePartialSize) {
  const int64_t size = 25 * kMiB;
  std::wstring path = dir_ + L"setup.exe";
  ASSERT_TRUE(writeFile(path, generatedBytes(0, 5 * kMiB)));
  CHttpDownloader downloader;
  ProgressRecorder progress;
  ASSERT_TRUE(downloader.download2file(standinUrl(L"/gen/26214400"), path, &progress, true));
  EXPECT_TRUE(readFile(path) == generatedBytes(0, size));
  EXPECT_EQ(size, progress.total());
  EXPECT_EQ(5 * kMiB + progress.firstCount(), progress.firstReceived());
  EXPECT_EQ(size, progress.lastReceived());

  std::vector<RecordedRequest> requests = standinRequests();
  ASSERT_EQ(1u, requests.size());
  std::vector<std::string> order;
  for (const auto& header : requests[0].headers) {
    if (header.first == "Content-Type" || header.first == "Range" || header.first == "User-Agent") {
      order.push_back(header.first + ": " + header.second);
    }
  }
  EXPECT_EQ((std::vector<std::string>{"Content-Type: application/x-www-form-urlencoded", "Range: bytes=5242880-",
                                      "User-Agent: okhttp/3.5.0L"}),
            order);
}

TEST_F(WinInetTest, ResumeAnsweredWithTheWholeBodyStartsTheFileOver) {
  std::wstring path = dir_ + L"setup.exe";
  ASSERT_TRUE(writeFile(path, std::string(1000, 'x')));
  CHttpDownloader downloader;
  ProgressRecorder progress;
  ASSERT_TRUE(downloader.download2file(standinUrl(L"/gen/200000?fault=ignore_range"), path, &progress, true));
  EXPECT_TRUE(readFile(path) == generatedBytes(0, 200000));
  EXPECT_EQ(progress.firstCount(), progress.firstReceived());
  EXPECT_EQ(200000, progress.total());
}

TEST_F(WinInetTest, PartialAnswerIsAppendedOnlyAtTheFileEnd) {
  const int64_t present = 100000, size = 300000;
  struct Case {
    int64_t start;  // where the server's 206 begins
    bool result;
    int64_t kept;  // bytes in the file afterwards: the whole file, or none (starts over)
  } cases[] = {
      {present, true, size},
      {0, true, size},
      {50000, false, 0},
  };
  for (const Case& c : cases) {
    std::wstring path = dir_ + L"setup.exe";
    ASSERT_TRUE(writeFile(path, generatedBytes(0, present)));
    CHttpDownloader downloader;
    int first = 0, second = 0;
    std::wstring url = standinUrl(L"/gen/300000?fault=range_start&start=" + std::to_wstring(c.start));
    EXPECT_EQ(c.result, downloader.download2file(url, path, nullptr, first, second, true)) << c.start;
    EXPECT_TRUE(readFile(path) == generatedBytes(0, c.kept)) << c.start;
    if (!c.result) {
      EXPECT_EQ(-1, first);
      EXPECT_EQ(206, second);
      ASSERT_TRUE(downloader.download2file(standinUrl(L"/gen/300000"), path, nullptr, true)) << c.start;
      EXPECT_TRUE(readFile(path) == generatedBytes(0, size)) << c.start;
    }
  }
}

TEST_F(WinInetTest, RangeOfAFileDownloadIsNotSentWithALaterMemoryDownload) {
  std::wstring path = dir_ + L"setup.exe";
  ASSERT_TRUE(writeFile(path, generatedBytes(0, 100000)));
  CHttpDownloader downloader;
  ASSERT_TRUE(downloader.download2file(standinUrl(L"/gen/300000"), path, nullptr, true));
  ASSERT_TRUE(resetStandin());
  std::string body;
  ASSERT_TRUE(downloader.download2mem(body, standinUrl(L"/gen/70000")));
  EXPECT_TRUE(body == generatedBytes(0, 70000));
  std::vector<RecordedRequest> requests = standinRequests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ(nullptr, requests[0].header("Range"));
}

// No invented total: a guess was overtaken by the answer (36 MiB of "10 MiB" showed 360 %).
TEST_F(WinInetTest, AMissingLengthIsPassedOnAsUnknownAlsoWhenResuming) {
  std::wstring path = dir_ + L"nolength.bin";
  CHttpDownloader downloader;
  ProgressRecorder progress;
  ASSERT_TRUE(downloader.download2file(standinUrl(L"/gen/100000?fault=no_length"), path, &progress, false));
  EXPECT_TRUE(readFile(path) == generatedBytes(0, 100000));
  EXPECT_EQ(utility::CHttpDownload2FileSink::kUnknownTotal, progress.total());

  ASSERT_TRUE(writeFile(path, generatedBytes(0, 40000)));
  ProgressRecorder resumed;
  ASSERT_TRUE(downloader.download2file(standinUrl(L"/gen/100000?fault=no_length"), path, &resumed, true));
  EXPECT_TRUE(readFile(path) == generatedBytes(0, 100000));
  EXPECT_EQ(utility::CHttpDownload2FileSink::kUnknownTotal, resumed.total());
}

TEST_F(WinInetTest, ShortBodyFailsAndAResumeCompletesIt) {
  std::wstring path = dir_ + L"short.bin";
  CHttpDownloader downloader;
  int first = 0, second = 0;
  EXPECT_FALSE(downloader.download2file(standinUrl(L"/gen/300000?fault=short_body&bytes=100000"), path, nullptr,
                                        first, second, false));
  EXPECT_EQ(CHttpDownloader::kNoFirstCode, first);
  EXPECT_EQ(0, second);
  EXPECT_TRUE(readFile(path) == generatedBytes(0, 100000));

  ASSERT_TRUE(downloader.download2file(standinUrl(L"/gen/300000"), path, nullptr, true));
  EXPECT_TRUE(readFile(path) == generatedBytes(0, 300000));
}

TEST_F(WinInetTest, RefusalsRecordTheirCodes) {
  struct Case {
    const wchar_t* url;  // a path on the stand-in, or a full URL
    int first;
    int second;  // 0: any non-zero system error
  } cases[] = {
      {L"/gen/10?fault=status&code=404", -1, 404},
      {L"/gen/10?fault=status&code=500", -1, 500},
      {L"http://127.0.0.1:1/gen/10", 2, 0},
  };
  for (const Case& c : cases) {
    std::wstring path = dir_ + L"refused.bin";
    std::wstring url = c.url[0] == L'/' ? standinUrl(c.url) : c.url;
    CHttpDownloader downloader;
    LogCapture log;
    int first = 0, second = 0;
    EXPECT_FALSE(downloader.download2file(url, path, nullptr, first, second, false)) << c.url;
    EXPECT_FALSE(utility::ufile::exists(path)) << c.url;
    EXPECT_EQ(c.first, first) << c.url;
    if (c.second) EXPECT_EQ(c.second, second) << c.url;
    else EXPECT_NE(0, second) << c.url;
    EXPECT_FALSE(log.find(L"onHttpErro ").empty()) << c.url;
  }
}

TEST_F(WinInetTest, MemoryDownloadKeepsOnlySuccessfulAnswers) {
  CHttpDownloader downloader;
  std::string body;
  ASSERT_TRUE(downloader.download2mem(body, standinUrl(L"/gen/70000")));
  EXPECT_TRUE(body == generatedBytes(0, 70000));
  std::string page;
  EXPECT_FALSE(downloader.download2mem(page, standinUrl(L"/gen/10?fault=status&code=404")));
  EXPECT_TRUE(page.empty());
  std::string redirected;
  ASSERT_TRUE(downloader.download2mem(redirected, standinUrl(L"/x?fault=redirect&to=/health")));
  EXPECT_EQ("ok", redirected);
}

// A document answer is capped at 4 MiB and at the documents' deadline, as curl's is: a
// server that trickles its bytes or stalls ends the request within the deadline and one
// step's time-out.
TEST_F(WinInetTest, MemoryDownloadIsCapped) {
  CHttpDownloader downloader;
  std::string body;
  ASSERT_TRUE(downloader.download2mem(body, standinUrl(L"/gen/" + std::to_wstring(4 * 1024 * 1024))));
  EXPECT_EQ(4u * 1024 * 1024, body.size());
  struct Case {
    std::wstring url;
    const wchar_t* logged;
  } cases[] = {
      {L"/gen/" + std::to_wstring(5 * 1024 * 1024), L"memory answer over"},
      {L"/gen/100000?fault=trickle&bytes=200&delay_ms=50", L"request past its deadline"},
      {L"/gen/1000?fault=stall&delay_ms=30000", L"request read failed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utility::toUtf8(c.url));
    LogCapture log;
    body.clear();
    DWORD started = GetTickCount();
    EXPECT_FALSE(downloader.download2mem(body, standinUrl(c.url)));
    EXPECT_LT(GetTickCount() - started, utility::kDocumentDeadlineMs + utility::CHttpClient::kStepTimeoutMs + 1500);
    EXPECT_LE(body.size(), 4u * 1024 * 1024);
    EXPECT_FALSE(log.find(c.logged).empty());
  }
}

TEST_F(WinInetTest, CancelFromAnotherThreadStopsASlowTransferAndKeepsItsBytes) {
  std::wstring path = dir_ + L"slow.bin";
  CHttpDownloader downloader;
  ProgressRecorder progress;
  std::atomic<bool> finished{false};
  bool result = true;
  std::thread transfer([&] {
    result = downloader.download2file(standinUrl(L"/gen/4194304?fault=trickle&bytes=8192&delay_ms=20"), path,
                                      &progress, false);
    finished = true;
  });
  DWORD started = GetTickCount();
  while (progress.lastReceived() < 64 * 1024 && GetTickCount() - started < 10000) Sleep(10);
  DWORD cancelled = GetTickCount();
  downloader.cancel();
  while (!finished && GetTickCount() - cancelled < 10000) Sleep(10);
  DWORD stopDelay = GetTickCount() - cancelled;
  transfer.join();
  EXPECT_FALSE(result);
  EXPECT_LT(stopDelay, 2000u);
  std::string partial = readFile(path);
  EXPECT_GE(partial.size(), 64u * 1024);
  EXPECT_LT(partial.size(), 4194304u);
  EXPECT_TRUE(partial == generatedBytes(0, partial.size()));

  // The cancel is spent: the next transfer continues from the bytes kept.
  ASSERT_TRUE(downloader.download2file(standinUrl(L"/gen/4194304"), path, nullptr, true));
  EXPECT_TRUE(readFile(path) == generatedBytes(0, 4194304));
}

TEST_F(WinInetTest, CancelBeforeTheConnectionOpensIsKeptUntilTheNextTransferStarts) {
  std::wstring path = dir_ + L"setup.exe";
  CHttpDownloader downloader;
  downloader.cancel();
  int first = 0, second = 0;
  EXPECT_FALSE(downloader.download2file(standinUrl(L"/gen/100000"), path, nullptr, first, second, false));
  EXPECT_EQ(CHttpDownloader::kNoFirstCode, first);
  EXPECT_EQ(0, second);
  std::string body;
  EXPECT_FALSE(downloader.download2mem(body, standinUrl(L"/gen/1000")));
  EXPECT_TRUE(body.empty());
  EXPECT_FALSE(utility::ufile::exists(path));
  EXPECT_TRUE(standinRequests().empty());

  // The first form begins a new transfer: the cancel is spent.
  ASSERT_TRUE(downloader.download2file(standinUrl(L"/gen/100000"), path, nullptr, false));
  EXPECT_TRUE(readFile(path) == generatedBytes(0, 100000));
}

TEST_F(WinInetTest, CancelDuringAStalledBodyEndsTheTransferWithoutItsBytes) {
  std::wstring path = dir_ + L"stalled.bin";
  CHttpDownloader downloader;
  std::atomic<bool> finished{false};
  bool result = true;
  std::thread transfer([&] {
    result = downloader.download2file(standinUrl(L"/gen/100000?fault=stall&delay_ms=3000"), path, nullptr, false);
    finished = true;
  });
  // The request has reached the server, whose answer then stalls after its headers. Windows
  // ends the pending read when the handle is closed; Wine lets it wait for the next bytes,
  // which the sink must then refuse.
  DWORD started = GetTickCount();
  while (standinRequests().empty() && GetTickCount() - started < 10000) Sleep(20);
  Sleep(200);
  DWORD cancelled = GetTickCount();
  downloader.cancel();
  while (!finished && GetTickCount() - cancelled < 60000) Sleep(10);
  bool ended = finished;
  transfer.join();
  EXPECT_TRUE(ended) << "the transfer did not end within a minute of the cancel";
  EXPECT_FALSE(result);
  EXPECT_EQ(0u, readFile(path).size());
}

TEST_F(WinInetTest, SelfSignedCertificateIsRefused) {
  int port = standinTlsPort();
  if (port == 0) GTEST_SKIP() << "the stand-in has no https (no openssl command)";
  std::wstring https = L"https://127.0.0.1:" + std::to_wstring(port);
  CHttpDownloader downloader;
  std::string body;
  EXPECT_FALSE(downloader.download2mem(body, https + L"/health"));
  int first = 0, second = 0;
  EXPECT_FALSE(downloader.download2file(https + L"/gen/1000", dir_ + L"tls.bin", nullptr, first, second, false));
  EXPECT_EQ(6, first);
  EXPECT_NE(0, second);
  EXPECT_TRUE(standinRequests().empty());
}

}  // namespace
