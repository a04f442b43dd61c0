// The model's download workflow against the stand-in service: the address chain's four
// attempts, the documents fetched after it and applied on the window thread, the wait for
// the addresses when Install comes first, the default addresses, and the events at the
// collection and analytics endpoints.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/main_thread_dispatcher.h"
#include "identity/config_imp.h"
#include "model/address_chain.h"
#include "model/downloader_model.h"
#include "telemetry/vel_reporter.h"
#include "tests/support/log_capture.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "utility/encoding.h"
#include "utility/ufile.h"
#include "utility/vel_curl_downloader.h"

using namespace testing_support;

namespace {

constexpr int64_t kSetupBytes = 12 * 1024 * 1024;
const char kAddressPath[] = "/player_files/en/morvane";
const char kAddressDocument[] =
    R"({"mnq9":{"ver":"9.1.2","url":"URL/gen/12582912","url_spare":"URL/gen/12582912/spare","md5":"abc"},)"
    R"("mnq4":{"ver":"4.0.1","url":"URL/four","md5":"def"}})";

std::string origin() { return "http://127.0.0.1:" + std::to_string(standinPort()); }

std::string withOrigin(std::string text) {
  for (size_t at = text.find("URL"); at != std::string::npos; at = text.find("URL", at)) text.replace(at, 3, origin());
  return text;
}

bool arm(const std::string& path, const std::string& fault, int count) {
  int status = 0;
  std::string query = "/_control/arm?path=" + path + "&" + fault + "&count=" + std::to_string(count);
  return standinGet(std::wstring(query.begin(), query.end()), &status, nullptr) && status == 200;
}

// The requests for documents and files, without the telemetry that may come in between.
std::vector<RecordedRequest> documentRequests() {
  std::vector<RecordedRequest> found;
  for (const RecordedRequest& r : standinRequests()) {
    if (r.path != "/mp/collect" && r.path != "/collection/biz/upload") found.push_back(r);
  }
  return found;
}

std::vector<std::string> requestedPaths() {
  std::vector<std::string> paths;
  for (const RecordedRequest& r : documentRequests()) paths.push_back(r.path);
  return paths;
}

size_t countOf(const std::vector<std::string>& paths, const std::string& path) {
  size_t n = 0;
  for (const std::string& p : paths) n += p == path ? 1 : 0;
  return n;
}

// The events of every batch the collection endpoint took, in order, with their bodies.
std::string allCollected() {
  std::string all;
  for (const CollectedBatch& batch : standinCollected()) all += batch.body;
  return all;
}

class WorkflowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    VelCurlDownloader::globalInit();
    MainThreadDispatcher::createInstance();
    VelReporter::instance().start(L"12345", L"device", L"en");
  }
  static void TearDownTestSuite() { VelCurlDownloader::globalCleanup(5000); }
  void SetUp() override {
    ASSERT_TRUE(resetStandin());
    dir_ = makeTempDir(L"workflow");
  }
  void TearDown() override {
    DownloaderModel::destroyInstance();
    ConfigImp::instance().resetForTest();
    removeTree(dir_);
  }
  // A model named like a campaign copy, installing into the test's folder.
  DownloaderModel* model(const std::wstring& openId) {
    ConfigImp::instance().resetForTest();
    DownloaderModel::destroyInstance();
    DownloaderModel* m = DownloaderModel::instance();
    m->initFrom(L"C:\\downloads\\VelPlayer9_ens_" + openId + L"_x.exe", nullptr);
    m->setInstallPath(dir_ + L"player\\");
    return m;
  }
  // Waits for the reporter's next batch to carry key.
  // The event may be queued just after the window heard of the outcome, so the reporter is
  // woken again every half second until the batch is there.
  static bool collectedHas(const std::string& key) {
    DWORD lastWake = 0;
    return pumpUntil(
        [&] {
          if (GetTickCount() - lastWake >= 500) {
            VelReporter::instance().wakeUp();
            lastWake = GetTickCount();
          }
          return allCollected().find("\"eventKey\": \"" + key + "\"") != std::string::npos;
        },
        15000);
  }
  std::wstring dir_;
};

TEST_F(WorkflowTest, TheAddressDocumentsFourAttemptsEachServeWhenThoseBeforeFail) {
  struct Case {
    const char* name;
    std::vector<std::string> faults;  // armed on the address path, in request order
    size_t attempts;
    bool fetched;
    bool isDocument;  // the text is the document, not an error page
  };
  const Case cases[] = {
      {"WinInet CDN", {}, 1, true, true},
      {"WinInet second host after a refusal", {"fault=drop"}, 2, true, true},
      {"curl CDN after two 404s", {"fault=status&code=404", "fault=status&code=404"}, 3, true, true},
      {"an HTML page fails curl's CDN attempt, the same page is taken from the second host",
       {"fault=status&code=404", "fault=status&code=404", "fault=status&code=503", "fault=status&code=503"},
       4,
       true,
       false},
      {"all four fail",
       {"fault=status&code=404", "fault=status&code=404", "fault=drop", "fault=drop"},
       4,
       false,
       false},
  };
  std::string document = withOrigin(kAddressDocument);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(resetStandin());
    ASSERT_TRUE(standinServe(kAddressPath, document));
    for (const std::string& fault : c.faults) ASSERT_TRUE(arm(kAddressPath, fault, 1));
    utility::CHttpDownloader wininet;
    std::wstring url = standinUrl(L"/player_files/en/morvane");
    std::string text;
    bool fetched = fetchPlayerAddressText(wininet, playerAddressRoutes(url, url), text, nullptr);
    EXPECT_EQ(c.fetched, fetched);
    EXPECT_EQ(c.attempts, countOf(requestedPaths(), kAddressPath));
    EXPECT_EQ(c.isDocument, text == document);
    if (c.fetched && !c.isDocument) {
      EXPECT_FALSE(isJsonObjectText(text)) << text;
    }
  }
}

TEST_F(WorkflowTest, AfterTheAddressesTheCampaignChannelAndCustomerDocumentsAreReadInOrder) {
  ASSERT_TRUE(standinServe(kAddressPath, withOrigin(kAddressDocument)));
  ASSERT_TRUE(standinServe("/player_files/openidconfig/12345.data",
                           R"({"result":[{"app_download_url":"http://x/a.apk","app_package_name":"com.a","gameid":"7"}],)"
                           R"("title":"Campaign","ad":0})"));
  ASSERT_TRUE(standinServe("/check/machine/channel", R"({"code":200,"data":31})"));
  ASSERT_TRUE(standinServe("/player_files/en/morvaneex",
                           R"({"en":{"installError":"Try again","customerLink":"https://help.example/"}})"));
  DownloaderModel* m = model(L"12345");
  m->startAddressWorker();
  ASSERT_TRUE(pumpUntil([&] { return !m->customerLink().empty(); }, 20000));
  EXPECT_TRUE(m->addressReady());
  EXPECT_EQ(L"9.1.2", m->playerAddresses().version);
  EXPECT_EQ(utility::fromUtf8(origin()) + L"/gen/12582912", m->playerAddresses().url);
  EXPECT_EQ(L"4.0.1", m->player4Addresses().version);
  EXPECT_TRUE(m->player4Addresses().spareUrl.empty());
  ASSERT_EQ(1u, m->games().size());
  EXPECT_EQ(L"com.a", m->games()[0].packageName);
  EXPECT_EQ(L"Campaign", m->branding().title);
  EXPECT_FALSE(m->branding().ad);
  EXPECT_EQ(L"31", m->machineChannelId());
  EXPECT_EQ(L"Try again", m->installErrorText());
  EXPECT_EQ((std::vector<std::string>{kAddressPath, "/player_files/openidconfig/12345.data", "/check/machine/channel",
                                      "/player_files/en/morvaneex"}),
            requestedPaths());
  // The channel request carries the machine id.
  std::vector<RecordedRequest> requests = documentRequests();
  ASSERT_EQ(4u, requests.size());
  EXPECT_EQ(0u, requests[2].query.find("m=")) << requests[2].query;
  EXPECT_GT(requests[2].query.size(), 2u);

  // The 32-bit switch adopts the 4.0 set; a set without a spare address uses its main one
  // twice rather than an empty address.
  m->switchToPlayer4();
  EXPECT_EQ(L"4.0.1", m->playerAddresses().version);
  EXPECT_EQ(m->player4Addresses().url, m->playerAddresses().url);
  EXPECT_EQ(m->player4Addresses().url, m->playerAddresses().spareUrl);
}

TEST_F(WorkflowTest, AShortOpenIdSkipsTheCampaignDocument) {
  ASSERT_TRUE(standinServe(kAddressPath, withOrigin(kAddressDocument)));
  ASSERT_TRUE(standinServe("/check/machine/channel", R"({"code":"200","data":31})"));
  DownloaderModel* m = model(L"1234");
  LogCapture log;
  m->startAddressWorker();
  ASSERT_TRUE(pumpUntil([&] { return !log.find(L"start get curstomer info").empty(); }, 20000));
  pumpFor(300);
  std::vector<std::string> paths = requestedPaths();
  EXPECT_EQ(0u, countOf(paths, "/player_files/openidconfig/1234.data"));
  EXPECT_EQ(1u, countOf(paths, "/check/machine/channel"));
  EXPECT_EQ(2u, countOf(paths, "/player_files/en/morvaneex")) << "not served: WinInet, then curl";
  EXPECT_TRUE(m->games().empty());
  EXPECT_FALSE(log.find(L"code not right").empty()) << "a code given as text";
  EXPECT_TRUE(m->machineChannelId().empty());
}

TEST_F(WorkflowTest, NoAddressAnywhereFallsBackToTheDefaultPackageAndTheDownloadSucceeds) {
  ASSERT_TRUE(arm(kAddressPath, "fault=drop", 4));
  ASSERT_TRUE(standinServeGenerated("/download/package/VelPlayer9.0.exe", kSetupBytes));
  DownloaderModel* m = model(L"12345");
  bool succeeded = false;
  int percentCalls = 0;
  ModelCallbacks callbacks;
  callbacks.downloadSucceeded = [&] { succeeded = true; };
  callbacks.downloadProgress = [&](int, int, int) { ++percentCalls; };
  m->setCallbacks(callbacks);
  m->startAddressWorker();
  ASSERT_TRUE(pumpUntil([&] { return m->addressReady(); }, 30000));
  EXPECT_TRUE(m->playerAddresses().url.empty());
  m->startDownloadPlayer(false);
  EXPECT_EQ(standinUrl(L"/download/package/VelPlayer9.0.exe"), m->playerAddresses().url);
  ASSERT_TRUE(pumpUntil([&] { return succeeded; }, 60000));
  EXPECT_EQ(generatedBytes(0, kSetupBytes), readFile(m->setupFilePath()));
  EXPECT_EQ(L"VelPlayer.exe", utility::ufile::fileName(m->setupFilePath(), true));

  // The analytics event names the open id; the reporter's events arrive in order.
  bool defaultUrlSent = false;
  for (const RecordedRequest& r : standinRequests()) {
    if (r.path == "/mp/collect" && r.body.find("\"name\":\"download_defaultUrl\"") != std::string::npos) {
      defaultUrlSent = r.body.find("\"event_label\":\"12345\"") != std::string::npos;
    }
  }
  EXPECT_TRUE(defaultUrlSent);
  ASSERT_TRUE(collectedHas("download_duration"));
  std::string events = allCollected();
  size_t fail = events.find("\"download_address_fail\"");
  size_t success = events.find("\"download_success\"");
  ASSERT_NE(std::string::npos, fail);
  EXPECT_EQ(std::string::npos, events.find("\"download_address_fail\"", fail + 1)) << "reported once";
  ASSERT_NE(std::string::npos, success);
  EXPECT_NE(std::string::npos, events.find("\"ext_field\": \"aws\"", success));
  EXPECT_NE(std::string::npos, events.find("\"ext_field\": \"aws_ie\"", success));
}

TEST_F(WorkflowTest, InstallBeforeTheAddressesWaitsForThemAtMostTwoTicks) {
  // The tick counter is the process's: the first wait ever needs two ticks without the
  // addresses, every later wait ends at its first tick. Both are seen here, in that order.
  ASSERT_TRUE(standinServeGenerated("/download/package/VelPlayer9.0.exe", kSetupBytes));
  DownloaderModel* m = model(L"12345");
  bool done = false;
  ModelCallbacks callbacks;
  callbacks.downloadSucceeded = [&] { done = true; };
  m->setCallbacks(callbacks);
  LogCapture log;
  DWORD pressed = GetTickCount();
  m->startDownloadPlayer(false);  // no address worker: the addresses never come
  EXPECT_FALSE(log.find(L"start downloader. bug getting player url").empty());
  ASSERT_TRUE(pumpUntil([&] { return !log.find(L"download player").empty(); }, 10000));
  DWORD waited = GetTickCount() - pressed;
  EXPECT_GE(waited, 1900u) << "started before the second tick";
  EXPECT_LT(waited, 4000u);
  ASSERT_TRUE(pumpUntil([&] { return done; }, 60000));

  // Addresses that arrive during the wait are used at the next tick.
  ASSERT_TRUE(resetStandin());
  m = model(L"12345");
  done = false;
  m->setCallbacks(callbacks);
  m->startDownloadPlayer(false);
  m->applyPlayerAddressText(withOrigin(kAddressDocument));
  ASSERT_TRUE(pumpUntil([&] { return done; }, 60000));
  EXPECT_EQ(1u, countOf(requestedPaths(), "/gen/12582912"));
  EXPECT_EQ(0u, countOf(requestedPaths(), "/download/package/VelPlayer9.0.exe"));
}

TEST_F(WorkflowTest, AFailedDownloadReportsThePartialSizeAndTheCodes) {
  // Every route's answer is cut short: nothing worth resuming, and WinInet says no more
  // than that it failed.
  ASSERT_TRUE(arm("/gen/12582912", "fault=close_after&bytes=1000", 2));
  ASSERT_TRUE(arm("/gen/12582912/spare", "fault=close_after&bytes=1000", 2));
  DownloaderModel* m = model(L"12345");
  m->applyPlayerAddressText(withOrigin(kAddressDocument));
  int64_t failedSize = -1;
  ModelCallbacks callbacks;
  callbacks.downloadFailed = [&](int64_t size) { failedSize = size; };
  m->setCallbacks(callbacks);
  m->startDownloadPlayer(false);
  ASSERT_TRUE(pumpUntil([&] { return failedSize >= 0; }, 60000));
  EXPECT_EQ(0, failedSize);
  ASSERT_TRUE(collectedHas("download_fail"));
  std::string events = allCollected();
  EXPECT_NE(std::string::npos, events.find("\"failure_reason\": \"9999_0\"", events.find("\"download_fail\"")));
}

TEST_F(WorkflowTest, TeardownWhileEveryRequestHangsEndsInTimeAndWithdrawsTheModelsTasks) {
  ASSERT_TRUE(arm(kAddressPath, "fault=hold&delay_ms=20000", 4));
  DownloaderModel* m = model(L"12345");
  m->startAddressWorker();
  ASSERT_TRUE(pumpUntil([] { return !documentRequests().empty(); }, 10000));
  DWORD started = GetTickCount();
  m->teardown();
  EXPECT_LT(GetTickCount() - started, 2 * DownloaderModel::kWorkerStopMilliseconds + 1500);
  DownloaderModel::destroyInstance();
  pumpFor(500);  // nothing queued for the destroyed model may run now
}

}  // namespace
