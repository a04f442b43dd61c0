#include "model/address_chain.h"

#include <rapidjson/reader.h>

#include "utility/encoding.h"
#include "utility/log.h"
#include "utility/vel_curl_downloader.h"

namespace {

// Sees the first event only; reading on without building anything, iteratively, so
// neither size nor nesting of the text can hurt.
struct RootKind : rapidjson::BaseReaderHandler<rapidjson::UTF8<>, RootKind> {
  bool seen = false;
  bool object = false;
  bool Default() {
    seen = true;
    return true;
  }
  bool StartObject() {
    if (!seen) object = true;
    seen = true;
    return true;
  }
};

bool fetchOnce(utility::CHttpDownloader& wininet, const DocumentRoute& route, std::string& text,
               const std::atomic<bool>* abort) {
  text.clear();
  bool fetched = false;
  if (route.stack == DocumentRoute::Stack::kWinInet) {
    fetched = wininet.download2mem(text, route.url);
  } else {
    fetched = VelCurlDownloader::downloadMemory(utility::toAnsi(route.url), text, abort);
  }
  if (fetched && route.mustBeObject && !isJsonObjectText(text)) fetched = false;
  if (!fetched) text.clear();
  return fetched;
}

}  // namespace

bool isJsonObjectText(const std::string& text) {
  rapidjson::Reader reader;
  rapidjson::StringStream stream(text.c_str());
  RootKind kind;
  rapidjson::ParseResult result = reader.Parse<rapidjson::kParseIterativeFlag>(stream, kind);
  // A NUL inside the text ends the stream early: the rest must not count as read.
  return result && kind.object && stream.Tell() == text.size();
}

std::vector<DocumentRoute> playerAddressRoutes(const std::wstring& cdnUrl, const std::wstring& secondHostUrl) {
  return {
      {DocumentRoute::Stack::kWinInet, cdnUrl, false},
      {DocumentRoute::Stack::kWinInet, secondHostUrl, false},
      {DocumentRoute::Stack::kCurl, cdnUrl, true},
      {DocumentRoute::Stack::kCurl, secondHostUrl, false},
  };
}

bool fetchPlayerAddressText(utility::CHttpDownloader& wininet, const std::vector<DocumentRoute>& routes,
                            std::string& text, const std::atomic<bool>* abort) {
  bool wininetFailedOnce = false;
  bool curlTried = false;
  for (size_t i = 0; i < routes.size(); ++i) {
    const DocumentRoute& route = routes[i];
    bool wininetRoute = route.stack == DocumentRoute::Stack::kWinInet;
    if (wininetRoute && wininetFailedOnce) VEL_LOG(L"download error! try: %s", route.url.c_str());
    if (!wininetRoute) VEL_LOG(curlTried ? L"use curl 2" : L"use curl");
    bool fetched = fetchOnce(wininet, route, text, abort);
    if (wininetRoute && wininetFailedOnce) VEL_LOG(L"try is sucess? %d", fetched ? 1 : 0);
    if (fetched) return true;
    VEL_LOG(L"address route %d of %d failed (%s)", static_cast<int>(i + 1), static_cast<int>(routes.size()),
            wininetRoute ? L"wininet" : L"curl");
    if (wininetRoute) wininetFailedOnce = true;
    else curlTried = true;
  }
  return false;
}

std::string fetchDocumentText(utility::CHttpDownloader& wininet, const std::wstring& url,
                              const wchar_t* curlFallbackLine, const std::atomic<bool>* abort) {
  std::string text;
  if (wininet.download2mem(text, url)) return text;
  text.clear();
  VEL_LOG(L"%s", curlFallbackLine);
  VelCurlDownloader::downloadMemory(utility::toAnsi(url), text, abort);
  return text;
}
