#include "model/address_chain.h"

#include "model/curl_document_route.h"
#include "model/route_list.h"
#include "model/wininet_document_route.h"

namespace {

bool fetchDocument(const wchar_t* listName, const DocumentRoutes& routes, std::string& text,
                   const std::atomic<bool>* abort) {
  text.clear();
  return tryRoutesInOrder(listName, routes, abort, [&text](DocumentRoute& route) { return route.fetch(text); }) >= 0;
}

}  // namespace

DocumentRoutes playerAddressRoutes(utility::CHttpDownloader& wininet, const std::wstring& cdnUrl,
                                   const std::wstring& secondHostUrl, const std::atomic<bool>* abort) {
  using Accepts = CurlDocumentRoute::Accepts;
  DocumentRoutes routes;
  routes.push_back(std::make_unique<WinInetDocumentRoute>(wininet, cdnUrl, false));
  routes.push_back(std::make_unique<WinInetDocumentRoute>(wininet, secondHostUrl, true));
  routes.push_back(std::make_unique<CurlDocumentRoute>(cdnUrl, Accepts::kJsonObject, L"use curl", abort));
  routes.push_back(std::make_unique<CurlDocumentRoute>(secondHostUrl, Accepts::kAnyText, L"use curl 2", abort));
  return routes;
}

DocumentRoutes documentRoutes(utility::CHttpDownloader& wininet, const std::wstring& url,
                              const wchar_t* curlFallbackLine, const std::atomic<bool>* abort) {
  DocumentRoutes routes;
  routes.push_back(std::make_unique<WinInetDocumentRoute>(wininet, url, false));
  routes.push_back(std::make_unique<CurlDocumentRoute>(url, CurlDocumentRoute::Accepts::kAnyText, curlFallbackLine, abort));
  return routes;
}

bool fetchPlayerAddressText(const DocumentRoutes& routes, std::string& text, const std::atomic<bool>* abort) {
  return fetchDocument(L"address", routes, text, abort);
}

std::string fetchDocumentText(utility::CHttpDownloader& wininet, const std::wstring& url,
                              const wchar_t* curlFallbackLine, const std::atomic<bool>* abort) {
  std::string text;
  fetchDocument(L"document", documentRoutes(wininet, url, curlFallbackLine, abort), text, abort);
  return text;
}
