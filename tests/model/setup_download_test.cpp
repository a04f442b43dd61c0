// The player setup's download chain against the stand-in: which route serves, what lands in
// the file (byte for byte), the size test, the failure size, resume, and progress pacing.
#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "model/download_rules.h"
#include "model/setup_download.h"
#include "tests/support/log_capture.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "utility/setup_file_check.h"
#include "utility/ufile.h"
#include "utility/vel_curl_downloader.h"

using namespace testing_support;

namespace {

constexpr int64_t kSetupBytes = 12 * 1024 * 1024;  // above the 10 MiB the chain asks for

std::wstring genUrl(int64_t size) { return standinUrl(L"/gen/" + std::to_wstring(size)); }
std::string genPath(int64_t size) { return "/gen/" + std::to_string(size); }

bool arm(const std::string& path, const std::string& fault, int count) {
  int status = 0;
  std::wstring query = L"/_control/arm?path=" + std::wstring(path.begin(), path.end()) + L"&" +
                       std::wstring(fault.begin(), fault.end()) + L"&count=" + std::to_wstring(count);
  return standinGet(query, &status, nullptr) && status == 200;
}

std::vector<RecordedRequest> requestsTo(const std::string& path) {
  std::vector<RecordedRequest> found;
  for (const RecordedRequest& r : standinRequests()) {
    if (r.path == path) found.push_back(r);
  }
  return found;
}

std::string rangeOf(const RecordedRequest& request) {
  const std::string* range = request.header("Range");
  return range ? *range : std::string();
}

class SetupDownloadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { VelCurlDownloader::globalInit(); }
  static void TearDownTestSuite() { VelCurlDownloader::globalCleanup(5000); }
  void SetUp() override {
    ASSERT_TRUE(resetStandin());
    dir_ = makeTempDir(L"setupdl");
    path_ = dir_ + L"VelPlayer.exe";
  }
  void TearDown() override { removeTree(dir_); }

  SetupDownloadResult run(const std::wstring& mainUrl, const std::wstring& spareUrl, bool resume) {
    SetupDownload download(nullptr, nullptr);
    started_.clear();
    download.setRouteStarted([this](RouteFacts facts) { started_.push_back(facts); });
    return download.run(path_, mainUrl, spareUrl, resume);
  }

  std::wstring dir_, path_;
  std::vector<RouteFacts> started_;  // by the last run, in order
};

TEST_F(SetupDownloadTest, EachRouteServesWhenThoseBeforeItFail) {
  struct Case {
    const char* name;
    int mainFailures;   // failures armed on the main address, in request order
    int spareFailures;  // and on the spare address
  };
  const Case cases[] = {
      {"WinInet main", 0, 0},
      {"WinInet spare", 1, 0},
      {"curl main", 1, 1},
      {"curl spare", 2, 1},
  };
  // The list's order: what each route says of itself when it starts (spare, wininet).
  const RouteFacts order[] = {{false, true}, {true, true}, {false, false}, {true, false}};
  // Two addresses of the same size, so either may serve.
  const std::string mainPath = genPath(kSetupBytes), sparePath = "/gen/" + std::to_string(kSetupBytes) + "/spare";
  for (size_t serving = 0; serving < 4; ++serving) {
    const Case& c = cases[serving];
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(resetStandin());
    if (c.mainFailures) {
      ASSERT_TRUE(arm(mainPath, "fault=status&code=404", c.mainFailures));
    }
    if (c.spareFailures) {
      ASSERT_TRUE(arm(sparePath, "fault=status&code=503", c.spareFailures));
    }
    removeTree(dir_);
    ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    SetupDownloadResult result = run(genUrl(kSetupBytes), standinUrl(std::wstring(sparePath.begin(), sparePath.end())), false);
    ASSERT_TRUE(result.success);
    EXPECT_EQ(generatedBytes(0, kSetupBytes), readFile(path_));
    EXPECT_FALSE(utility::ufile::exists(path_ + L".tmp"));
    ASSERT_EQ(serving + 1, started_.size()) << "every route before the serving one started, none after";
    for (size_t i = 0; i < started_.size(); ++i) {
      EXPECT_EQ(order[i].spare, started_[i].spare) << i;
      EXPECT_EQ(order[i].wininet, started_[i].wininet) << i;
    }
    EXPECT_EQ(order[serving].spare, result.facts.spare);
    EXPECT_EQ(order[serving].wininet, result.facts.wininet);
    size_t requests = requestsTo(mainPath).size() + requestsTo(sparePath).size();
    EXPECT_EQ(static_cast<size_t>(c.mainFailures + c.spareFailures + 1), requests);
  }
}

TEST_F(SetupDownloadTest, ASmallAnswerIsNoSetupTheMainOneIsDeletedAndTheSpareTried) {
  // Both WinInet routes fail; curl's main address answers 2 MiB (an error page as far as the
  // chain can tell), its spare the real setup.
  const int64_t small = 2 * 1024 * 1024;
  ASSERT_TRUE(arm(genPath(small), "fault=status&code=404", 1));
  ASSERT_TRUE(arm(genPath(kSetupBytes), "fault=status&code=404", 1));
  LogCapture log;
  SetupDownloadResult result = run(genUrl(small), genUrl(kSetupBytes), false);
  ASSERT_TRUE(result.success);
  EXPECT_EQ(generatedBytes(0, kSetupBytes), readFile(path_));
  EXPECT_FALSE(log.find(L"too small package").empty());
  EXPECT_EQ(2u, requestsTo(genPath(small)).size());
  EXPECT_TRUE(result.facts.spare);
  EXPECT_FALSE(result.facts.wininet);

  // Both curl answers small: the spare's file stays, and nothing is worth resuming, also
  // at exactly 10 MiB (a resume of that finished file could never make it count).
  for (int64_t size : {small, download_rules::kSmallestSetupBytes}) {
    SCOPED_TRACE(size);
    ASSERT_TRUE(resetStandin());
    ASSERT_TRUE(arm(genPath(size), "fault=status&code=404", 2));
    result = run(genUrl(size), genUrl(size), false);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(0, result.partialSize);
    EXPECT_EQ(static_cast<size_t>(size), readFile(path_).size());
  }
}

// A file that fails the check is deleted and its route counts as failed: the next route
// runs, and the file that passes is handed over held.
TEST_F(SetupDownloadTest, AFileFailingTheCheckIsDeletedAndTheNextRouteTried) {
  struct Case {
    int passingDelivery;  // which delivery passes (1: the first; 0: none)
    size_t requests;      // to the package address
  } cases[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {0, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.passingDelivery);
    ASSERT_TRUE(resetStandin());
    utility::ufile::removeFile(path_);
    int deliveries = 0;
    SetupDownload download(nullptr, nullptr);
    download.setChecker([&](const std::wstring& file) {
      SetupCheck check;
      EXPECT_EQ(path_, file);
      check.ok = ++deliveries == c.passingDelivery;
      check.reason = L"test verdict";
      check.code = 0x80096010;
      if (check.ok) check.held = std::make_shared<utility::UniqueHandle>(utility::setup_file_check::openHeld(file));
      return check;
    });
    LogCapture log;
    SetupDownloadResult result = download.run(path_, genUrl(kSetupBytes), genUrl(kSetupBytes), false);
    EXPECT_EQ(c.passingDelivery != 0, result.success);
    EXPECT_EQ(c.requests, requestsTo(genPath(kSetupBytes)).size());
    if (c.passingDelivery == 0) {
      EXPECT_EQ(4, deliveries) << "each of the four routes delivers its own file";
      EXPECT_FALSE(utility::ufile::exists(path_)) << "a rejected file stays";
      EXPECT_EQ(0, result.partialSize);
      EXPECT_FALSE(result.heldSetup);
    } else {
      ASSERT_TRUE(result.heldSetup && *result.heldSetup);
      EXPECT_FALSE(DeleteFileW(path_.c_str())) << "the checked file is not held";
    }
    if (c.passingDelivery != 1) {
      EXPECT_FALSE(log.find(L"setup check failed: test verdict, error:-2146869232").empty());
    }
    // Each rejected route's attempt line, in the list's order and no other.
    const wchar_t* const names[] = {L"wininet main", L"wininet spare", L"curl main", L"curl spare"};
    const int failed = c.passingDelivery == 0 ? 4 : c.passingDelivery - 1;
    for (int i = 0; i < 4; ++i) {
      const std::wstring line = L"setup route " + std::to_wstring(i + 1) + L" of 4 failed (" + names[i] + L")";
      EXPECT_EQ(i < failed, !log.find(line).empty()) << testing::PrintToString(line);
    }
  }
}

TEST_F(SetupDownloadTest, FailureReportsThePartialSizeAndTheWinInetCodes) {
  struct Case {
    int64_t partial;
    int64_t reported;
  };
  const Case cases[] = {{50LL * 1024 * 1024, 52428800}, {5LL * 1024 * 1024, 0}, {10485761, 10485761}, {10485760, 0}, {10485759, 0}};
  LogCapture log;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.partial);
    ASSERT_TRUE(resetStandin());
    // Every route refused; the partial temporary file stays because this is a resume.
    ASSERT_TRUE(arm(genPath(kSetupBytes), "fault=status&code=404", 4));
    ASSERT_TRUE(writeFile(path_ + L".tmp", std::string(static_cast<size_t>(c.partial), 'x')));
    SetupDownloadResult result = run(genUrl(kSetupBytes), genUrl(kSetupBytes), true);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(c.reported, result.partialSize);
    EXPECT_EQ(-1, result.wininetFirstCode);
    EXPECT_EQ(404, result.wininetSecondCode);
  }
  EXPECT_FALSE(log.find(L"setup route 2 of 4 failed (wininet spare), error:-1 404").empty());
  // Nothing armed to say why: unreachable addresses give the WinInet kinds instead.
  SetupDownloadResult result = run(L"http://127.0.0.1:1/a", L"http://127.0.0.1:1/b", false);
  EXPECT_FALSE(result.success);
  EXPECT_EQ(0, result.partialSize);
  EXPECT_NE(9999, result.wininetFirstCode);
}

TEST_F(SetupDownloadTest, ResumeContinuesTheTemporaryFileOnWinInetAndTheSetupFileOnCurl) {
  const int64_t have = 3 * 1024 * 1024 + 17;
  // WinInet: the temporary file.
  ASSERT_TRUE(writeFile(path_ + L".tmp", generatedBytes(0, have)));
  SetupDownloadResult result = run(genUrl(kSetupBytes), genUrl(kSetupBytes), true);
  ASSERT_TRUE(result.success);
  EXPECT_EQ(generatedBytes(0, kSetupBytes), readFile(path_));
  std::vector<RecordedRequest> seen = requestsTo(genPath(kSetupBytes));
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("bytes=" + std::to_string(have) + "-", rangeOf(seen[0]));

  // curl: the setup file itself, after both WinInet routes failed.
  ASSERT_TRUE(resetStandin());
  ASSERT_TRUE(writeFile(path_, generatedBytes(0, have)));
  ASSERT_TRUE(arm(genPath(kSetupBytes), "fault=status&code=404", 2));
  result = run(genUrl(kSetupBytes), genUrl(kSetupBytes), true);
  ASSERT_TRUE(result.success);
  EXPECT_EQ(generatedBytes(0, kSetupBytes), readFile(path_));
  seen = requestsTo(genPath(kSetupBytes));
  ASSERT_EQ(3u, seen.size());
  EXPECT_EQ("bytes=" + std::to_string(have) + "-", rangeOf(seen[2]));
}

TEST_F(SetupDownloadTest, AFinishedFileThatCannotBeMovedIntoPlaceSendsTheChainOnToCurl) {
  // The setup file's name is taken by a folder: the WinInet route's move fails, and the
  // download is not reported done while nothing is where the setup run looks.
  ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
  LogCapture log;
  SetupDownloadResult result = run(genUrl(kSetupBytes), genUrl(kSetupBytes), false);
  EXPECT_FALSE(result.success);
  EXPECT_FALSE(log.find(L"move downloaded file failed").empty());
  EXPECT_FALSE(log.find(L"download by velcurl").empty());
}

TEST_F(SetupDownloadTest, ACancelEndsTheChainAndNoLaterRouteStarts) {
  // The answer stalls after its headers; cancel from another thread.
  ASSERT_TRUE(arm(genPath(kSetupBytes), "fault=trickle&bytes=4096&delay_ms=500", 4));
  SetupDownload download(nullptr, nullptr);
  std::thread canceller([&] {
    Sleep(1500);
    download.cancel();
  });
  DWORD started = GetTickCount();
  SetupDownloadResult result = download.run(path_, genUrl(kSetupBytes), genUrl(kSetupBytes), false);
  canceller.join();
  EXPECT_FALSE(result.success);
  EXPECT_LT(GetTickCount() - started, 60000u);
  EXPECT_LE(requestsTo(genPath(kSetupBytes)).size(), 1u) << "a route started after the cancel";
}

// Progress reaches its callables at most once a second on either stack.
TEST_F(SetupDownloadTest, ProgressIsPacedToOneCallASecondOnEachStack) {
  struct Call {
    DWORD tick;
    int64_t received, total;
  };
  std::mutex lock;
  std::vector<Call> bytes;
  std::vector<DWORD> percents;
  SetupDownload download(
      [&](int64_t received, int64_t total) {
        std::lock_guard<std::mutex> guard(lock);
        bytes.push_back({GetTickCount(), received, total});
      },
      [&](int) {
        std::lock_guard<std::mutex> guard(lock);
        percents.push_back(GetTickCount());
      });
  const int64_t size = 1536 * 1024;
  // WinInet main trickles for about four seconds and succeeds.
  ASSERT_TRUE(arm(genPath(size), "fault=trickle&bytes=32768&delay_ms=80", 1));
  ASSERT_TRUE(download.run(path_, genUrl(size), genUrl(size), false).success);
  ASSERT_GE(bytes.size(), 2u);
  for (size_t i = 1; i < bytes.size(); ++i) EXPECT_GE(bytes[i].tick - bytes[i - 1].tick, 900u);
  EXPECT_EQ(size, bytes.back().total);

  // Then curl: both WinInet routes refused, the main address trickles (and is then too
  // small to count, which does not matter here).
  ASSERT_TRUE(resetStandin());
  ASSERT_TRUE(DeleteFileW(path_.c_str()));
  ASSERT_TRUE(arm(genPath(size), "fault=status&code=404", 2));
  ASSERT_TRUE(arm(genPath(size), "fault=trickle&bytes=32768&delay_ms=80", 1));
  ASSERT_TRUE(arm(genPath(size), "fault=status&code=404", 1));
  download.run(path_, genUrl(size), genUrl(size), false);
  ASSERT_GE(percents.size(), 2u);
  // The tick is read after the pacing decided; on a loaded machine the thread may be held
  // between the two, so the spacing seen here may fall short of the second by that much.
  for (size_t i = 1; i < percents.size(); ++i) EXPECT_GE(percents[i] - percents[i - 1], 900u);
}

TEST(DownloadRules, SizesTotalsAndPercentages) {
  using namespace download_rules;
  EXPECT_FALSE(isSetupSize(10485760));
  EXPECT_TRUE(isSetupSize(10485761));
  EXPECT_EQ(52428800, partialSizeToReport(52428800, 0));
  EXPECT_EQ(0, partialSizeToReport(5242880, 0));
  EXPECT_EQ(20000000, partialSizeToReport(0, 20000000));
  EXPECT_EQ(0, partialSizeToReport(0, 10485760));
  EXPECT_EQ(300000000, displayTotal(1000, -1));
  EXPECT_EQ(1073741824LL + 1024, displayTotal(1073741824LL, -1));
  EXPECT_EQ(300001024, displayTotal(300000000, -1));
  EXPECT_EQ(5000, displayTotal(1000, 5000));
  EXPECT_EQ(33, percentOf(1, 3));
  EXPECT_EQ(99, percentOf(999, 1000));
  EXPECT_EQ(0, percentOf(5, 0));
  EXPECT_TRUE(progressDue(1000, 0));
  EXPECT_FALSE(progressDue(1999, 1000));
  EXPECT_TRUE(progressDue(500, 0xFFFFFC00u)) << "across the tick counter's wrap";
}

}  // namespace
