#include "model/setup_download.h"

#include <windows.h>

#include "identity/config_imp.h"
#include "model/download_rules.h"
#include "utility/encoding.h"
#include "utility/log.h"
#include "utility/setup_file_check.h"
#include "utility/ufile.h"

namespace {

int64_t sizeOf(const std::wstring& path) {
  int64_t size = 0;
  return utility::ufile::fileSize(path, size) ? size : 0;
}

}  // namespace

SetupCheck checkDownloadedSetup(const std::wstring& path, const std::wstring& md5, const std::wstring& publisher) {
  namespace check = utility::setup_file_check;
  SetupCheck result;
  auto held = std::make_shared<utility::UniqueHandle>(check::openHeld(path));
  if (!*held) {
    result.reason = L"cannot hold the file";
    result.code = GetLastError();
    return result;
  }
  if (check::isMd5Text(md5)) {
    DWORD error = 0;
    std::wstring digest = check::md5Of(held->get(), &error);
    if (digest.empty()) {
      result.reason = L"cannot read the file";
      result.code = error;
      return result;
    }
    if (CompareStringOrdinal(digest.c_str(), -1, md5.c_str(), -1, TRUE) != CSTR_EQUAL) {
      result.reason = L"md5 differs from the document's";
      result.code = static_cast<DWORD>(TRUST_E_BAD_DIGEST);
      return result;
    }
  }
  check::Verdict verdict = check::verifySignature(path, held->get(), publisher);
  if (!verdict.ok) {
    result.reason = verdict.reason;
    result.code = verdict.code;
    return result;
  }
  result.ok = true;
  result.held = std::move(held);
  return result;
}

std::vector<SetupRoute> setupRoutes(const std::wstring& mainUrl, const std::wstring& spareUrl) {
  return {
      {SetupRoute::Stack::kWinInet, false, mainUrl},
      {SetupRoute::Stack::kWinInet, true, spareUrl},
      {SetupRoute::Stack::kCurl, false, mainUrl},
      {SetupRoute::Stack::kCurl, true, spareUrl},
  };
}

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

bool SetupDownload::_downloadByIE(const std::wstring& path, const std::wstring& mainUrl, const std::wstring& spareUrl,
                                  bool resume, int& firstCode, int& secondCode) {
  lastProgressPost_ = 0;
  VEL_LOG(L"start download player playerurl is %s", mainUrl.c_str());
  std::wstring temporary = path + L".tmp";
  if (!resume) utility::ufile::removeFile(temporary);
  firstCode = 9999;
  secondCode = 0;
  ConfigImp& config = ConfigImp::instance();

  // Both attempts use the form that keeps a cancel in force: a cancel that arrives just
  // before a transfer opens its connection is not lost.
  config.setWininetDownloader(true);
  config.setResourceCdn(false);
  int mainFirst = 0, mainSecond = 0;
  bool fetched = !cancelled() && wininet_.download2file(mainUrl, temporary, this, mainFirst, mainSecond, resume) &&
                 placeAndCheck(temporary, path);
  if (!fetched) {
    VEL_LOG(L"wininet main address failed %d %d", mainFirst, mainSecond);
    VEL_LOG(L"download errro! .use spare url");
    config.setResourceCdn(true);
    fetched = !cancelled() && wininet_.download2file(spareUrl, temporary, this, firstCode, secondCode, resume);
    if (!fetched) {
      VEL_LOG(L"download file error %d %d", firstCode, secondCode);
      return false;
    }
    return placeAndCheck(temporary, path);
  }
  return true;
}

bool SetupDownload::placeAndCheck(const std::wstring& temporary, const std::wstring& path) {
  // A setup that is not where the run expects it is no download.
  if (!utility::ufile::moveFile(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
    VEL_LOG(L"move downloaded file failed error:%d %s", static_cast<int>(GetLastError()), path.c_str());
    return false;
  }
  VEL_LOG(L"download file success file = %s", path.c_str());
  return passesCheck(path);
}

bool SetupDownload::curlRoute(const SetupRoute& route, const std::wstring& path, bool deleteSmallFile) {
  if (cancelled()) return false;
  // The events name the stack that did the work.
  ConfigImp::instance().setWininetDownloader(false);
  ConfigImp::instance().setResourceCdn(route.spare);
  PercentProgress percent = percentProgress_;
  bool fetched = curl_.downloadFile(path, utility::toAnsi(route.url), [percent](int value) {
    if (percent) percent(value);
  });
  if (!fetched) return false;
  if (download_rules::isSetupSize(sizeOf(path))) return true;
  if (deleteSmallFile) utility::ufile::removeFile(path);
  VEL_LOG(L"too small package");
  return false;
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
  std::vector<SetupRoute> routes = setupRoutes(mainUrl, spareUrl);
  // A route whose file fails the check counts as failed: the file is gone, the next route runs.
  heldSetup_.reset();
  result.success = _downloadByIE(path, routes[0].url, routes[1].url, resume, result.wininetFirstCode,
                                 result.wininetSecondCode);
  if (!result.success) {
    VEL_LOG(L"download by velcurl");
    result.success = curlRoute(routes[2], path, true) && passesCheck(path);
  }
  if (!result.success) {
    VEL_LOG(L"download by velcurl too");
    result.success = curlRoute(routes[3], path, false) && passesCheck(path);
  }
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
