#pragma once
// Every telemetry event the installer emits, one named function per occasion, and the
// property fillers they use. Producers call these and spell no event key themselves.
#include <windows.h>

#include <string>

#include "telemetry/google_analytics.h"
#include "telemetry/route_facts.h"
#include "telemetry/vel_reporter.h"

namespace events {

// Property fillers: each captures its argument and adds its members after the common ones.
PropertiesFiller makeExtField(const std::wstring& text);
PropertiesFiller makeFailureReason(const std::wstring& text);
PropertiesFiller makeErrorCodeReason(int code);
PropertiesFiller makePackageErrorReason(DWORD code);
PropertiesFiller makeCodePairReason(int first, int second);
PropertiesFiller makeDuration(int milliseconds);
// The address source of the route that served: "res" or "aws".
PropertiesFiller makeDownloadSource(RouteFacts facts);
// Duration, then "res_"/"aws_" and "ie"/"curl" of the route that served.
PropertiesFiller makeDownloadDuration(int milliseconds, RouteFacts facts);

// The main window's cancel text: percent, seconds since Install, and the address source and
// stack of the latest route started.
std::wstring cancelText(int percent, int secondsSinceInstall, RouteFacts facts);

// Business events (the reporter's queue).
void reportRunDownloader(VelReporter& reporter = VelReporter::instance());
void reportStartDownloader(VelReporter& reporter = VelReporter::instance());
void reportDownloadAddressFail(VelReporter& reporter = VelReporter::instance());
// facts: the route that served.
void reportDownloadSuccess(RouteFacts facts, VelReporter& reporter = VelReporter::instance());
// Right after "download_success": milliseconds since the download worker started.
void reportDownloadDuration(int downloadMilliseconds, RouteFacts facts, VelReporter& reporter = VelReporter::instance());
// The two WinInet error codes: 9999 and 0 unless a WinInet attempt set them.
void reportDownloadFail(int firstError, int secondError, VelReporter& reporter = VelReporter::instance());
void reportInstallSuccess(VelReporter& reporter = VelReporter::instance());
// Right after "install_success": milliseconds since the setup started; the batch leaves at once.
void reportFullDuration(int setupMilliseconds, VelReporter& reporter = VelReporter::instance());
// The setup's own error code, reported through the window message.
void reportInstallFailCode(int code, VelReporter& reporter = VelReporter::instance());
// The system error of starting the setup process.
void reportInstallFailStart(DWORD error, VelReporter& reporter = VelReporter::instance());
// The setup wait's outcome: "timeout", "failed" or "other".
void reportInstallFailWait(const std::wstring& outcome, VelReporter& reporter = VelReporter::instance());
// The user confirmed quitting; the batch leaves at once.
void reportCancelByUser(VelReporter& reporter = VelReporter::instance());
void reportCancelOldSystem(VelReporter& reporter = VelReporter::instance());
void reportCancelSystem32(VelReporter& reporter = VelReporter::instance());
// Closed during the download (browser download or slow-download close); text from cancelText.
void reportCancelDuringDownload(const std::wstring& text, VelReporter& reporter = VelReporter::instance());

// Analytics events.
void sendDownloadRun(vbox::GoogleAnalytics& analytics, const std::wstring& openId);
void sendDownloadDefaultUrl(vbox::GoogleAnalytics& analytics, const std::wstring& openId);
void sendSetupFileMissing(vbox::GoogleAnalytics& analytics, const std::wstring& openId);
void sendHomePageClicked(vbox::GoogleAnalytics& analytics);
// Immediate forms: the process ends right after.
void sendUserCancelNow(vbox::GoogleAnalytics& analytics, const std::wstring& openId);
void sendBrowserDownloadNow(vbox::GoogleAnalytics& analytics);
void sendHomePageInstallNow(vbox::GoogleAnalytics& analytics);

}  // namespace events
