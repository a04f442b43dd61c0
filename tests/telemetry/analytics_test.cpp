// The analytics client: payload and address, the machine identifier's sources in order, the
// queue's cap and the disabled flag; and one real delivery to the stand-in.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "core/worker_thread.h"
#include "telemetry/google_analytics.h"
#include "telemetry/pc_identifier.h"
#include "telemetry/text_ids.h"
#include "tests/support/log_capture.h"
#include "tests/support/silent_server.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "utility/encoding.h"
#include "utility/vel_curl_downloader.h"
#include "vel_build_config.h"

using namespace testing_support;
using vbox::AdapterAddress;
using vbox::GoogleAnalytics;

namespace {

std::string standinUrlAnsi(const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(standinPort()) + path;
}

const std::regex kGuidShape("[0-9A-F]{8}_[0-9A-F]{4}_[0-9a-f]{4}_[0-9A-F]{4}_[0-9A-F]{12}");

AdapterAddress address(uint8_t a, uint8_t b, uint8_t c, uint8_t d, uint8_t e, uint8_t f, uint8_t g = 0, uint8_t h = 0) {
  return AdapterAddress{a, b, c, d, e, f, g, h};
}

TEST(AnalyticsPayload, CompactJsonInMemberOrder) {
  EXPECT_EQ(R"({"client_id":"2-abc","events":[{"name":"download_run","params":{"event_category":"4.22",)"
            R"("event_label":"1203"}}]})",
            GoogleAnalytics::payload("2-abc", L"download_run", L"1203"));
  EXPECT_EQ(R"({"client_id":"","events":[{"name":"userCancel","params":{"event_category":"4.22",)"
            R"("event_label":"a\"b"}}]})",
            GoogleAnalytics::payload("", L"userCancel", L"a\"b"));
  EXPECT_EQ("https://host.example/mp/collect?measurement_id=G-ABCDEF1234&api_secret=s3cr-t_",
            GoogleAnalytics::collectUrl(L"https://host.example", L"G-ABCDEF1234", L"s3cr-t_"));
}

// The measurement service drops events whose names hold anything but letters, digits and
// underscores: the catalogue's names go under names it counts.
TEST(AnalyticsPayload, EventNamesAreSentUnderNamesTheServiceCounts) {
  struct Case {
    const wchar_t* name;
    const char* sent;
  } cases[] = {
      {L"DownloadByBrowser3.0", "DownloadByBrowser3_0"},
      {L"installByHomePage3.0", "installByHomePage3_0"},
      {L"download_installPlayerNotExit", "download_installPlayerNotExit"},
      {L"Download_googleDriver", "Download_googleDriver"},
      {L"a-b c\u00e9", "a_b_c_"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.sent, GoogleAnalytics::measurementName(c.name)) << c.sent;
  EXPECT_NE(std::string::npos,
            GoogleAnalytics::payload("id", L"DownloadByBrowser3.0", L"error").find("\"name\":\"DownloadByBrowser3_0\""));
}

TEST(AdapterIdentifier, SortedJoinedDigestWithCountPrefix) {
  const AdapterAddress a = address(0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E);
  const AdapterAddress b = address(0xF0, 0x0D, 0xBE, 0xEF, 0x00, 0x01);
  const AdapterAddress zero = address(0, 0, 0, 0, 0, 0);
  // Only the first six bytes are written, but all eight decide whether it is skipped.
  const AdapterAddress tailOnly = address(0, 0, 0, 0, 0, 0, 0, 7);
  std::vector<AdapterAddress> sixteen;
  std::string sixteenJoined;
  for (uint8_t i = 0; i < 16; ++i) {
    sixteen.push_back(address(0x10, 0, 0, 0, 0, i));
    char text[13];
    std::snprintf(text, sizeof(text), "10000000%04X", i);
    sixteenJoined += (i ? "|" : "") + std::string(text);
  }
  struct Case {
    std::vector<AdapterAddress> adapters;
    std::string expected;
  } cases[] = {
      {{}, ""},
      {{zero}, ""},
      {{a}, telemetry::md5Text("001A2B3C4D5E")},
      {{zero, a, zero}, telemetry::md5Text("001A2B3C4D5E")},
      {{a, b}, "2-" + telemetry::md5Text("001A2B3C4D5E|F00DBEEF0001")},
      {{b, a}, "2-" + telemetry::md5Text("001A2B3C4D5E|F00DBEEF0001")},
      {{b, tailOnly, a}, "3-" + telemetry::md5Text("000000000000|001A2B3C4D5E|F00DBEEF0001")},
      {sixteen, "10-" + telemetry::md5Text(sixteenJoined)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, vbox::identifierFromAdapters(c.adapters));
  EXPECT_EQ(32u, vbox::identifierFromAdapters({a}).size());
}

// The registry value and the data file are the real ones of the test's Wine prefix.
class ClientIdTest : public ::testing::Test {
 protected:
  void SetUp() override { clearStores(); }
  void TearDown() override { clearStores(); }
  static void clearStores() {
    RegDeleteKeyExW(HKEY_CURRENT_USER, L"Software\\velen", KEY_WOW64_64KEY, 0);
    DeleteFileW(vbox::dataFilePath().c_str());
  }
  static void setRegistry(const std::string& value) { ASSERT_TRUE(vbox::storeRegistryIdentifier(value)); }
  static void setDataFile(const std::wstring& text) {
    ASSERT_TRUE(writeFile(vbox::dataFilePath(),
                          std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t))));
  }
  static GoogleAnalytics::AdapterLister adapters(std::vector<AdapterAddress> list) {
    return [list] { return list; };
  }
};

TEST_F(ClientIdTest, SourcesInOrderAndTheIdIsStoredBack) {
  const AdapterAddress nic = address(0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E);
  const std::string fromNic = telemetry::md5Text("001A2B3C4D5E");
  const std::wstring text32 = L"0123456789abcdef0123456789abcdef";
  struct Case {
    const char* what;
    const char* registry;     // null: no value
    const wchar_t* dataFile;  // null: no file
    std::vector<AdapterAddress> adapters;
    std::string expected;     // empty: a GUID text
    const wchar_t* logLine;
  } cases[] = {
      {"11-character registry value", "ABCDEFGHIJK", text32.c_str(), {nic}, "ABCDEFGHIJK", L"read pcmac from pc ABCDEFGHIJK"},
      {"10-character registry value", "ABCDEFGHIJ", nullptr, {nic}, fromNic, L"create pcmac "},
      {"30-byte data file", nullptr, L"123456789012345", {nic}, fromNic, L"read from morvane "},
      {"64-byte data file", "short", text32.c_str(), {nic}, utility::toAnsi(text32), L"read from morvane " },
      {"no adapters", nullptr, nullptr, {}, "", L"create pcmac "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    clearStores();
    if (c.registry) setRegistry(c.registry);
    if (c.dataFile) setDataFile(c.dataFile);
    LogCapture log;
    GoogleAnalytics client(GoogleAnalytics::Poster([](const std::string&, const std::string&) {}),
                           adapters(c.adapters));
    std::wstring id = client.getPCID();
    if (c.expected.empty()) {
      EXPECT_TRUE(std::regex_match(utility::toAnsi(id), kGuidShape)) << utility::toAnsi(id);
    } else {
      EXPECT_EQ(c.expected, utility::toAnsi(id));
    }
    EXPECT_FALSE(log.find(c.logLine).empty());
    EXPECT_EQ(utility::toAnsi(id), vbox::readRegistryIdentifier());
    // Once set, the id stays for the process.
    EXPECT_EQ(id, client.getPCID());
  }
}

TEST_F(ClientIdTest, RealAdaptersUnderWine) {
  std::vector<AdapterAddress> listed = vbox::listAdapterAddresses();
  std::string expected = vbox::identifierFromAdapters(listed);
  GoogleAnalytics client;
  std::string id = utility::toAnsi(client.getPCID());
  if (expected.empty()) {
    EXPECT_TRUE(std::regex_match(id, kGuidShape)) << id;
  } else {
    EXPECT_EQ(expected, id);
    EXPECT_TRUE(std::regex_match(id, std::regex("([0-9a-f]+-)?[0-9a-f]{32}"))) << id;
  }
  EXPECT_EQ(id, vbox::readRegistryIdentifier());
}

// A poster that records and can be held, as a slow network would.
struct HeldPoster {
  std::mutex lock;
  std::condition_variable changed;
  bool held = false;
  bool inside = false;
  std::vector<std::string> bodies;

  GoogleAnalytics::Poster poster() {
    return [this](const std::string& body, const std::string&) {
      std::unique_lock<std::mutex> guard(lock);
      inside = true;
      changed.notify_all();
      changed.wait(guard, [this] { return !held; });
      bodies.push_back(body);
      inside = false;
      changed.notify_all();
    };
  }
  void hold() {
    std::lock_guard<std::mutex> guard(lock);
    held = true;
  }
  void release() {
    std::lock_guard<std::mutex> guard(lock);
    held = false;
    changed.notify_all();
  }
  bool waitInside() {
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, std::chrono::seconds(10), [this] { return inside; });
  }
  bool waitForBodies(size_t count) {
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, std::chrono::seconds(10), [&] { return bodies.size() >= count; });
  }
};

TEST(AnalyticsQueue, HundredPendingWhileStuckThenFurtherEventsDropped) {
  auto poster = std::make_shared<HeldPoster>();
  poster->hold();
  GoogleAnalytics client(poster->poster(), [] { return std::vector<AdapterAddress>(); });
  client.sendEvent(L"first", L"0");
  ASSERT_TRUE(poster->waitInside());
  for (int i = 1; i <= 101; ++i) client.sendEvent(L"e", std::to_wstring(i));
  EXPECT_EQ(GoogleAnalytics::kQueueLimit, client.pendingCount());
  poster->release();
  ASSERT_TRUE(poster->waitForBodies(101));
  ASSERT_TRUE(pumpUntil([&] { return client.pendingCount() == 0; }, 5000));
  std::lock_guard<std::mutex> guard(poster->lock);
  ASSERT_EQ(101u, poster->bodies.size());
  EXPECT_NE(std::string::npos, poster->bodies[0].find("\"name\":\"first\""));
  EXPECT_NE(std::string::npos, poster->bodies[100].find("\"event_label\":\"100\""));
}

TEST(AnalyticsQueue, NothingIsSentOnceDisabled) {
  auto poster = std::make_shared<HeldPoster>();
  GoogleAnalytics client(poster->poster(), [] { return std::vector<AdapterAddress>(); });
  client.setDisabled(true);
  client.sendEvent(L"download_run", L"1");
  client.sendEventNow(L"userCancel", L"1");
  EXPECT_EQ(0u, client.pendingCount());
  pumpFor(200);
  std::lock_guard<std::mutex> guard(poster->lock);
  EXPECT_TRUE(poster->bodies.empty());
}

// At exit the worker sends what is still queued, within the destruction's limit.
TEST(AnalyticsQueue, DestructionSendsTheQueueWithinItsLimit) {
  struct Case {
    const char* what;
    DWORD releaseAfter;  // 0: the first post stays stuck past the limit
    size_t bodiesAtDestruction, bodiesInTheEnd;
    long abandoned;  // workers left to end on their own, never terminated
  } cases[] = {
      {"the first post ends in time: the rest of the queue goes out too", 300, 3, 3, 0},
      // The worker finishes that post after the client is gone and ends without touching it.
      {"it stays stuck: the client goes in time, and nothing more is sent", 0, 0, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto poster = std::make_shared<HeldPoster>();
    poster->hold();
    auto client = std::make_unique<GoogleAnalytics>(poster->poster(), [] { return std::vector<AdapterAddress>(); });
    for (const wchar_t* name : {L"download_run", L"download_defaultUrl", L"Download_googleDriver"}) {
      client->sendEvent(name, L"1");
    }
    ASSERT_TRUE(poster->waitInside());
    std::thread releaser;
    if (c.releaseAfter) {
      releaser = std::thread([&] {
        Sleep(c.releaseAfter);
        poster->release();
      });
    }
    const long abandonedBefore = WorkerThread::abandonedCount();
    DWORD started = GetTickCount();
    client.reset();
    EXPECT_LT(GetTickCount() - started, GoogleAnalytics::kDestroyWaitMilliseconds + 1500);
    EXPECT_EQ(abandonedBefore + c.abandoned, WorkerThread::abandonedCount());
    if (releaser.joinable()) releaser.join();
    {
      std::lock_guard<std::mutex> guard(poster->lock);
      EXPECT_EQ(c.bodiesAtDestruction, poster->bodies.size());
    }
    poster->release();
    EXPECT_TRUE(poster->waitForBodies(c.bodiesInTheEnd));
    pumpFor(200);
    std::lock_guard<std::mutex> guard(poster->lock);
    EXPECT_EQ(c.bodiesInTheEnd, poster->bodies.size());
  }
}

TEST(AnalyticsExit, AStalledHttpsPostIsAbortedSoCurlCanBeCleanedUpUnderNoTransfer) {
  // The worker is inside the TLS handshake with a peer that never answers, as at an exit
  // while the network hangs. Destruction must end that transfer, so that the process-wide
  // clean-up that follows does not pull libcurl's TLS functions from under it.
  ASSERT_TRUE(VelCurlDownloader::globalInit());
  SilentServer peer;
  ASSERT_NE(0, peer.port());
  auto client = std::make_unique<GoogleAnalytics>(GoogleAnalytics::Poster(),
                                                  [] { return std::vector<AdapterAddress>(); },
                                                  L"https://127.0.0.1:" + std::to_wstring(peer.port()));
  client->setMeasurement(L"G-TESTTEST01", L"secret");
  client->sendEvent(L"download_run", L"1");
  ASSERT_TRUE(pumpUntil([] { return VelCurlDownloader::transfersInFlight() == 1; }, 5000));
  DWORD started = GetTickCount();
  client.reset();
  EXPECT_LT(GetTickCount() - started, GoogleAnalytics::kDestroyWaitMilliseconds + 1000);
  EXPECT_EQ(0, VelCurlDownloader::transfersInFlight()) << "the post was not aborted";
  EXPECT_TRUE(VelCurlDownloader::globalCleanup(1000));
  // Had the handshake still been running, the peer going away now would send it on into
  // the cleaned-up library.
  peer.close();
  pumpFor(1500);
  ASSERT_TRUE(VelCurlDownloader::globalInit());
}

TEST(AnalyticsExit, CleanupWaitsForARunningTransferAndKeepsCurlWhenItCannotEnd) {
  ASSERT_TRUE(VelCurlDownloader::globalInit());
  SilentServer peer;
  ASSERT_NE(0, peer.port());
  std::atomic<bool> done{false};
  std::thread transfer([&] {
    std::string out;
    // No abort flag of its own: only the process-wide abort can end it.
    VelCurlDownloader::downloadMemory("https://127.0.0.1:" + std::to_string(peer.port()) + "/", out);
    done = true;
  });
  ASSERT_TRUE(pumpUntil([] { return VelCurlDownloader::transfersInFlight() == 1; }, 5000));
  EXPECT_TRUE(VelCurlDownloader::globalCleanup(3000)) << "the abort reaches a transfer without a flag";
  EXPECT_TRUE(done);
  transfer.join();
  std::string out;
  EXPECT_FALSE(VelCurlDownloader::downloadMemory(standinUrlAnsi("/health"), out)) << "closed until init";
  ASSERT_TRUE(VelCurlDownloader::globalInit());
  EXPECT_TRUE(VelCurlDownloader::downloadMemory(standinUrlAnsi("/health"), out)) << "open again";
}

class AnalyticsStandinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { VelCurlDownloader::globalInit(); }
  static void TearDownTestSuite() { VelCurlDownloader::globalCleanup(5000); }
  void SetUp() override { ASSERT_TRUE(resetStandin()); }
  static std::vector<RecordedRequest> collects() {
    std::vector<RecordedRequest> found;
    for (const RecordedRequest& r : standinRequests()) {
      if (r.path == "/mp/collect") found.push_back(r);
    }
    return found;
  }
};

TEST_F(AnalyticsStandinTest, QueuedAndImmediateEventsReachTheMeasurementAddress) {
  GoogleAnalytics client(GoogleAnalytics::Poster(), [] { return std::vector<AdapterAddress>{address(1, 2, 3, 4, 5, 6)}; });
  client.setMeasurement(L"G-TESTTEST01", L"secret_secret-secret01");
  std::string id = utility::toAnsi(client.getPCID());
  client.sendEvent(L"download_run", L"1203");
  ASSERT_TRUE(pumpUntil([] { return collects().size() == 1; }, 10000));
  client.sendEventNow(L"userCancel", L"1203");
  std::vector<RecordedRequest> posts = collects();
  ASSERT_EQ(2u, posts.size());
  for (const RecordedRequest& post : posts) {
    EXPECT_EQ("POST", post.method);
    EXPECT_EQ("measurement_id=G-TESTTEST01&api_secret=secret_secret-secret01", post.query);
  }
  EXPECT_EQ(GoogleAnalytics::payload(id, L"download_run", L"1203"), posts[0].body);
  EXPECT_EQ(GoogleAnalytics::payload(id, L"userCancel", L"1203"), posts[1].body);
}

}  // namespace
