#include "model/downloader_model.h"

#include <cwctype>

#include <pugixml.hpp>

#include "identity/config_imp.h"
#include "identity/identity.h"
#include "telemetry/vel_reporter.h"
#include "utility/disk.h"
#include "utility/encoding.h"
#include "utility/log.h"
#include "utility/reg_key.h"
#include "utility/ufile.h"

namespace {

DownloaderModel* g_model = nullptr;

std::wstring lowerCase(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// An absent value, or one that does not fit 2048 bytes, reads as empty.
std::wstring readInstallDir(const std::wstring& key) {
  utility::RegKey regKey;
  if (regKey.openOrCreate(HKEY_CURRENT_USER, key, KEY_READ) != ERROR_SUCCESS) return std::wstring();
  std::wstring folder;
  regKey.readString(L"InstallDir", 2048, folder);
  return folder;
}

}  // namespace

DownloaderModel* DownloaderModel::instance() {
  if (!g_model) g_model = new DownloaderModel();
  return g_model;
}

void DownloaderModel::destroyInstance() {
  delete g_model;
  g_model = nullptr;
}

void DownloaderModel::init(const wchar_t* commandLine) {
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  initFrom(std::wstring(path, length < MAX_PATH ? length : 0), commandLine);
  startBackgroundWork();
}

void DownloaderModel::initFrom(const std::wstring& modulePath, const wchar_t* commandLine) {
  applyFileName(modulePath);
  deriveLanguage();
  languageRecord_ = languageRecordFor(uiLanguageCode_);

  ConfigImp& config = ConfigImp::instance();
  analytics_.setMeasurement(config.analyticsMeasurementId(), config.analyticsApiSecret());
  VEL_LOG(L"openid is %s, package is %s", openId_.c_str(), packageName_.c_str());

  _calcInstallPath();

  long openIdNumber = leadingInteger(openId_);
  if (openIdNumber >= 2001 && openIdNumber <= 2999) config.setAdId(L"VelPlayer Installer_200");
  VEL_LOG(L"ad id : %s", config.adId().c_str());

  applyCommandLine(commandLine);
}

void DownloaderModel::startBackgroundWork() {
  std::wstring clientId = analytics_.getPCID();
  VelReporter::instance().start(openId_, clientId, uiLanguageCode_);
  // The address worker starts here once the download workflow exists.
}

void DownloaderModel::teardown() { analytics_.setDisabled(true); }

void DownloaderModel::applyFileName(const std::wstring& modulePath) {
  std::wstring name = utility::ufile::fileName(modulePath, false);
  VEL_LOG(L"DownloaderModel exe filename= %s", name.c_str());
  FileNameIdentity identity = parseInstallerFileName(name);
  if (!identity.present) return;
  VEL_LOG(L"type: %s, package:%s, openID:%s google id %s", identity.type.c_str(), identity.package.c_str(),
          identity.openId.c_str(), identity.googleId.c_str());
  VEL_LOG(L"model. type: %s, language %s package:%s, openID:%s", identity.type.c_str(), identity.language.c_str(),
          identity.package.c_str(), identity.openId.c_str());

  ConfigImp& config = ConfigImp::instance();
  if (!identity.openId.empty() && openId_ == L"100") openId_ = identity.openId;
  if (!identity.language.empty() && identity.language.size() <= 3) {
    if (identity.language == L"ens") {
      config.setRegion(L"en");
    } else {
      config.setRegion(identity.language);
      uiLanguageCode_ = identity.language;
    }
  }
  if (identity.package.size() > 5) packageName_ = identity.package;
  googleId_ = identity.googleId;

  std::wstring type = lowerCase(identity.type);
  if (type == L"velplayer4") config.setPlayer4();
  if (type == L"velplayer64") config.setPlayer64();
  if (type == L"velplayer3") config.setPlayer3();
  if (type == L"velplayer9") config.setPlayer9();
}

void DownloaderModel::deriveLanguage() {
  if (!uiLanguageCode_.empty()) {
    localeName_ = localeForLanguageCode(uiLanguageCode_);
    return;
  }
  localeName_ = localeForUiLanguage(GetUserDefaultUILanguage());
  uiLanguageCode_ = languageCodeForLocale(localeName_);
}

void DownloaderModel::applyCommandLine(const wchar_t* commandLine) {
  std::map<std::wstring, std::wstring> pairs = parseCommandLinePairs(commandLine);
  if (pairs.empty()) return;
  std::wstring name = pairs[L"name"], package = pairs[L"package"], apkUrl = pairs[L"apkurl"];
  if (!apkUrl.empty()) {
    GameRecord game;
    game.downloadUrl = apkUrl;
    game.displayName = name;
    game.packageName = package;
    games_.push_back(game);
  }
  VEL_LOG(L"cmdline is %s, %s, %s", name.c_str(), package.c_str(), apkUrl.c_str());
}

void DownloaderModel::_calcInstallPath() {
  ConfigImp& config = ConfigImp::instance();
  PlayerVariant variant = config.variant();
  if (variant == PlayerVariant::V9 || variant == PlayerVariant::V30) {
    if (config.region() == L"tw") {
      installPath_ = readInstallDir(L"Software\\Quillon\\ovplayer-tw");
    } else if (config.region() == L"kr") {
      installPath_ = readInstallDir(L"Software\\Quillon\\ovplayer-kr");
    }
  }
  if (installPath_.empty()) installPath_ = readInstallDir(config.installedPlayerRegistryKey());
  VEL_LOG(L"read from reg: path is %s", installPath_.c_str());

  if (!installPath_.empty()) {
    installedPlayerFound_ = true;
    return;
  }
  bool ssd = false;
  std::wstring root = helper::bestInstallDrive(&ssd);
  recommendedIsSsd_ = ssd;
  installPath_ = root + config.variantRelativeInstallPath();
  recommendedInstallPath_ = installPath_;
  VEL_LOG(L"get install path from MaxFreeSpace: %s", installPath_.c_str());
}

void DownloaderModel::switchToPlayer4() {
  ConfigImp::instance().setPlayer4();
  installPath_.clear();
  _calcInstallPath();
  // The 4.0 variant's version and addresses from the player address document are adopted
  // here once the service documents are read.
}

bool DownloaderModel::loadLanguage(const std::wstring& bundleText) {
  VEL_LOG(L"load language length %d", static_cast<int>(bundleText.size()));
  std::string utf8 = utility::toUtf8(bundleText);
  pugi::xml_document document;
  pugi::xml_parse_result parsed = document.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) {
    VEL_LOG(L"language load from string error. length:%d, error:%d", static_cast<int>(bundleText.size()),
            static_cast<int>(GetLastError()));
    return false;
  }
  pugi::xml_node root = document.document_element();
  if (!root) {
    VEL_LOG(L"load language error. root is null");
    return false;
  }
  for (pugi::xml_node child : root.children("String")) {
    std::wstring id = utility::fromUtf8(child.attribute("id").value());
    std::wstring text = utility::fromUtf8(child.text().get());
    if (!id.empty() && !text.empty()) bundle_[id] = text;
  }
  return true;
}
