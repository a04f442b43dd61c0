#pragma once
// The process-wide settings: region, ad id, the selected player variant, the two workflow
// flags and every region-keyed table. Written on the window thread during start-up (and by
// the window on the user's request), read from any thread afterwards.
#include <atomic>
#include <string>

enum class PlayerVariant { V40, V64, V9, V30 };

class ConfigImp {
 public:
  static ConfigImp& instance();

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

  int installMode() const { return installMode_; }
  void setInstallMode(int mode) { installMode_ = mode; }
  // True while a spare (resource-host) address is tried; keeps its last value afterwards.
  // Set by the download worker, read by the window: atomic.
  bool resourceCdn() const { return resourceCdn_.load(); }
  void setResourceCdn(bool value) { resourceCdn_.store(value); }
  // True while the WinInet stack works on the setup (the first one tried), false once curl
  // has taken over; keeps its last value afterwards. Set by the download worker: atomic.
  bool wininetDownloader() const { return wininetDownloader_.load(); }
  void setWininetDownloader(bool value) { wininetDownloader_.store(value); }

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

  // Back to the defaults (tests that derive the identity more than once in a process).
  void resetForTest();

 private:
  ConfigImp() = default;
  bool isDomestic() const { return region_ == L"cn"; }

  std::wstring region_ = L"en";
  std::wstring adId_ = L"Downloader";
  bool is4_ = false;
  bool is64_ = false;
  bool is9_ = true;
  int installMode_ = 1;
  std::atomic<bool> resourceCdn_{false};
  std::atomic<bool> wininetDownloader_{true};
};
