#pragma once
// The process-wide workflow model. This file holds its identity: who the installer is
// (variant, region, language, channel, game requests) and where it proposes to install.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "identity/game_record.h"
#include "skin/language_record.h"
#include "telemetry/google_analytics.h"

class DownloaderModel {
 public:
  // Created on first use; an access after destroyInstance creates a fresh model.
  static DownloaderModel* instance();
  static void destroyInstance();

  // Derives the identity from the running executable's file name and the command line,
  // then starts the background work (machine identifier, event reporter).
  void init(const wchar_t* commandLine);
  // The identity only, from a given executable path (tests name the installer as they like).
  void initFrom(const std::wstring& modulePath, const wchar_t* commandLine);
  void _calcInstallPath();
  // The one switch to the 4.0 variant on 32-bit systems: new folder from the same rules.
  void switchToPlayer4();

  const std::wstring& openId() const { return openId_; }
  const std::wstring& packageName() const { return packageName_; }
  const std::wstring& googleId() const { return googleId_; }
  const std::wstring& uiLanguageCode() const { return uiLanguageCode_; }
  const std::wstring& localeName() const { return localeName_; }
  const LanguageRecord& languageRecord() const { return languageRecord_; }
  const std::vector<GameRecord>& games() const { return games_; }
  std::vector<GameRecord>& games() { return games_; }
  const std::wstring& installPath() const { return installPath_; }
  void setInstallPath(const std::wstring& path) { installPath_ = path; }
  const std::wstring& recommendedInstallPath() const { return recommendedInstallPath_; }
  bool installedPlayerFound() const { return installedPlayerFound_; }
  bool recommendedIsSsd() const { return recommendedIsSsd_; }
  HINSTANCE instanceHandle() const { return instanceHandle_; }
  void setInstanceHandle(HINSTANCE instance) { instanceHandle_ = instance; }
  // Reads a string bundle (StringBundle/String id=... XML) into the bundle map.
  bool loadLanguage(const std::wstring& bundleText);
  const std::map<std::wstring, std::wstring>& bundleStrings() const { return bundle_; }

  // The analytics client: queued and immediate events, and the machine identifier.
  vbox::GoogleAnalytics& analytics() { return analytics_; }
  const std::wstring& analyticsMeasurementId() const { return analytics_.measurementId(); }
  const std::wstring& analyticsApiSecret() const { return analytics_.apiSecret(); }
  // Called at shutdown: no analytics event is accepted afterwards.
  void teardown();

 private:
  DownloaderModel() = default;
  void applyFileName(const std::wstring& modulePath);
  void deriveLanguage();
  void applyCommandLine(const wchar_t* commandLine);
  void startBackgroundWork();

  std::wstring openId_ = L"100";
  std::wstring packageName_;
  std::wstring googleId_;
  std::wstring uiLanguageCode_;
  std::wstring localeName_;
  LanguageRecord languageRecord_;
  std::vector<GameRecord> games_;
  std::map<std::wstring, std::wstring> bundle_;
  vbox::GoogleAnalytics analytics_;
  std::wstring installPath_;
  std::wstring recommendedInstallPath_;
  bool installedPlayerFound_ = false;
  bool recommendedIsSsd_ = false;
  HINSTANCE instanceHandle_ = nullptr;
};
