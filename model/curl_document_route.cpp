#include "model/curl_document_route.h"

#include "model/service_documents.h"
#include "utility/encoding.h"
#include "utility/log.h"
#include "utility/vel_curl_downloader.h"

CurlDocumentRoute::CurlDocumentRoute(std::wstring url, Accepts accepts, const wchar_t* startLine,
                                     const std::atomic<bool>* abort)
    : url_(std::move(url)), accepts_(accepts), startLine_(startLine), abort_(abort) {}

RouteOutcome CurlDocumentRoute::fetch(std::string& text) {
  RouteOutcome outcome;
  text.clear();
  VEL_LOG(L"%s", startLine_);
  outcome.accepted = VelCurlDownloader::downloadMemory(utility::toAnsi(url_), text, abort_);
  if (outcome.accepted && accepts_ == Accepts::kJsonObject && !isJsonObjectText(text)) outcome.accepted = false;
  if (!outcome.accepted) text.clear();
  return outcome;
}
