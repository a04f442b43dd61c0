#pragma once
// The customer-service link of the support buttons. The service documents may name one; it
// is opened only when it is a web address (http or https). Anything else (a "file:" address,
// a program or UNC path, a script address) is logged and the language table's link is
// opened instead: the installer runs elevated, and a document must not be able to start a
// local program through the shell.
#include <functional>
#include <string>

namespace msg {

// True for "http://host..." and "https://host..." (scheme in any case) with a host name and
// without white space or control characters.
bool isWebAddress(const std::wstring& address);

// The address the support buttons open: the documents' link when it is a web address,
// otherwise the language table's "customerLink".
std::wstring customerLinkToOpen(const std::wstring& documentLink);

// Opens customerLinkToOpen(documentLink) (the model's customer link) with the system's
// default handler.
void openCustomerLink(const std::wstring& documentLink);

// Replaces the opening of addresses (tests record them); an empty function restores the
// system's default handler.
void setAddressOpener(std::function<void(const std::wstring&)> opener);
void openAddress(const std::wstring& address);

}  // namespace msg
