#pragma once
// How the service documents are fetched: each a list of routes (a stack, an address and the
// route's rule for which text counts), tried in order until one is accepted. Runs on the
// address worker; knows nothing of the model.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "model/document_route.h"
#include "utility/http_downloader.h"

using DocumentRoutes = std::vector<std::unique_ptr<DocumentRoute>>;

// The player address document's four routes: the CDN and the second host on WinInet, then
// the CDN on curl (a JSON object only) and the second host on curl (any text). wininet and
// abort (which ends a curl transfer) outlive the routes.
DocumentRoutes playerAddressRoutes(utility::CHttpDownloader& wininet, const std::wstring& cdnUrl,
                                   const std::wstring& secondHostUrl, const std::atomic<bool>* abort);

// Any other document: WinInet, then curl, whose answer is taken as it is.
// curlFallbackLine is logged before the curl attempt.
DocumentRoutes documentRoutes(utility::CHttpDownloader& wininet, const std::wstring& url,
                              const wchar_t* curlFallbackLine, const std::atomic<bool>* abort);

// Tries the address routes in order; false when none was accepted. Once abort is set no
// further route starts.
bool fetchPlayerAddressText(const DocumentRoutes& routes, std::string& text, const std::atomic<bool>* abort);

// Any other document through documentRoutes; empty when no route was accepted (an empty text
// is read as no document).
std::string fetchDocumentText(utility::CHttpDownloader& wininet, const std::wstring& url,
                              const wchar_t* curlFallbackLine, const std::atomic<bool>* abort);
