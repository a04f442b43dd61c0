#pragma once
// A document on curl: accepted when the transfer completed, whatever the HTTP status, or,
// for a route whose answer must be a JSON object, only when it is one (an error page then
// does not count). Logs its start line first.
#include <atomic>
#include <string>

#include "model/document_route.h"

class CurlDocumentRoute : public DocumentRoute {
 public:
  enum class Accepts { kAnyText, kJsonObject };

  // abort ends the transfer in progress; it and startLine outlive the route.
  CurlDocumentRoute(std::wstring url, Accepts accepts, const wchar_t* startLine, const std::atomic<bool>* abort);

  const wchar_t* name() const override { return L"curl"; }
  RouteOutcome fetch(std::string& text) override;

 private:
  std::wstring url_;
  Accepts accepts_;
  const wchar_t* startLine_;
  const std::atomic<bool>* abort_;
};
