// What queueing a telemetry event costs its producer while the network is stuck: the
// stand-in holds every post for 5 s, and addEvent and sendEvent are timed on the caller's
// thread. Run: tests/bench/telemetry_benchmark.sh
#include <windows.h>

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "utility/vel_curl_downloader.h"
#include "telemetry/event_catalogue.h"
#include "telemetry/google_analytics.h"
#include "telemetry/vel_reporter.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

void printCosts(const char* what, std::vector<double> costs) {
  std::sort(costs.begin(), costs.end());
  double sum = 0;
  for (double c : costs) sum += c;
  std::printf("%-28s %6zu calls  median %7.2f us  p99 %7.2f us  max %8.2f us  mean %7.2f us\n", what, costs.size(),
              costs[costs.size() / 2], costs[costs.size() * 99 / 100], costs.back(), sum / costs.size());
}

bool holdPosts(const wchar_t* path, int count) {
  int status = 0;
  std::wstring query = L"/_control/arm?path=" + std::wstring(path) + L"&fault=hold&delay_ms=5000&count=" +
                       std::to_wstring(count);
  return standinGet(query, &status, nullptr) && status == 200;
}

}  // namespace

int main() {
  curl_global_init(CURL_GLOBAL_ALL);
  if (!resetStandin() || !holdPosts(L"/collection/biz/upload", 10) || !holdPosts(L"/mp/collect", 10)) {
    std::printf("the stand-in does not answer on port %d\n", standinPort());
    return 1;
  }

  // Reporter: one batch goes out and is held; events keep coming meanwhile.
  VelReporter reporter(narrow(standinUrl(L"/collection/biz/upload")));
  reporter.start(L"1203", L"bench-device", L"en");
  events::reportRunDownloader(reporter);
  reporter.wakeUp();
  Sleep(300);
  double wallStart = nowMicroseconds();
  std::vector<double> reporterCosts;
  for (int i = 0; i < 2000; ++i) {
    double start = nowMicroseconds();
    events::reportDownloadDuration(i, RouteFacts(), reporter);
    reporterCosts.push_back(nowMicroseconds() - start);
  }
  double reporterWall = nowMicroseconds() - wallStart;

  // Analytics: the first event's post is held; the queue fills to its cap, then drops.
  std::string collect = narrow(standinUrl(L"/mp/collect?measurement_id=G-BENCH00001&api_secret=bench"));
  vbox::GoogleAnalytics analytics(
      [collect](const std::string& body, const std::string&) {
        std::string response;
        VelCurlDownloader::postRequest(body, response, collect, std::vector<std::string>());
      },
      [] { return std::vector<vbox::AdapterAddress>{vbox::AdapterAddress{1, 2, 3, 4, 5, 6, 0, 0}}; });
  analytics.calcPCID();
  analytics.sendEvent(L"download_run", L"1203");
  Sleep(300);
  wallStart = nowMicroseconds();
  std::vector<double> queuedCosts, droppedCosts;
  for (int i = 0; i < 1000; ++i) {
    bool full = analytics.pendingCount() >= vbox::GoogleAnalytics::kQueueLimit;
    double start = nowMicroseconds();
    analytics.sendEvent(L"download_defaultUrl", L"1203");
    (full ? droppedCosts : queuedCosts).push_back(nowMicroseconds() - start);
  }
  double analyticsWall = nowMicroseconds() - wallStart;

  std::printf("posts held by the stand-in for 5000 ms each\n");
  printCosts("addEvent (reporter posting)", reporterCosts);
  std::printf("%-28s %8.1f ms for all calls\n", "", reporterWall / 1000);
  printCosts("sendEvent (queued)", queuedCosts);
  printCosts("sendEvent (queue full)", droppedCosts);
  std::printf("%-28s %8.1f ms for all calls\n", "", analyticsWall / 1000);

  resetStandin();
  analytics.setDisabled(true);
  reporter.stop(1000);
  return 0;
}
