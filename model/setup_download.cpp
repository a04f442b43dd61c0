#include "model/setup_download.h"

#include <windows.h>

#include "model/curl_setup_route.h"
#include "model/download_rules.h"
#include "model/wininet_setup_route.h"
#include "utility/log.h"
#include "utility/ufile.h"

namespace {

int64_t sizeOf(const std::wstring& path) {
  int64_t size = 0;
  return utility::ufile::fileSize(path, size) ? size : 0;
}

}  // namespace

SetupDownload::SetupDownload(ByteProgress byteProgress, PercentProgress percentProgress)
    : byteProgress_(std::move(byteProgress)), percentProgress_(std::move(percentProgress)) {
  curl_.setAbortFlag(&cancelled_);
}

void SetupDownload::cancel() {
  cancelled_.store(true);
  wininet_.cancel();
}

bool SetupDownload::onDownloadProgress(const char*, DWORD, int64_t received, int64_t total) {
  uint32_t now = GetTickCount();
  if (!download_rules::progressDue(now, lastProgressPost_)) return true;
  lastProgressPost_ = now;
  if (byteProgress_) byteProgress_(received, total);
  return true;
}

std::vector<std::unique_ptr<SetupRoute>> SetupDownload::routes(const std::wstring& mainUrl,
                                                               const std::wstring& spareUrl) {
  std::vector<std::unique_ptr<SetupRoute>> list;
  list.push_back(std::make_unique<WinInetSetupRoute>(wininet_, this, mainUrl, false));
  list.push_back(std::make_unique<WinInetSetupRoute>(wininet_, this, spareUrl, true));
  list.push_back(std::make_unique<CurlSetupRoute>(curl_, percentProgress_, mainUrl, false));
  list.push_back(std::make_unique<CurlSetupRoute>(curl_, percentProgress_, spareUrl, true));
  return list;
}

bool SetupDownload::passesCheck(const std::wstring& path) {
  if (!checker_) return true;
  SetupCheck check = checker_(path);
  if (check.ok) {
    heldSetup_ = std::move(check.held);
    return true;
  }
  VEL_LOG(L"setup check failed: %s, error:%d", check.reason.c_str(), static_cast<int>(check.code));
  check.held.reset();
  utility::ufile::removeFile(path);
  return false;
}

SetupDownloadResult SetupDownload::run(const std::wstring& path, const std::wstring& mainUrl,
                                       const std::wstring& spareUrl, bool resume) {
  SetupDownloadResult result;
  lastProgressPost_ = 0;
  VEL_LOG(L"start download player playerurl is %s", mainUrl.c_str());
  if (!resume) utility::ufile::removeFile(path + L".tmp");
  heldSetup_.reset();
  const int served = tryRoutesInOrder(L"setup", routes(mainUrl, spareUrl), &cancelled_, [&](SetupRoute& route) {
    result.facts = route.facts();
    if (routeStarted_) routeStarted_(result.facts);
    RouteOutcome outcome = route.fetch(path, resume);
    // A route whose file fails the check counts as failed: the file is gone, the next route runs.
    if (outcome.accepted && !passesCheck(path)) outcome.accepted = false;
    if (result.facts.wininet) {
      result.wininetFirstCode = outcome.firstCode;
      result.wininetSecondCode = outcome.secondCode;
    }
    if (!outcome.accepted) route.logFailure(outcome);
    return outcome;
  });
  result.success = served >= 0;
  if (!result.success) {
    int64_t temporarySize = sizeOf(path + L".tmp");
    int64_t setupSize = temporarySize > 0 ? 0 : sizeOf(path);
    VEL_LOG(L"had downloaded size %I64d", static_cast<long long>(temporarySize > 0 ? temporarySize : setupSize));
    result.partialSize = download_rules::partialSizeToReport(temporarySize, setupSize);
  }
  if (result.success) result.heldSetup = std::move(heldSetup_);
  heldSetup_.reset();
  return result;
}
