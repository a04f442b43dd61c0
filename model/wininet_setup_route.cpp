#include "model/wininet_setup_route.h"

#include <windows.h>

#include "utility/log.h"
#include "utility/ufile.h"

WinInetSetupRoute::WinInetSetupRoute(utility::CHttpDownloader& wininet,
                                     utility::CHttpDownloader::IHttpDownloadSink* progress, std::wstring url, bool spare)
    : wininet_(wininet), progress_(progress), url_(std::move(url)), spare_(spare) {}

RouteOutcome WinInetSetupRoute::fetch(const std::wstring& path, bool resume) {
  RouteOutcome outcome;
  const std::wstring temporary = path + L".tmp";
  if (spare_) VEL_LOG(L"download errro! .use spare url");
  // The form that keeps a cancel in force: a cancel that arrives just before the transfer
  // opens its connection is not lost.
  if (!wininet_.download2file(url_, temporary, progress_, outcome.firstCode, outcome.secondCode, resume)) {
    if (spare_) VEL_LOG(L"download file error %d %d", outcome.firstCode, outcome.secondCode);
    return outcome;
  }
  // A setup that is not where the run expects it is no download.
  if (!utility::ufile::moveFile(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
    VEL_LOG(L"move downloaded file failed error:%d %s", static_cast<int>(GetLastError()), path.c_str());
    return outcome;
  }
  VEL_LOG(L"download file success file = %s", path.c_str());
  outcome.accepted = true;
  return outcome;
}

void WinInetSetupRoute::logFailure(const RouteOutcome& outcome) const {
  if (!spare_) VEL_LOG(L"wininet main address failed %d %d", outcome.firstCode, outcome.secondCode);
}
