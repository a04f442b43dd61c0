#include "model/curl_setup_route.h"

#include "model/download_rules.h"
#include "utility/encoding.h"
#include "utility/log.h"
#include "utility/ufile.h"

CurlSetupRoute::CurlSetupRoute(VelCurlDownloader& curl, VelCurlDownloader::Progress progress, std::wstring url,
                               bool spare)
    : curl_(curl), progress_(std::move(progress)), url_(std::move(url)), spare_(spare) {}

RouteOutcome CurlSetupRoute::fetch(const std::wstring& path, bool) {
  RouteOutcome outcome;
  VEL_LOG(spare_ ? L"download by velcurl too" : L"download by velcurl");
  if (!curl_.downloadFile(path, utility::toAnsi(url_), progress_)) return outcome;
  int64_t size = 0;
  if (!utility::ufile::fileSize(path, size)) size = 0;
  if (download_rules::isSetupSize(size)) {
    outcome.accepted = true;
    return outcome;
  }
  if (!spare_) utility::ufile::removeFile(path);
  VEL_LOG(L"too small package");
  return outcome;
}
