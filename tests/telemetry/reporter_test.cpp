// The event reporter against the stand-in collection service, for real.
#include <gtest/gtest.h>

#include <rapidjson/document.h>

#include <ctime>
#include <string>
#include <vector>

#include "core/worker_thread.h"
#include "identity/config_imp.h"
#include "utility/vel_curl_downloader.h"
#include "telemetry/event_catalogue.h"
#include "telemetry/vel_reporter.h"
#include "tests/support/log_capture.h"
#include "tests/support/silent_server.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "vel_build_config.h"

using namespace testing_support;

namespace {

using Collected = CollectedBatch;

std::vector<Collected> collected() { return standinCollected(); }

bool waitForCollected(size_t count) {
  return pumpUntil([&] { return collected().size() >= count; }, 15000);
}

std::vector<std::string> memberNames(const rapidjson::Value& object) {
  std::vector<std::string> names;
  for (auto member = object.MemberBegin(); member != object.MemberEnd(); ++member) names.push_back(member->name.GetString());
  return names;
}

class ReporterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { VelCurlDownloader::globalInit(); }
  static void TearDownTestSuite() { VelCurlDownloader::globalCleanup(5000); }
  void SetUp() override {
    ConfigImp::instance().resetForTest();
    ASSERT_TRUE(resetStandin());
  }
  void TearDown() override { ConfigImp::instance().resetForTest(); }
  void startReporter() { reporter_.start(L"openid7", L"device\x00e9", L"en"); }
  // Starts the reporter, asks for a pass, waits until the stand-in has one batch, stops.
  bool deliverOneBatch() {
    startReporter();
    reporter_.wakeUp();
    bool delivered = waitForCollected(1);
    reporter_.stop();
    return delivered;
  }
  VelReporter reporter_;
};

TEST_F(ReporterTest, BatchShapeMemberOrderAndEventsQueuedBeforeStart) {
  // Start right after a second begins, so both events fall in the same second.
  time_t second = std::time(nullptr);
  while (std::time(nullptr) == second) Sleep(5);
  reporter_.addEvent(L"start_downloader");
  reporter_.addEvent(L"download_fail", [](rapidjson::Value& properties, rapidjson::Document::AllocatorType& a) {
    properties.AddMember("code", 12029, a);
  });
  ASSERT_TRUE(deliverOneBatch());

  std::vector<Collected> posts = collected();
  ASSERT_EQ(1u, posts.size());
  EXPECT_EQ("accepted", posts[0].verdict);
  const std::string& body = posts[0].body;
  EXPECT_EQ(0u, body.find("[\n    {\n        \"appId\": 1,\n        \"eventId\": \"")) << body;
  rapidjson::Document doc;
  doc.Parse(body.c_str());
  ASSERT_TRUE(doc.IsArray()) << body;
  ASSERT_EQ(2u, doc.Size());
  const std::vector<std::string> eventMembers = {"appId", "eventId", "eventKey", "timestamp", "properties"};
  const std::vector<std::string> common = {"mnq_version", "mnq_mac", "device_id", "openid", "language",
                                           "downloader_package"};
  std::vector<std::string> withFiller = common;
  withFiller.push_back("code");
  EXPECT_EQ(eventMembers, memberNames(doc[0]));
  EXPECT_EQ(common, memberNames(doc[0]["properties"]));
  EXPECT_EQ(withFiller, memberNames(doc[1]["properties"]));
  EXPECT_STREQ("start_downloader", doc[0]["eventKey"].GetString());
  EXPECT_STREQ("download_fail", doc[1]["eventKey"].GetString());
  EXPECT_EQ(12029, doc[1]["properties"]["code"].GetInt());
  const rapidjson::Value& p = doc[0]["properties"];
  EXPECT_STREQ("4.22", p["mnq_version"].GetString());
  EXPECT_STREQ("device\xc3\xa9", p["mnq_mac"].GetString());
  EXPECT_STREQ("device\xc3\xa9", p["device_id"].GetString());
  EXPECT_STREQ("openid7", p["openid"].GetString());
  EXPECT_STREQ("en", p["language"].GetString());
  EXPECT_EQ(1, p["downloader_package"].GetInt());

  ASSERT_TRUE(doc[0]["timestamp"].IsUint64());
  uint64_t t0 = doc[0]["timestamp"].GetUint64();
  EXPECT_EQ(t0, doc[1]["timestamp"].GetUint64());
  EXPECT_EQ(0u, t0 % 1000);
  EXPECT_EQ(static_cast<uint64_t>(second + 1) * 1000, t0);
  EXPECT_STRNE(doc[0]["eventId"].GetString(), doc[1]["eventId"].GetString());
}

TEST_F(ReporterTest, ThreeEventsAreSignedWithThreeTimes1024) {
  for (int i = 0; i < 3; ++i) reporter_.addEvent(L"e" + std::to_wstring(i));
  ASSERT_TRUE(deliverOneBatch());
  std::vector<Collected> posts = collected();
  ASSERT_EQ(1u, posts.size());
  EXPECT_EQ("accepted", posts[0].verdict);
  int64_t stamp = std::stoll(posts[0].timestamp);
  int64_t nowMs = static_cast<int64_t>(std::time(nullptr)) * 1000;
  EXPECT_LE(std::llabs(nowMs - stamp), 20000) << stamp;
  std::string text = VelReporter::signText(buildconfig::kReportSalt, stamp, 3);
  EXPECT_EQ(std::string(buildconfig::kReportSalt) + "*timestamp=" + posts[0].timestamp + "3072", text);
  EXPECT_EQ(VelReporter::signature(buildconfig::kReportSalt, stamp, 3), posts[0].signature);
  EXPECT_EQ(8u, posts[0].signature.size());
}

TEST_F(ReporterTest, StandinRefusesAWrongSignature) {
  // The stand-in's check is what the other tests rely on: it must reject a near miss.
  std::string response;
  std::string sign = VelReporter::signature(buildconfig::kReportSalt, 1700000000123, 2);
  ASSERT_TRUE(VelCurlDownloader::postRequest("[{}]", response, narrow(standinUrl(L"/collection/biz/upload")),
                                             {"timestamp: 1700000000123", "signature: " + sign}));
  std::vector<Collected> posts = collected();
  ASSERT_EQ(1u, posts.size());
  EXPECT_EQ("bad signature", posts[0].verdict);
}

TEST_F(ReporterTest, WakeUpWithEmptyQueuePostsNothing) {
  LogCapture log;
  startReporter();
  reporter_.wakeUp();
  ASSERT_TRUE(pumpUntil([&] { return !log.find(L"no body").empty(); }, 5000));
  reporter_.stop();
  EXPECT_FALSE(log.find(L"waitfor event").empty());
  EXPECT_FALSE(log.find(L"event comming").empty());
  EXPECT_TRUE(collected().empty());
  EXPECT_TRUE(standinRequests().empty());
}

// One dropped connection: the pass's second post delivers the batch. Two, a short outage of
// the service at the wake-up: the batch is kept as built and the next pass (here the exit's)
// delivers it; of more than the limit, the newest events are kept.
TEST_F(ReporterTest, AnUndeliveredBatchIsRetriedThenKeptForTheNextPass) {
  const size_t limit = VelReporter::kUndeliveredLimit;
  struct Case {
    int drops;
    size_t events, delivered;
  } cases[] = {{1, 1, 1}, {2, 3, 3}, {2, limit + 5, limit}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.drops << " drops, " << c.events << " events");
    ASSERT_TRUE(resetStandin());
    int status = 0;
    ASSERT_TRUE(standinGet(L"/_control/arm?path=/collection/biz/upload&fault=drop&count=" + std::to_wstring(c.drops),
                           &status, nullptr));
    ASSERT_EQ(200, status);
    LogCapture log;
    VelReporter reporter;
    reporter.start(L"openid7", L"device", L"en");
    for (size_t i = 0; i < c.events; ++i) reporter.addEvent(L"e" + std::to_wstring(i));
    reporter.wakeUp();
    if (c.drops == 1) {
      ASSERT_TRUE(waitForCollected(1));
    } else {
      ASSERT_TRUE(pumpUntil([&] { return !log.find(L"report kept").empty(); }, 10000));
      EXPECT_TRUE(collected().empty());
    }
    reporter.stop();

    std::vector<RecordedRequest> requests = standinRequests();
    ASSERT_EQ(static_cast<size_t>(c.drops == 1 ? 2 : 3), requests.size());
    for (const char* name : {"timestamp", "signature"}) {
      ASSERT_NE(nullptr, requests[0].header(name)) << name;
      ASSERT_NE(nullptr, requests[1].header(name)) << name;
      EXPECT_EQ(*requests[0].header(name), *requests[1].header(name)) << name;
    }
    EXPECT_EQ(requests[0].body, requests[1].body);
    if (c.events <= limit) {
      EXPECT_EQ(requests[0].body, requests.back().body) << "the kept batch changed";
    }
    std::vector<Collected> posts = collected();
    ASSERT_EQ(1u, posts.size());
    EXPECT_EQ("accepted", posts[0].verdict);
    rapidjson::Document doc;
    doc.Parse(posts[0].body.c_str());
    ASSERT_TRUE(doc.IsArray());
    ASSERT_EQ(c.delivered, doc.Size());
    EXPECT_EQ("e" + std::to_string(c.events - c.delivered), doc[0]["eventKey"].GetString());
    EXPECT_EQ("e" + std::to_string(c.events - 1), doc[doc.Size() - 1]["eventKey"].GetString());
    std::wstring lastAnswer;
    for (const std::wstring& line : log.lines()) {
      if (line.compare(0, 11, L"report ret:") == 0) lastAnswer = line;
    }
    EXPECT_NE(std::wstring::npos, lastAnswer.find(L"\"code\": 0")) << lastAnswer;
  }
}

TEST_F(ReporterTest, EventsQueuedJustBeforeStopArePosted) {
  LogCapture log;
  startReporter();
  ASSERT_TRUE(pumpUntil([&] { return !log.find(L"waitfor event").empty(); }, 5000));
  reporter_.addEvent(L"cancel_download");
  DWORD started = GetTickCount();
  reporter_.stop();
  EXPECT_LT(GetTickCount() - started, 8000u);
  std::vector<Collected> posts = collected();
  ASSERT_EQ(1u, posts.size());
  EXPECT_EQ("accepted", posts[0].verdict);
  EXPECT_NE(std::string::npos, posts[0].body.find("\"cancel_download\""));
}

TEST_F(ReporterTest, EventsQueuedWhileTheLastPostIsOnItsWayAreSentAtStop) {
  int status = 0;
  ASSERT_TRUE(standinGet(L"/_control/arm?path=/collection/biz/upload&fault=hold&delay_ms=1500", &status, nullptr));
  ASSERT_EQ(200, status);
  startReporter();
  reporter_.addEvent(L"install_success");
  reporter_.wakeUp();
  ASSERT_TRUE(pumpUntil([] { return standinRequests().size() == 1; }, 10000));
  Sleep(700);
  reporter_.addEvent(L"cancel_download");  // while the first post is held
  reporter_.stop();
  std::vector<Collected> posts = collected();
  ASSERT_EQ(2u, posts.size()) << "the last pass did not run";
  EXPECT_NE(std::string::npos, posts[0].body.find("\"install_success\""));
  EXPECT_NE(std::string::npos, posts[1].body.find("\"cancel_download\""));
  EXPECT_EQ("accepted", posts[1].verdict);
}

TEST(ReporterStop, APostThatNeverEndsIsAbortedWithinTheLimitAndNoThreadIsLeft) {
  VelCurlDownloader::globalInit();
  SilentServer peer;
  ASSERT_NE(0, peer.port());
  long abandoned = WorkerThread::abandonedCount();
  {
    VelReporter reporter("http://127.0.0.1:" + std::to_string(peer.port()) + "/collection/biz/upload");
    reporter.start(L"openid7", L"device", L"en");
    reporter.addEvent(L"install_success");
    reporter.wakeUp();
    ASSERT_TRUE(pumpUntil([] { return VelCurlDownloader::transfersInFlight() == 1; }, 5000));
    DWORD started = GetTickCount();
    reporter.stop(3000);
    DWORD elapsed = GetTickCount() - started;
    EXPECT_GE(elapsed, 1500u) << "the post was given time to finish";
    EXPECT_LT(elapsed, 3500u);
  }
  EXPECT_EQ(abandoned, WorkerThread::abandonedCount()) << "the aborted post let the worker end in time";
  EXPECT_EQ(0, VelCurlDownloader::transfersInFlight());
}

TEST_F(ReporterTest, Player4VariantQueuesNothing) {
  LogCapture log;
  ConfigImp::startup().setPlayer4();
  reporter_.addEvent(L"cancel_download");
  EXPECT_EQ(0u, reporter_.queuedCount());
  EXPECT_FALSE(log.find(L"player 4 32. not report!").empty());
  startReporter();
  reporter_.stop();
  EXPECT_TRUE(collected().empty());
}

TEST_F(ReporterTest, SuccessfulRunIsOneBatchInOrderSentAtOnceByItsLastEvent) {
  startReporter();
  events::reportRunDownloader(reporter_);
  events::reportStartDownloader(reporter_);
  events::reportDownloadSuccess(RouteFacts(), reporter_);
  events::reportDownloadDuration(61000, RouteFacts(), reporter_);
  events::reportInstallSuccess(reporter_);
  DWORD woken = GetTickCount();
  events::reportFullDuration(42000, reporter_);
  // Well inside the reporter's 20 s period: the last event woke it.
  ASSERT_TRUE(pumpUntil([&] { return !collected().empty(); }, 10000));
  EXPECT_LT(GetTickCount() - woken, 10000u);
  reporter_.stop();
  std::vector<Collected> posts = collected();
  ASSERT_EQ(1u, posts.size());
  EXPECT_EQ("accepted", posts[0].verdict);
  rapidjson::Document doc;
  doc.Parse(posts[0].body.c_str());
  ASSERT_TRUE(doc.IsArray());
  std::vector<std::string> keys;
  for (const auto& event : doc.GetArray()) keys.push_back(event["eventKey"].GetString());
  EXPECT_EQ((std::vector<std::string>{"run_downloader", "start_downloader", "download_success", "download_duration",
                                      "install_success", "downloader_full_duration"}),
            keys);
  ASSERT_EQ(6u, doc.Size());
  EXPECT_STREQ("aws", doc[2]["properties"]["ext_field"].GetString());
  EXPECT_EQ(61000, doc[3]["properties"]["duration"].GetInt());
  EXPECT_STREQ("aws_ie", doc[3]["properties"]["ext_field"].GetString());
  EXPECT_EQ(42000, doc[5]["properties"]["duration"].GetInt());
  EXPECT_FALSE(doc[0]["properties"].HasMember("ext_field"));
}

}  // namespace
