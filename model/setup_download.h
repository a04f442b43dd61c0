#pragma once
// The player setup download: four routes tried in order (WinInet to the main and the spare
// address into a temporary file, then curl to the main and the spare address into the setup
// file itself), the size test that turns away error pages, and the progress of each stack.
// One object serves one download worker; cancel may come from any thread, and a cancelled
// object stays cancelled. Knows nothing of the model or the window.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "utility/http_downloader.h"
#include "utility/unique_handle.h"
#include "utility/vel_curl_downloader.h"

struct SetupRoute {
  enum class Stack { kWinInet, kCurl };
  Stack stack;
  bool spare;  // the resource-CDN flag while the route runs
  std::wstring url;
};

// WinInet main, WinInet spare, curl main, curl spare.
std::vector<SetupRoute> setupRoutes(const std::wstring& mainUrl, const std::wstring& spareUrl);

// What the check of a downloaded setup found: on success the file, held open so that it
// cannot be changed or swapped until the setup has been started.
struct SetupCheck {
  bool ok = false;
  std::wstring reason;
  DWORD code = 0;
  std::shared_ptr<utility::UniqueHandle> held;
};
using SetupChecker = std::function<SetupCheck(const std::wstring& path)>;

// The check every setup must pass: held, its MD5 when the document gives one (32 hex digits),
// its signature down to a trusted root and from publisher.
SetupCheck checkDownloadedSetup(const std::wstring& path, const std::wstring& md5, const std::wstring& publisher);

struct SetupDownloadResult {
  bool success = false;
  std::shared_ptr<utility::UniqueHandle> heldSetup;  // on success: the checked file, held
  int64_t partialSize = 0;   // on failure: what is worth resuming, 0 when nothing is
  int wininetFirstCode = 9999;
  int wininetSecondCode = 0;
};

class SetupDownload : public utility::CHttpDownloader::IHttpDownloadSink {
 public:
  // Throttled WinInet progress (at most one call a second): bytes received and the total,
  // -1 when the answer announced none. Percent: curl's whole percentages.
  using ByteProgress = std::function<void(int64_t received, int64_t total)>;
  using PercentProgress = std::function<void(int percent)>;

  SetupDownload(ByteProgress byteProgress, PercentProgress percentProgress);
  SetupDownload(const SetupDownload&) = delete;
  SetupDownload& operator=(const SetupDownload&) = delete;

  // The whole chain for the setup file at path (download worker).
  SetupDownloadResult run(const std::wstring& path, const std::wstring& mainUrl, const std::wstring& spareUrl,
                          bool resume);
  // The two WinInet routes into path + ".tmp", then the move onto path. False when both
  // failed, or when the finished file could not be moved into place.
  bool _downloadByIE(const std::wstring& path, const std::wstring& mainUrl, const std::wstring& spareUrl, bool resume,
                     int& firstCode, int& secondCode);

  // Download worker, before run: a route's file that fails checker is deleted and the route
  // counts as failed. Without a checker nothing is checked.
  void setChecker(SetupChecker checker) { checker_ = std::move(checker); }

  // Any thread: the running transfer ends promptly and no further route starts.
  void cancel();
  bool cancelled() const { return cancelled_.load(); }

  bool onDownloadProgress(const char* bytes, DWORD count, int64_t received, int64_t total) override;

 private:
  bool curlRoute(const SetupRoute& route, const std::wstring& path, bool deleteSmallFile);
  // After a WinInet route: the file moved from temporary to path and checked.
  bool placeAndCheck(const std::wstring& temporary, const std::wstring& path);
  // After a route delivered the file: true when it passed the check (or none is set); the
  // file is then held in heldSetup_.
  bool passesCheck(const std::wstring& path);

  SetupChecker checker_;
  std::shared_ptr<utility::UniqueHandle> heldSetup_;
  ByteProgress byteProgress_;
  PercentProgress percentProgress_;
  utility::CHttpDownloader wininet_;
  VelCurlDownloader curl_;
  std::atomic<bool> cancelled_{false};
  uint32_t lastProgressPost_ = 0;  // download worker only
};
