#include "ui/customer_link.h"

#include <cwctype>

#include "model/downloader_model.h"
#include "skin/language_table.h"
#include "utility/log.h"
#include "utility/process.h"

namespace msg {

namespace {

std::function<void(const std::wstring&)>& opener() {
  static std::function<void(const std::wstring&)> open;
  return open;
}

bool startsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= text.size() || std::towlower(text[i]) != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool isWebAddress(const std::wstring& address) {
  size_t hostStart = 0;
  if (startsWithNoCase(address, L"https://")) {
    hostStart = 8;
  } else if (startsWithNoCase(address, L"http://")) {
    hostStart = 7;
  } else {
    return false;
  }
  for (wchar_t c : address) {
    if (c <= L' ' || c == 0x7F) return false;
  }
  // A host must follow: "http:///x" or "http://\\host" is no web address.
  if (hostStart >= address.size()) return false;
  const wchar_t first = address[hostStart];
  return first != L'/' && first != L'\\' && first != L'?' && first != L'#' && first != L'@' && first != L':';
}

std::wstring customerLinkToOpen(const std::wstring& documentLink) {
  if (!documentLink.empty()) {
    if (isWebAddress(documentLink)) return documentLink;
    VEL_LOG(L"customer link is no web address, the table's link is used. link:%s", documentLink.c_str());
  }
  const std::wstring tableLink = lookupText(L"customerLink").value_or(std::wstring());
  if (!isWebAddress(tableLink)) {
    VEL_LOG(L"the table's customer link is no web address. link:%s", tableLink.c_str());
    return std::wstring();
  }
  return tableLink;
}

void openCustomerLink(const std::wstring& documentLink) {
  const std::wstring address = customerLinkToOpen(documentLink);
  if (!address.empty()) openAddress(address);
}

void setAddressOpener(std::function<void(const std::wstring&)> open) { opener() = std::move(open); }

void openAddress(const std::wstring& address) {
  if (opener()) {
    opener()(address);
    return;
  }
  utility::process::openInBrowser(address);
}

}  // namespace msg
