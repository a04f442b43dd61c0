#include "model/downloader_model.h"

#include <cwctype>

#include <pugixml.hpp>

#include "core/main_thread_dispatcher.h"
#include "identity/config_imp.h"
#include "identity/identity.h"
#include "model/address_worker.h"
#include "model/download_rules.h"
#include "model/installer_endpoint.h"
#include "model/player_launch.h"
#include "model/setup_download.h"
#include "model/setup_run.h"
#include "telemetry/event_catalogue.h"
#include "telemetry/vel_reporter.h"
#include "utility/command_line.h"
#include "utility/disk.h"
#include "utility/encoding.h"
#include "utility/log.h"
#include "utility/reg_key.h"
#include "utility/ufile.h"
#include "utility/window_ipc.h"

namespace {

DownloaderModel* g_model = nullptr;

// Owner keys for the models' window tasks: small odd numbers, never an object's address.
// Ticks of the address-wait timer over the whole process.
int g_addressWaitTicks = 0;

std::wstring lowerCase(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// What a worker holds instead of the model: it posts window-thread tasks under the model's
// owner key, which teardown withdraws, so the model is only reached on the window thread
// while it lives.
using WindowPoster = std::function<void(std::function<void()>)>;
WindowPoster windowPoster(const void* owner) {
  return [owner](std::function<void()> task) {
    if (MainThreadDispatcher* dispatcher = MainThreadDispatcher::instance()) {
      dispatcher->post(owner, makeRunable(std::move(task)));
    }
  };
}

// The folder with one final backslash, as every join below it expects; empty stays empty.
std::wstring asFolder(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder;
}

// Sets its event when it goes out of scope, however the worker's task ends.
struct SetOnExit {
  explicit SetOnExit(std::shared_ptr<utility::UniqueHandle> event) : event_(std::move(event)) {}
  ~SetOnExit() {
    if (event_ && *event_) SetEvent(event_->get());
  }
  SetOnExit(const SetOnExit&) = delete;
  SetOnExit& operator=(const SetOnExit&) = delete;
  std::shared_ptr<utility::UniqueHandle> event_;
};

// An absent value, or one that does not fit 2048 bytes, reads as empty.
std::wstring readInstallDir(const std::wstring& key) {
  utility::RegKey regKey;
  if (regKey.openOrCreate(HKEY_CURRENT_USER, key, KEY_READ) != ERROR_SUCCESS) return std::wstring();
  std::wstring folder;
  regKey.readString(L"InstallDir", 2048, folder);
  return folder;
}

}  // namespace

DownloaderModel* DownloaderModel::create() {
  if (!g_model) g_model = new DownloaderModel();
  return g_model;
}

DownloaderModel* DownloaderModel::instance() { return g_model; }

DownloaderModel::DownloaderModel()
    : ownerKey_(newOwnerKey()), setupWaitMilliseconds_(SetupRunJob::kSetupWaitMilliseconds) {}

DownloaderModel::~DownloaderModel() { teardown(); }

void DownloaderModel::destroyInstance() {
  delete g_model;
  g_model = nullptr;
}

bool DownloaderModel::popupExistPwnd() {
  utility::UniqueHandle mutex(CreateMutexW(nullptr, FALSE, installer_endpoint::kIdentifier));
  if (mutex && GetLastError() != ERROR_ALREADY_EXISTS) {
    singleInstanceMutex_ = std::move(mutex);
    VEL_LOG(L"wnd not exist");
    return false;
  }
  mutex.reset();
  // The running copy may not have its endpoint yet; the request is then lost.
  utility::WindowIPC peer;
  if (peer.open(installer_endpoint::kIdentifier, L"")) peer.post(installer_endpoint::kShowWindow, 0, 0);
  VEL_LOG(L"wnd exist");
  return true;
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

  ConfigImp& config = ConfigImp::startup();
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
  startAddressWorker();
}

void DownloaderModel::startAddressWorker() {
  if (addressJob_) return;
  const ConfigImp& config = ConfigImp::instance();
  auto job = std::make_shared<AddressJob>();
  job->cdnAddressUrl = config.playerFilesBaseUrl(false);
  job->secondHostAddressUrl = config.playerFilesBaseUrl(true);
  job->openId = openId_;
  job->packageName = packageName_;
  job->openIdConfigUrl = config.openIdConfigUrl(openId_);
  // The address was always formatted into 256 characters.
  job->channelUrl = (config.channelCheckUrl() + analytics_.getPCID()).substr(0, 255);
  job->customerInfoUrl = config.customerInfoUrl();
  job->languageCode = languageRecord_.shortCode.empty() ? L"en" : languageRecord_.shortCode;
  job->gamesEmpty = games_.empty();

  // The worker may outlive the model (abandoned at teardown): it holds only the poster, and
  // the model is reached inside window tasks, which teardown withdraws.
  WindowPoster post = windowPoster(ownerKey_);
  DownloaderModel* model = this;
  job->results.addressText = [post, model](const std::string& text) {
    post([model, text] { model->applyPlayerAddressText(text); });
  };
  job->results.addressFailed = [post, model] { post([model] { model->addressReady_ = true; }); };
  job->results.campaign = [post, model](std::vector<GameRecord> games, Branding branding) {
    post([model, games, branding] {
      model->games_.insert(model->games_.end(), games.begin(), games.end());
      model->branding_ = branding;
    });
  };
  job->results.channelId = [post, model](const std::wstring& id) { post([model, id] { model->machineChannelId_ = id; }); };
  job->results.customerInfo = [post, model](const CustomerInfo& info) {
    post([model, info] { model->customerInfo_ = info; });
  };
  addressJob_ = job;
  addressWorker_.start(makeRunable([job] {
    // A task that throws (a failed allocation on a huge answer) ends as a failed fetch.
    try {
      _threadGetPlayerUrl(job);
    } catch (...) {
      VEL_LOG(L"address worker failed with an exception");
      if (job->results.addressFailed) job->results.addressFailed();
    }
  }));
}

void DownloaderModel::applyPlayerAddressText(const std::string& text) {
  VEL_LOG(L"start parse data");
  if (!readPlayerAddresses(text, ConfigImp::instance().variant(), addresses_, player4Addresses_)) {
    VEL_LOG(L"error parse");
    events::reportDownloadAddressFail();
    addressReady_ = true;
    return;
  }
  addressReady_ = true;
  VEL_LOG(L"version:%s url:%s spare url:%s", addresses_.version.c_str(), addresses_.url.c_str(),
          addresses_.spareUrl.c_str());
}

std::wstring DownloaderModel::setupFilePath() const {
  std::wstring folder = installPath_;
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  return ConfigImp::instance().playerExecutablePath(folder);
}

uint32_t DownloaderModel::installStartTick() const { return setupRun_ ? setupRun_->startTick.load() : 0; }

void DownloaderModel::startInstallPlayer() {
  // One run at a time: a run still going is asked to end and given its limit.
  if (setupRun_) setupRun_->cancel();
  stopWorker(setupRunWorker_);

  auto job = std::make_shared<SetupRunJob>();
  job->openId = openId_;
  job->languageCode = uiLanguageCode_;
  job->installPath = installPath_;
  job->googleId = googleId_;
  job->machineChannelId = machineChannelId_;
  job->setupFile = setupFilePath();
  job->branding = branding_;
  if (addressJob_) job->answers = addressJob_->answers;
  job->setupWaitMilliseconds = setupWaitMilliseconds_;
  job->heldSetup = std::move(heldSetup_);
  // The worker never touches the model: what it reports is applied on the window thread,
  // where a task still queued at teardown is withdrawn with the model's others.
  // The worker may outlive the model (abandoned at teardown), so it holds the owner key,
  // not the model; the model is only reached inside tasks that run while the key is live.
  DownloaderModel* model = this;
  WindowPoster post = windowPoster(ownerKey_);
  setupReport_ = SetupReport::kNone;
  std::wstring openId = openId_;
  job->setupFileMissing = [post, model, openId] {
    post([model, openId] { events::sendSetupFileMissing(model->analytics_, openId); });
  };
  job->finished = [post, model](bool setupRan) {
    post([model, setupRan] {
      // The setup's window messages were posted before it ended, so they are in by now.
      const bool succeeded = setupRan && model->setupReport_ == SetupReport::kSucceeded;
      if (setupRan && !succeeded) {
        VEL_LOG(L"setup ended without reporting success (%s)",
                model->setupReport_ == SetupReport::kFailed ? L"failure reported" : L"nothing reported");
      }
      if (model->callbacks_.installFinished) model->callbacks_.installFinished(succeeded);
    });
  };
  setupRun_ = job;
  setupRunWorker_.start(makeRunable([job] {
    try {
      _threadInsPlayer(*job);
    } catch (...) {
      VEL_LOG(L"setup run failed with an exception");
      if (job->finished) job->finished(false);
    }
  }));
}

void DownloaderModel::onSetupReported(bool succeeded) {
  // A failure once reported stays: a later success message does not undo it.
  if (setupReport_ == SetupReport::kFailed) return;
  setupReport_ = succeeded ? SetupReport::kSucceeded : SetupReport::kFailed;
}

void DownloaderModel::setInstallPath(const std::wstring& path) { installPath_ = asFolder(path); }

void DownloaderModel::setLanguage(const std::wstring& localeName) {
  localeName_ = localeName;
  uiLanguageCode_ = languageCodeForLocale(localeName);
}

void DownloaderModel::launchPlayer() {
  std::wstring argument;
  if (!packageName_.empty()) {
    argument = utility::command_line::argument(L"downloadpackage=" + packageName_ + L"|package=" + packageName_);
  }
  runPlayer(argument);
}

void DownloaderModel::runPlayer(const std::wstring& argument) {
  player_launch::runPlayer(installPath_, argument, player_launch::systemShell());
}

void DownloaderModel::onAddressWaitTick(bool resume) {
  int before = g_addressWaitTicks++;
  if (before == 0 && !addressReady_) return;
  addressReady_ = true;
  addressWaitTimer_.stop();
  startDownloadPlayer(resume);
}

void DownloaderModel::stopWorker(WorkerThread& worker) {
  worker.requestStop();
  worker.stop(kWorkerStopMilliseconds);
}

void DownloaderModel::startDownloadPlayer(bool resume) {
  if (!addressReady_) {
    VEL_LOG(L"start downloader. bug getting player url");
    DownloaderModel* model = this;
    addressWaitTimer_.start(kAddressWaitMilliseconds, makeRunable([model, resume] { model->onAddressWaitTick(resume); }));
    return;
  }
  const ConfigImp& config = ConfigImp::instance();
  if (addresses_.url.empty()) {
    addresses_.url = config.setupDownloadUrl(false);
    addresses_.spareUrl = config.setupDownloadUrl(true);
    events::sendDownloadDefaultUrl(analytics_, openId_);
  }

  // At most one download at a time: the previous one is cancelled and given its limit.
  if (setupDownload_) setupDownload_->cancel();
  stopWorker(downloadWorker_);

  DownloaderModel* model = this;
  WindowPoster post = windowPoster(ownerKey_);
  auto download = std::make_shared<SetupDownload>(
      [post, model](int64_t received, int64_t total) {
        // Without an announced length the percentage comes from the assumed total, which
        // keeps it below 100; the window gets -1 and shows only what has arrived.
        const int percent = download_rules::percentOf(received, download_rules::displayTotal(received, total));
        const int shownTotal = total < 0 ? -1 : static_cast<int>(total);
        post([model, percent, received, shownTotal] {
          if (model->callbacks_.downloadProgress) {
            model->callbacks_.downloadProgress(percent, static_cast<int>(received), shownTotal);
          }
        });
      },
      [post, model](int percent) {
        post([model, percent] {
          if (model->callbacks_.downloadPercent) model->callbacks_.downloadPercent(percent);
        });
      });
  SetupChecker checker = setupChecker_;
  if (!checker) {
    std::wstring md5 = addresses_.md5;
    checker = [md5](const std::wstring& file) { return checkDownloadedSetup(file, md5, buildconfig::kSetupPublisher); };
  }
  download->setChecker(checker);
  download->setRouteStarted([post, model](RouteFacts facts) { post([model, facts] { model->routeFacts_ = facts; }); });
  heldSetup_.reset();
  setupDownload_ = download;
  downloadStartTick_ = GetTickCount();
  std::wstring folder = installPath_, path = setupFilePath(), mainUrl = addresses_.url, spareUrl = addresses_.spareUrl;
  uint32_t startTick = downloadStartTick_;
  std::shared_ptr<utility::UniqueHandle> previousWriterDone = downloadWriterDone_;
  auto writerDone = std::make_shared<utility::UniqueHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  downloadWriterDone_ = writerDone;
  downloadWorker_.start(makeRunable([post, model, download, folder, path, mainUrl, spareUrl, resume, startTick,
                                     previousWriterDone, writerDone] {
    SetOnExit doneOnExit(writerDone);
    // A previous worker abandoned at its stop limit may still write the setup file.
    if (previousWriterDone && *previousWriterDone &&
        WaitForSingleObject(previousWriterDone->get(), 0) != WAIT_OBJECT_0) {
      VEL_LOG(L"download waits for the previous writer");
      HANDLE handles[2] = {previousWriterDone->get(), WorkerThread::stopEventOfThisThread()};
      if (WaitForMultipleObjects(handles[1] ? 2 : 1, handles, FALSE, INFINITE) != WAIT_OBJECT_0) return;
    }
    VEL_LOG(L"download player");
    if (!utility::ufile::exists(folder)) utility::ufile::makeDir(folder);
    if (!resume) utility::ufile::removeFile(path);
    SetupDownloadResult result;
    try {
      result = download->run(path, mainUrl, spareUrl, resume);
    } catch (...) {
      VEL_LOG(L"setup download failed with an exception");
      result = SetupDownloadResult();
    }
    // A download cancelled by its owner reports nothing: the owner is going or starting anew.
    if (!download->cancelled()) {
      if (result.success) {
        std::shared_ptr<utility::UniqueHandle> held = result.heldSetup;
        post([model, held] {
          model->heldSetup_ = held;
          if (model->callbacks_.downloadSucceeded) model->callbacks_.downloadSucceeded();
        });
        events::reportDownloadSuccess(result.facts);
        events::reportDownloadDuration(static_cast<int>(GetTickCount() - startTick), result.facts);
      } else {
        int64_t partial = result.partialSize;
        post([model, partial] {
          if (model->callbacks_.downloadFailed) model->callbacks_.downloadFailed(partial);
        });
        events::reportDownloadFail(result.wininetFirstCode, result.wininetSecondCode);
      }
    }
    VEL_LOG(L"download finished, success = %d", result.success ? 1 : 0);
  }));
}

void DownloaderModel::teardown() {
  addressWaitTimer_.stop();
  singleInstanceMutex_.reset();
  if (addressJob_) addressJob_->cancel();
  stopWorker(addressWorker_);
  if (setupDownload_) setupDownload_->cancel();
  stopWorker(downloadWorker_);
  if (setupRun_) setupRun_->cancel();
  stopWorker(setupRunWorker_);
  analytics_.setDisabled(true);
  if (MainThreadDispatcher* dispatcher = MainThreadDispatcher::instance()) dispatcher->cancel(ownerKey_);
}

void DownloaderModel::applyFileName(const std::wstring& modulePath) {
  std::wstring name = utility::ufile::fileName(modulePath, false);
  VEL_LOG(L"DownloaderModel exe filename= %s", name.c_str());
  FileNameIdentity identity = parseInstallerFileName(name);
  if (!identity.present) return;
  VEL_LOG(L"type: %s, package:%s, openID:%s google id %s", identity.type.c_str(), identity.package.c_str(),
          identity.openId.c_str(), identity.googleId.c_str());
  VEL_LOG(L"model. type: %s, language %s package:%s, openID:%s", identity.type.c_str(), identity.language.c_str(),
          identity.package.c_str(), identity.openId.c_str());

  // The name is anyone's to choose: a value outside its grammar is dropped, as if absent.
  if (!identity.openId.empty() && !isOpenId(identity.openId)) {
    VEL_LOG(L"open id dropped: [%s]", identity.openId.c_str());
    identity.openId.clear();
  }
  if (!identity.language.empty() && identity.language.size() <= 3 && !isLanguageToken(identity.language)) {
    VEL_LOG(L"language dropped: [%s]", identity.language.c_str());
    identity.language.clear();
  }
  if (identity.package.size() > 5 && !isPackageName(identity.package)) {
    VEL_LOG(L"package dropped: [%s]", identity.package.c_str());
    identity.package.clear();
  }
  if (!identity.googleId.empty() && !isGoogleId(identity.googleId)) {
    VEL_LOG(L"google id dropped: [%s]", identity.googleId.c_str());
    identity.googleId.clear();
  }

  ConfigImp& config = ConfigImp::startup();
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
  if (!package.empty() && !isPackageName(package)) {
    VEL_LOG(L"package dropped: [%s]", package.c_str());
    package.clear();
  }
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
  const ConfigImp& config = ConfigImp::instance();
  PlayerVariant variant = config.variant();
  if (variant == PlayerVariant::V9 || variant == PlayerVariant::V30) {
    if (config.region() == L"tw") {
      installPath_ = readInstallDir(L"Software\\Quillon\\ovplayer-tw");
    } else if (config.region() == L"kr") {
      installPath_ = readInstallDir(L"Software\\Quillon\\ovplayer-kr");
    }
  }
  if (installPath_.empty()) installPath_ = readInstallDir(config.installedPlayerRegistryKey());
  // The value is the player's own, with or without its final backslash.
  installPath_ = asFolder(installPath_);
  VEL_LOG(L"read from reg: path is %s", installPath_.c_str());

  if (!installPath_.empty()) {
    installedPlayerFound_ = true;
    return;
  }
  bool ssd = false;
  std::wstring root = helper::bestInstallDrive(&ssd);
  recommendedIsSsd_ = ssd;
  installPath_ = asFolder(root + config.variantRelativeInstallPath());
  recommendedInstallPath_ = installPath_;
  VEL_LOG(L"get install path from MaxFreeSpace: %s", installPath_.c_str());
}

void DownloaderModel::switchToPlayer4() {
  ConfigImp::startup().setPlayer4();
  installPath_.clear();
  _calcInstallPath();
  addresses_.version = player4Addresses_.version;
  addresses_.url = player4Addresses_.url;
  addresses_.spareUrl = player4Addresses_.spareUrl.empty() ? player4Addresses_.url : player4Addresses_.spareUrl;
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
