#pragma once
// How the service documents are fetched: each attempt a route (a stack and an address, and
// whether its text must be a JSON object to count), tried in order until one yields a text.
// Runs on the address worker; knows nothing of the model.
#include <atomic>
#include <string>
#include <vector>

#include "utility/http_downloader.h"

struct DocumentRoute {
  enum class Stack { kWinInet, kCurl };
  Stack stack;
  std::wstring url;
  bool mustBeObject;
};

// The player address document's four attempts: the CDN and the second host on WinInet,
// then the CDN on curl (a JSON object only) and the second host on curl (any text).
std::vector<DocumentRoute> playerAddressRoutes(const std::wstring& cdnUrl, const std::wstring& secondHostUrl);

// Tries the routes in order with the installer's log lines; false when all failed.
// abort ends a curl attempt in progress (WinInet is ended by cancelling wininet).
bool fetchPlayerAddressText(utility::CHttpDownloader& wininet, const std::vector<DocumentRoute>& routes,
                            std::string& text, const std::atomic<bool>* abort);

// Any other document: WinInet, then curl, whose result is not examined (an empty text is
// read as no document). curlFallbackLine is logged before the curl attempt.
std::string fetchDocumentText(utility::CHttpDownloader& wininet, const std::wstring& url,
                              const wchar_t* curlFallbackLine, const std::atomic<bool>* abort);

// True when the text is a complete JSON document whose root is an object.
bool isJsonObjectText(const std::string& text);
