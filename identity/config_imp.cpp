#include "identity/config_imp.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "core/thread_checker.h"
#include "utility/log.h"
#include "vel_build_config.h"

namespace {

const wchar_t* pick(PlayerVariant variant, const wchar_t* v40, const wchar_t* v64, const wchar_t* v9, const wchar_t* v30) {
  switch (variant) {
    case PlayerVariant::V40: return v40;
    case PlayerVariant::V64: return v64;
    case PlayerVariant::V9: return v9;
    default: return v30;
  }
}

bool isOneOf(const std::wstring& value, std::initializer_list<const wchar_t*> list) {
  for (const wchar_t* item : list) {
    if (value == item) return true;
  }
  return false;
}

std::wstring formatRegion(const wchar_t* format, const std::wstring& region, const wchar_t* suffix) {
  std::wstring pattern = std::wstring(format) + suffix;
  wchar_t buffer[256] = {};
  _snwprintf(buffer, 255, pattern.c_str(), region.c_str());
  return buffer;
}

const buildconfig::AnalyticsIds& analyticsIdsFor(const std::wstring& region) {
  for (const buildconfig::AnalyticsIds& ids : buildconfig::kAnalyticsIds) {
    if (!ids.region || region == ids.region) return ids;
  }
  return buildconfig::kAnalyticsIds[sizeof(buildconfig::kAnalyticsIds) / sizeof(buildconfig::kAnalyticsIds[0]) - 1];
}

// Set once start-up is over; read by every writer.
std::atomic<bool> g_frozen{false};

#if VEL_THREAD_CHECKS_ON
// A write after start-up would race the readers on the workers.
[[noreturn]] void writtenAfterStartup() {
  VEL_LOG(L"settings written after start-up");
  std::fprintf(stderr, "settings written after start-up\n");
  std::fflush(stderr);
  std::abort();
}
#endif

}  // namespace

ConfigImp& ConfigImp::settings() {
  static ConfigImp* config = new ConfigImp();  // never destroyed: workers may read it at exit
  return *config;
}

const ConfigImp& ConfigImp::instance() { return settings(); }

ConfigImp& ConfigImp::startup() {
  if (!g_frozen.load()) return settings();
#if VEL_THREAD_CHECKS_ON
  writtenAfterStartup();
#else
  VEL_LOG(L"settings written after start-up: dropped");
  static ConfigImp* scratch = new ConfigImp(settings());
  return *scratch;
#endif
}

void ConfigImp::freeze() { g_frozen.store(true); }

void ConfigImp::resetForTest() {
  settings() = ConfigImp();
  g_frozen.store(false);
}

PlayerVariant ConfigImp::variant() const {
  if (is4_) return PlayerVariant::V40;
  if (is64_) return PlayerVariant::V64;
  if (is9_) return PlayerVariant::V9;
  return PlayerVariant::V30;
}

void ConfigImp::setPlayer4() {
  is4_ = true;
  is64_ = false;
  is9_ = false;
  VEL_LOG(L"player is 4");
}

void ConfigImp::setPlayer64() {
  is4_ = false;
  is64_ = true;
  is9_ = false;
  VEL_LOG(L"player is 64");
}

void ConfigImp::setPlayer9() {
  is4_ = false;
  is64_ = false;
  is9_ = true;
}

void ConfigImp::setPlayer3() {
  is4_ = false;
  is64_ = false;
  is9_ = false;
}

std::wstring ConfigImp::variantFolderName() const {
  if (isDomestic()) return pick(variant(), L"VelPlayer4.0\\", L"VelPlayer64\\", L"VelPlayer9\\", L"VelPlayer3.0\\");
  return pick(variant(), L"4.0\\", L"VelPlayer64\\", L"VelPlayer9\\", L"VelPlayer3.0\\");
}

std::wstring ConfigImp::variantRelativeInstallPath() const {
  if (isDomestic()) {
    return pick(variant(), L"Morvane\\VelPlayer4.0\\", L"Morvane\\VelPlayer64\\", L"Morvane\\VelPlayer9\\",
                L"Morvane\\VelPlayer3.0\\");
  }
  return pick(variant(), L"VelPlayer\\VelPlayer4.0\\", L"VelPlayer\\VelPlayer64\\", L"VelPlayer\\VelPlayer9\\",
              L"VelPlayer\\VelPlayer3.0\\");
}

std::wstring ConfigImp::productName() const { return L"VelPlayer"; }

std::wstring ConfigImp::playerFilesBaseUrl(bool resourceHost) const {
  return std::wstring(resourceHost ? buildconfig::kResourceOrigin : buildconfig::kCdnOrigin) + L"/player_files/en/morvane";
}

std::wstring ConfigImp::setupDownloadUrl(bool resourceHost) const {
  const wchar_t* file = pick(variant(), L"VelPlayer4.0.exe", L"VelPlayer64.exe", L"VelPlayer9.0.exe", L"VelPlayer3.0.exe");
  return std::wstring(resourceHost ? buildconfig::kResourceOrigin : buildconfig::kCdnOrigin) + L"/download/package/" + file;
}

std::wstring ConfigImp::homePage() const {
  if (isDomestic()) return buildconfig::kHomeDomestic;
  if (isOneOf(region_, {L"tw", L"kr", L"vn", L"th", L"ru", L"pt", L"id", L"es", L"fr", L"jp", L"ar", L"fa", L"de"})) {
    return formatRegion(buildconfig::kHomeRegionalFormat, region_, L"");
  }
  return buildconfig::kHomeInternational;
}

std::wstring ConfigImp::licencePageUrl() const {
  std::wstring home = isDomestic() ? buildconfig::kHomeDomestic : buildconfig::kHomeInternational;
  while (!home.empty() && home.back() == L'/') home.pop_back();
  return home + L"/other/protocol.html";
}

std::wstring ConfigImp::customerInfoUrl() const {
  return std::wstring(buildconfig::kCdnOrigin) + L"/player_files/en/morvaneex";
}

std::wstring ConfigImp::channelCheckUrl() const {
  return formatRegion(buildconfig::kApiOriginFormat, region_, L"/check/machine/channel?m=");
}

std::wstring ConfigImp::browserDownloadUrl() const {
  if (isDomestic()) return buildconfig::kHomeDomestic;
  return std::wstring(buildconfig::kDriveOrigin) + L"/uc?id=" + buildconfig::kDriveFileId + L"&export=download";
}

std::wstring ConfigImp::installedPlayerRegistryKey() const {
  if (isDomestic()) {
    return pick(variant(), L"Software\\morvane\\VelPlayer", L"Software\\morvane\\VelPlayer64", L"Software\\morvane\\VelPlayer9",
                L"Software\\Quillon2\\ovplayer");
  }
  return pick(variant(), L"Software\\Tessaro\\VelPlayer", L"Software\\Tessaro\\VelPlayer64", L"Software\\Tessaro\\VelPlayer9",
              L"Software\\Quillon\\VelPlayer");
}

std::wstring ConfigImp::languageBundleFile() const {
  bool ownBundle = isOneOf(region_, {L"cn", L"tw", L"kr", L"vn", L"th", L"ru", L"pt", L"fr", L"jp", L"es", L"id", L"ar",
                                     L"fa", L"tr", L"de"});
  return L"language\\downloader_" + (ownBundle ? region_ : std::wstring(L"en")) + L".xml";
}

std::wstring ConfigImp::openIdConfigUrl(const std::wstring& name) const {
  const wchar_t* origin = isDomestic() ? buildconfig::kDomesticResourceOrigin : buildconfig::kCdnOrigin;
  return std::wstring(origin) + L"/player_files/openidconfig/" + name + L".data";
}

std::wstring ConfigImp::analyticsMeasurementId() const { return analyticsIdsFor(region_).measurementId; }
std::wstring ConfigImp::analyticsApiSecret() const { return analyticsIdsFor(region_).apiSecret; }

std::wstring ConfigImp::playerExecutablePath(const std::wstring& folder) const {
  return folder + (isDomestic() ? L"\\velinst.exe" : L"\\VelPlayer.exe");
}
