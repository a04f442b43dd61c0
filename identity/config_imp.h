#pragma once
// The process-wide settings: region, ad id, the selected player variant and every
// region-keyed table. Written on the window thread during start-up only, through startup();
// the application then calls freeze(), and from there on they are only read, from any thread.
#include <string>

enum class PlayerVariant { V40, V64, V9, V30 };

class ConfigImp {
 public:
  static const ConfigImp& instance();
  // The settings to write while the application starts. Once frozen, a writer is a fault:
  // checked builds log it and end the process; the shipped build logs it and hands out a
  // scratch copy, so the write is dropped and the readers see nothing change.
  static ConfigImp& startup();
  // The end of start-up (window thread).
  static void freeze();

  const std::wstring& region() const { return region_; }
  void setRegion(const std::wstring& region) { region_ = region; }
  const std::wstring& adId() const { return adId_; }
  void setAdId(const std::wstring& adId) { adId_ = adId; }

  bool is4() const { return is4_; }
  bool is64() const { return is64_; }
  bool is9() const { return is9_; }
  PlayerVariant variant() const;
  void setPlayer4();
  void setPlayer64();
  void setPlayer9();
  void setPlayer3();

  // Table lookups for the current region and variant.
  std::wstring variantFolderName() const;
  std::wstring variantRelativeInstallPath() const;
  std::wstring productName() const;
  std::wstring playerFilesBaseUrl(bool resourceHost) const;
  std::wstring setupDownloadUrl(bool resourceHost) const;
  std::wstring homePage() const;
  // The maker's licence page.
  std::wstring licencePageUrl() const;
  std::wstring channelCheckUrl() const;
  std::wstring customerInfoUrl() const;
  std::wstring browserDownloadUrl() const;
  std::wstring installedPlayerRegistryKey() const;
  std::wstring languageBundleFile() const;
  std::wstring openIdConfigUrl(const std::wstring& name) const;
  std::wstring analyticsMeasurementId() const;
  std::wstring analyticsApiSecret() const;
  std::wstring playerExecutablePath(const std::wstring& folder) const;

  // Back to the defaults and to start-up (tests that derive the identity more than once in a
  // process).
  static void resetForTest();

 private:
  ConfigImp() = default;
  static ConfigImp& settings();
  bool isDomestic() const { return region_ == L"cn"; }

  std::wstring region_ = L"en";
  std::wstring adId_ = L"Downloader";
  bool is4_ = false;
  bool is64_ = false;
  bool is9_ = true;
};
