#pragma once
// The setup on WinInet: into "<setup>.tmp" (resumed by byte range), then moved onto the setup
// file. Accepted when the transfer succeeded and the file is in place; its error codes are
// WinInet's two (the kind and system error, -1 and the HTTP status, or -2 and a file error).
#include <string>

#include "model/setup_route.h"
#include "utility/http_downloader.h"

class WinInetSetupRoute : public SetupRoute {
 public:
  // wininet and progress outlive the route.
  WinInetSetupRoute(utility::CHttpDownloader& wininet, utility::CHttpDownloader::IHttpDownloadSink* progress,
                    std::wstring url, bool spare);

  const wchar_t* name() const override { return spare_ ? L"wininet spare" : L"wininet main"; }
  RouteFacts facts() const override { return RouteFacts{spare_, true}; }
  RouteOutcome fetch(const std::wstring& path, bool resume) override;
  void logFailure(const RouteOutcome& outcome) const override;

 private:
  utility::CHttpDownloader& wininet_;
  utility::CHttpDownloader::IHttpDownloadSink* progress_;
  std::wstring url_;
  bool spare_;
};
