#pragma once
// A document on WinInet: accepted when a 2xx answer arrived within the document limits
// (CHttpDownloader::download2mem). A retry, a route after another WinInet route failed, says
// so in the log with its address and its result.
#include <string>

#include "model/document_route.h"
#include "utility/http_downloader.h"

class WinInetDocumentRoute : public DocumentRoute {
 public:
  // wininet outlives the route; cancelling it ends the transfer.
  WinInetDocumentRoute(utility::CHttpDownloader& wininet, std::wstring url, bool retry);

  const wchar_t* name() const override { return L"wininet"; }
  RouteOutcome fetch(std::string& text) override;

 private:
  utility::CHttpDownloader& wininet_;
  std::wstring url_;
  bool retry_;
};
