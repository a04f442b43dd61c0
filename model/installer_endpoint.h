#pragma once
// The installer's well-known identifier and the window messages its endpoint accepts.
// The identifier names the single-instance mutex and the endpoint's window class.
#include <windows.h>

namespace installer_endpoint {

constexpr const wchar_t* kIdentifier = L"{2266E930-7040-4A6B-B7C8-E44663785cdd}";

// Posted, never sent.
constexpr UINT kShowWindow = 11123;      // a second start asks the running copy to show itself
constexpr UINT kInstallFailed = 11124;   // from the player's setup; wParam = its error code
constexpr UINT kInstallSucceeded = 11125;  // from the player's setup

}  // namespace installer_endpoint
