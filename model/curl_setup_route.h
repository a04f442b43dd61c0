#pragma once
// The setup on curl: straight into the setup file, continuing what is there. Accepted only
// when the finished file is above 10 MiB (anything smaller is an error page); curl gives no
// error codes. The main address's small answer is deleted so that the spare starts from
// nothing; the last route's stays.
#include <string>

#include "model/setup_route.h"
#include "utility/vel_curl_downloader.h"

class CurlSetupRoute : public SetupRoute {
 public:
  // curl outlives the route; progress gets curl's whole percentages.
  CurlSetupRoute(VelCurlDownloader& curl, VelCurlDownloader::Progress progress, std::wstring url, bool spare);

  const wchar_t* name() const override { return spare_ ? L"curl spare" : L"curl main"; }
  RouteFacts facts() const override { return RouteFacts{spare_, false}; }
  RouteOutcome fetch(const std::wstring& path, bool resume) override;

 private:
  VelCurlDownloader& curl_;
  VelCurlDownloader::Progress progress_;
  std::wstring url_;
  bool spare_;
};
