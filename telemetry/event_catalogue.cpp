#include "telemetry/event_catalogue.h"

#include <string>
#include <utility>

#include "utility/encoding.h"

namespace events {

namespace {

using Allocator = rapidjson::Document::AllocatorType;

void addText(rapidjson::Value& properties, Allocator& allocator, const char* name, const std::string& utf8) {
  properties.AddMember(rapidjson::StringRef(name),
                       rapidjson::Value(utf8.c_str(), static_cast<rapidjson::SizeType>(utf8.size()), allocator),
                       allocator);
}

PropertiesFiller textMember(const char* name, std::string utf8) {
  return [name, utf8 = std::move(utf8)](rapidjson::Value& properties, Allocator& allocator) {
    addText(properties, allocator, name, utf8);
  };
}

const char* addressSource(RouteFacts facts) { return facts.spare ? "res" : "aws"; }

}  // namespace

PropertiesFiller makeExtField(const std::wstring& text) { return textMember("ext_field", utility::toUtf8(text)); }

PropertiesFiller makeFailureReason(const std::wstring& text) {
  return textMember("failure_reason", utility::toUtf8(text));
}

PropertiesFiller makeErrorCodeReason(int code) { return textMember("failure_reason", "errorcode_" + std::to_string(code)); }

PropertiesFiller makePackageErrorReason(DWORD code) {
  return textMember("failure_reason", "package_error_" + std::to_string(static_cast<unsigned long>(code)));
}

PropertiesFiller makeCodePairReason(int first, int second) {
  return textMember("failure_reason", std::to_string(first) + "_" + std::to_string(second));
}

PropertiesFiller makeDuration(int milliseconds) {
  return [milliseconds](rapidjson::Value& properties, Allocator& allocator) {
    properties.AddMember("duration", milliseconds, allocator);
  };
}

PropertiesFiller makeDownloadSource(RouteFacts facts) { return textMember("ext_field", addressSource(facts)); }

PropertiesFiller makeDownloadDuration(int milliseconds, RouteFacts facts) {
  std::string tag = std::string(addressSource(facts)) + "_" + (facts.wininet ? "ie" : "curl");
  return [milliseconds, tag](rapidjson::Value& properties, Allocator& allocator) {
    properties.AddMember("duration", milliseconds, allocator);
    addText(properties, allocator, "ext_field", tag);
  };
}

std::wstring cancelText(int percent, int secondsSinceInstall, RouteFacts facts) {
  return std::to_wstring(percent) + L"_" + std::to_wstring(secondsSinceInstall) + (facts.spare ? L"_res" : L"_aws") +
         (facts.wininet ? L"_IE" : L"_Curl");
}

void reportRunDownloader(VelReporter& reporter) { reporter.addEvent(L"run_downloader"); }

void reportStartDownloader(VelReporter& reporter) { reporter.addEvent(L"start_downloader"); }

void reportDownloadAddressFail(VelReporter& reporter) { reporter.addEvent(L"download_address_fail"); }

void reportDownloadSuccess(RouteFacts facts, VelReporter& reporter) {
  reporter.addEvent(L"download_success", makeDownloadSource(facts));
}

void reportDownloadDuration(int downloadMilliseconds, RouteFacts facts, VelReporter& reporter) {
  reporter.addEvent(L"download_duration", makeDownloadDuration(downloadMilliseconds, facts));
}

void reportDownloadFail(int firstError, int secondError, VelReporter& reporter) {
  reporter.addEvent(L"download_fail", makeCodePairReason(firstError, secondError));
}

void reportInstallSuccess(VelReporter& reporter) { reporter.addEvent(L"install_success"); }

void reportFullDuration(int setupMilliseconds, VelReporter& reporter) {
  reporter.addEvent(L"downloader_full_duration", makeDuration(setupMilliseconds));
  reporter.wakeUp();
}

void reportInstallFailCode(int code, VelReporter& reporter) {
  reporter.addEvent(L"install_fail", makeErrorCodeReason(code));
}

void reportInstallFailStart(DWORD error, VelReporter& reporter) {
  reporter.addEvent(L"install_fail", makePackageErrorReason(error));
}

void reportInstallFailWait(const std::wstring& outcome, VelReporter& reporter) {
  reporter.addEvent(L"install_fail", makeFailureReason(outcome));
}

void reportCancelByUser(VelReporter& reporter) {
  reporter.addEvent(L"cancel_download", makeExtField(L"notDownload"));
  reporter.wakeUp();
}

void reportCancelOldSystem(VelReporter& reporter) { reporter.addEvent(L"cancel_download", makeExtField(L"xp")); }

void reportCancelSystem32(VelReporter& reporter) { reporter.addEvent(L"cancel_download", makeExtField(L"system32")); }

void reportCancelDuringDownload(const std::wstring& text, VelReporter& reporter) {
  reporter.addEvent(L"cancel_download", makeExtField(text));
}

void sendDownloadRun(vbox::GoogleAnalytics& analytics, const std::wstring& openId) {
  analytics.sendEvent(L"download_run", openId);
}

void sendDownloadDefaultUrl(vbox::GoogleAnalytics& analytics, const std::wstring& openId) {
  analytics.sendEvent(L"download_defaultUrl", openId);
}

void sendSetupFileMissing(vbox::GoogleAnalytics& analytics, const std::wstring& openId) {
  analytics.sendEvent(L"download_installPlayerNotExit", openId + L"_1");
}

void sendHomePageClicked(vbox::GoogleAnalytics& analytics) {
  analytics.sendEvent(L"Download_googleDriver", L"downloadingPage");
}

void sendUserCancelNow(vbox::GoogleAnalytics& analytics, const std::wstring& openId) {
  analytics.sendEventNow(L"userCancel", openId);
}

void sendBrowserDownloadNow(vbox::GoogleAnalytics& analytics) {
  analytics.sendEventNow(L"DownloadByBrowser3.0", L"error");
}

void sendHomePageInstallNow(vbox::GoogleAnalytics& analytics) {
  analytics.sendEventNow(L"installByHomePage3.0", L"error");
}

}  // namespace events
