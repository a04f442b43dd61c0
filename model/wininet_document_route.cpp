#include "model/wininet_document_route.h"

#include "utility/log.h"

WinInetDocumentRoute::WinInetDocumentRoute(utility::CHttpDownloader& wininet, std::wstring url, bool retry)
    : wininet_(wininet), url_(std::move(url)), retry_(retry) {}

RouteOutcome WinInetDocumentRoute::fetch(std::string& text) {
  RouteOutcome outcome;
  text.clear();
  if (retry_) VEL_LOG(L"download error! try: %s", url_.c_str());
  outcome.accepted = wininet_.download2mem(text, url_);
  if (retry_) VEL_LOG(L"try is sucess? %d", outcome.accepted ? 1 : 0);
  if (!outcome.accepted) text.clear();
  return outcome;
}
