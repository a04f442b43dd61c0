#pragma once
// The player setup download: the list of routes tried in order (WinInet to the main and the
// spare address, then curl to the main and the spare address), each with its own acceptance
// rule, and the setup check every route's file passes before the route counts. Keeps the
// progress of each stack. One object serves one download worker; cancel may come from any
// thread, and a cancelled object stays cancelled. Knows nothing of the model or the window.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/setup_check.h"
#include "model/setup_route.h"
#include "telemetry/route_facts.h"
#include "utility/http_downloader.h"
#include "utility/unique_handle.h"
#include "utility/vel_curl_downloader.h"

struct SetupDownloadResult {
  bool success = false;
  std::shared_ptr<utility::UniqueHandle> heldSetup;  // on success: the checked file, held
  int64_t partialSize = 0;   // on failure: what is worth resuming, 0 when nothing is
  // The last WinInet route's codes: 9999 and 0 unless a WinInet route ran.
  int wininetFirstCode = utility::CHttpDownloader::kNoFirstCode;
  int wininetSecondCode = 0;
  // The last route started: on success the one that served.
  RouteFacts facts;
};

class SetupDownload : public utility::CHttpDownloader::IHttpDownloadSink {
 public:
  // Throttled WinInet progress (at most one call a second): bytes received and the total,
  // -1 when the answer announced none. Percent: curl's whole percentages.
  using ByteProgress = std::function<void(int64_t received, int64_t total)>;
  using PercentProgress = std::function<void(int percent)>;
  // A route starts (download worker).
  using RouteStarted = std::function<void(RouteFacts facts)>;

  SetupDownload(ByteProgress byteProgress, PercentProgress percentProgress);
  SetupDownload(const SetupDownload&) = delete;
  SetupDownload& operator=(const SetupDownload&) = delete;

  // The whole list for the setup file at path (download worker).
  SetupDownloadResult run(const std::wstring& path, const std::wstring& mainUrl, const std::wstring& spareUrl,
                          bool resume);
  // Download worker, before run: a route's file that fails checker is deleted and the route
  // counts as failed. Without a checker nothing is checked.
  void setChecker(SetupChecker checker) { checker_ = std::move(checker); }
  void setRouteStarted(RouteStarted routeStarted) { routeStarted_ = std::move(routeStarted); }

  // Any thread: the running transfer ends promptly and no further route starts.
  void cancel();
  bool cancelled() const { return cancelled_.load(); }

  bool onDownloadProgress(const char* bytes, DWORD count, int64_t received, int64_t total) override;

 private:
  // WinInet main, WinInet spare, curl main, curl spare; they use this object's stacks.
  std::vector<std::unique_ptr<SetupRoute>> routes(const std::wstring& mainUrl, const std::wstring& spareUrl);
  // After a route delivered the file: true when it passed the check (or none is set); the
  // file is then held in heldSetup_.
  bool passesCheck(const std::wstring& path);

  SetupChecker checker_;
  RouteStarted routeStarted_;
  std::shared_ptr<utility::UniqueHandle> heldSetup_;
  ByteProgress byteProgress_;
  PercentProgress percentProgress_;
  utility::CHttpDownloader wininet_;
  VelCurlDownloader curl_;
  std::atomic<bool> cancelled_{false};
  uint32_t lastProgressPost_ = 0;  // download worker only
};
