#include "model/downloader_model.h"

#include <cwctype>

#include <pugixml.hpp>

#include "core/main_thread_dispatcher.h"
#include "identity/config_imp.h"
#include "identity/identity.h"
#include "model/address_worker.h"
#include "model/download_rules.h"
#include "model/game_files.h"
#include "model/game_handover.h"
#include "model/game_install_job.h"
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
#include "utility/process.h"
#include "utility/reg_key.h"
#include "utility/ufile.h"
#include "utility/user_shell.h"
#include "utility/window_ipc.h"

namespace {

std::wstring lowerCase(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
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

// The game worker's reports, as replies to the model: withdrawn with the model's others.
class ModelGameSink : public GameInstallSink {
 public:
  explicit ModelGameSink(ReplyPoster<DownloaderModel> reply) : reply_(reply) {}
  void gameCounted() override {
    reply_.post([](DownloaderModel& model) {
      model.tell([](ModelObserver& observer) { observer.showGameCounted(); });
    });
  }
  void downloadProgress(int64_t current, int64_t total) override {
    reply_.post([current, total](DownloaderModel& model) {
      model.tell([&](ModelObserver& observer) { observer.showGameDownloadProgress(current, total); });
    });
  }
  void installWaiting() override {
    reply_.post([](DownloaderModel& model) {
      model.tell([](ModelObserver& observer) { observer.showGameInstallWaiting(); });
    });
  }
  void finished(const std::wstring& lastPackage) override {
    reply_.post([lastPackage](DownloaderModel& model) {
      model.lastGamePackage_ = lastPackage;
      model.take(install_flow::Input::kGamesFinished);
    });
  }

 private:
  ReplyPoster<DownloaderModel> reply_;
};

DownloaderModel::DownloaderModel()
    : setupWaitMilliseconds_(SetupRunJob::kSetupWaitMilliseconds),
      gameConsoleWait_(GameInstallJob::kConsoleWaitMilliseconds) {}

DownloaderModel::~DownloaderModel() {
  VEL_CHECK_THREAD(thread_);
  teardown();
}

void DownloaderModel::setObserver(ModelObserver* observer) {
  VEL_CHECK_THREAD(thread_);
  observer_ = observer;
}

// ---- The flow ------------------------------------------------------------------------------

void DownloaderModel::take(install_flow::Input input, const install_flow::Facts& facts) {
  VEL_CHECK_THREAD(thread_);
  const install_flow::State before = flow_.state();
  const std::vector<install_flow::Step> steps = flow_.take(input, facts);
  if (flow_.state() != before) {
    VEL_LOG(L"flow: %s -> %s (%s)", utility::fromUtf8(install_flow::stateName(before)).c_str(),
            utility::fromUtf8(install_flow::stateName(flow_.state())).c_str(),
            utility::fromUtf8(install_flow::inputName(input)).c_str());
  }
  for (install_flow::Step step : steps) runStep(step);
}

void DownloaderModel::runStep(install_flow::Step step) {
  using install_flow::Step;
  // The steps that are only shown.
  struct Shown {
    Step step;
    void (ModelObserver::*call)();
  };
  static const Shown kShown[] = {
      {Step::kShowInstalling, &ModelObserver::showInstalling},
      {Step::kShowDownloadRetry, &ModelObserver::showDownloadRetry},
      {Step::kOfferBrowserDownload, &ModelObserver::offerBrowserDownload},
      {Step::kShowInstallFailed, &ModelObserver::showInstallFailed},
      {Step::kLeave, &ModelObserver::leave},
      {Step::kConfirmExit, &ModelObserver::confirmExit},
      {Step::kOfferSlowDownloadChoice, &ModelObserver::offerSlowDownloadChoice},
      {Step::kNoticeInstalling, &ModelObserver::noticeInstalling},
      {Step::kCloseNow, &ModelObserver::closeNow},
  };
  for (const Shown& shown : kShown) {
    if (shown.step == step) {
      tell([&](ModelObserver& observer) { (observer.*shown.call)(); });
      return;
    }
  }
  switch (step) {
    case Step::kStartAddressWait: {
      VEL_LOG(L"start downloader. bug getting player url");
      DownloaderModel* model = this;
      addressWaitTimer_.start(kAddressWaitMilliseconds,
                              makeRunable([model] { model->take(install_flow::Input::kAddressWaitTick); }));
      break;
    }
    case Step::kStopAddressWait:
      addressWaitTimer_.stop();
      break;
    case Step::kStartDownload:
    case Step::kResumeDownload:
      startDownloadPlayer(step == Step::kResumeDownload);
      break;
    case Step::kStartSetupRun:
      startInstallPlayer();
      break;
    case Step::kHandOverFirstGame:
      if (!games_.empty()) runPlayer(gameHandoverArgument(games_.front()));
      break;
    case Step::kStartGames:
      startGames();
      break;
    case Step::kLaunchPlayer:
      launchPlayer();
      break;
    case Step::kStartPlayerWithLastGame:
      startPlayerWithLastGame();
      break;
    case Step::kShowFinished:
      VEL_LOG(L"install finished, finish page");
      tell([](ModelObserver& observer) { observer.showFinished(); });
      break;
    default:
      break;
  }
}

void DownloaderModel::install() {
  VEL_LOG(L"install now: %s", installPath_.c_str());
  take(install_flow::Input::kInstallClicked);
}

void DownloaderModel::retryDownload() { take(install_flow::Input::kRetryClicked); }

void DownloaderModel::startPlayer() { take(install_flow::Input::kStartClicked); }

void DownloaderModel::requestClose() { take(install_flow::Input::kCloseClicked); }

void DownloaderModel::onSetupRunEnded(bool setupRan) {
  // The setup's window messages were posted before it ended, so they are in by now.
  const install_flow::InstallFlow::SetupReport report = flow_.setupReport();
  if (setupRan && report != install_flow::InstallFlow::SetupReport::kSucceeded) {
    VEL_LOG(L"setup ended without reporting success (%s)",
            report == install_flow::InstallFlow::SetupReport::kFailed ? L"failure reported" : L"nothing reported");
  }
  install_flow::Facts facts;
  facts.setupRan = setupRan;
  facts.hasGames = !games_.empty();
  facts.firstGameHandsOver = facts.hasGames && !gameHandoverArgument(games_.front()).empty();
  facts.hasPackage = !packageName_.empty();
  take(install_flow::Input::kSetupEnded, facts);
}

void DownloaderModel::startGames() {
  if (games_.empty()) return;
  tell([this](ModelObserver& observer) { observer.showGamePage(games_.front()); });
  if (gameJob_) return;  // started once per run
  gameJob_.reset(new GameInstallJob(std::make_shared<ModelGameSink>(replies_.replyTo(this))));
  gameJob_->setConsoleWait(gameConsoleWait_);
  if (!gameJob_->start(installPath_, games_)) VEL_LOG(L"game worker not started");
}

void DownloaderModel::startPlayerWithLastGame() {
  // The user's desktop shell starts it without the installer's rights; elevated as before
  // only where that shell cannot be asked.
  const std::wstring player = game_files::playerProgram(installPath_);
  const std::wstring argument = game_files::playerArgument(lastGamePackage_);
  if (!utility::user_shell::shellExecute(player, argument, false)) utility::process::shell(player, argument, true, false);
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
  VEL_CHECK_THREAD(thread_);
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

  // The worker may outlive the model (abandoned at teardown): it holds only the reply
  // poster, whose replies teardown withdraws.
  ReplyPoster<DownloaderModel> reply = replies_.replyTo(this);
  job->results.addressText = [reply](const std::string& text) {
    reply.post([text](DownloaderModel& model) { model.applyPlayerAddressText(text); });
  };
  job->results.addressFailed = [reply] {
    reply.post([](DownloaderModel& model) { model.take(install_flow::Input::kAddressesReady); });
  };
  job->results.campaign = [reply](std::vector<GameRecord> games, Branding branding) {
    reply.post([games, branding](DownloaderModel& model) {
      model.games_.insert(model.games_.end(), games.begin(), games.end());
      model.branding_ = branding;
    });
  };
  job->results.channelId = [reply](const std::wstring& id) {
    reply.post([id](DownloaderModel& model) { model.machineChannelId_ = id; });
  };
  job->results.customerInfo = [reply](const CustomerInfo& info) {
    reply.post([info](DownloaderModel& model) { model.customerInfo_ = info; });
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
  VEL_CHECK_THREAD(thread_);
  VEL_LOG(L"start parse data");
  if (!readPlayerAddresses(text, ConfigImp::instance().variant(), addresses_, player4Addresses_)) {
    VEL_LOG(L"error parse");
    events::reportDownloadAddressFail();
    take(install_flow::Input::kAddressesReady);
    return;
  }
  take(install_flow::Input::kAddressesReady);
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
  VEL_CHECK_THREAD(thread_);
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
  // The worker may outlive the model (abandoned at teardown): what it reports comes back as
  // replies, withdrawn with the model's others.
  ReplyPoster<DownloaderModel> reply = replies_.replyTo(this);
  std::wstring openId = openId_;
  job->setupFileMissing = [reply, openId] {
    reply.post([openId](DownloaderModel& model) { events::sendSetupFileMissing(model.analytics_, openId); });
  };
  job->finished = [reply](bool setupRan) {
    reply.post([setupRan](DownloaderModel& model) { model.onSetupRunEnded(setupRan); });
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
  take(succeeded ? install_flow::Input::kSetupReportedSuccess : install_flow::Input::kSetupReportedFailure);
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

void DownloaderModel::stopWorker(WorkerThread& worker) {
  worker.requestStop();
  worker.stop(kWorkerStopMilliseconds);
}

void DownloaderModel::startDownloadPlayer(bool resume) {
  VEL_CHECK_THREAD(thread_);
  const ConfigImp& config = ConfigImp::instance();
  if (addresses_.url.empty()) {
    addresses_.url = config.setupDownloadUrl(false);
    addresses_.spareUrl = config.setupDownloadUrl(true);
    events::sendDownloadDefaultUrl(analytics_, openId_);
  }

  // At most one download at a time: the previous one is cancelled and given its limit.
  if (setupDownload_) setupDownload_->cancel();
  stopWorker(downloadWorker_);

  ReplyPoster<DownloaderModel> reply = replies_.replyTo(this);
  auto download = std::make_shared<SetupDownload>(
      [reply](int64_t received, int64_t total) {
        // Without an announced length the percentage comes from the assumed total, which
        // keeps it below 100; the window gets -1 and shows only what has arrived.
        const int percent = download_rules::percentOf(received, download_rules::displayTotal(received, total));
        const int shownTotal = total < 0 ? -1 : static_cast<int>(total);
        const int shownReceived = static_cast<int>(received);
        reply.post([percent, shownReceived, shownTotal](DownloaderModel& model) {
          model.tell([&](ModelObserver& observer) { observer.showDownloadProgress(percent, shownReceived, shownTotal); });
        });
      },
      [reply](int percent) {
        reply.post([percent](DownloaderModel& model) {
          model.tell([&](ModelObserver& observer) { observer.showDownloadPercent(percent); });
        });
      });
  SetupChecker checker = setupChecker_;
  if (!checker) {
    std::wstring md5 = addresses_.md5;
    checker = [md5](const std::wstring& file) { return checkDownloadedSetup(file, md5, buildconfig::kSetupPublisher); };
  }
  download->setChecker(checker);
  download->setRouteStarted([reply](RouteFacts facts) {
    reply.post([facts](DownloaderModel& model) { model.routeFacts_ = facts; });
  });
  heldSetup_.reset();
  setupDownload_ = download;
  downloadStartTick_ = GetTickCount();
  std::wstring folder = installPath_, path = setupFilePath(), mainUrl = addresses_.url, spareUrl = addresses_.spareUrl;
  uint32_t startTick = downloadStartTick_;
  std::shared_ptr<utility::UniqueHandle> previousWriterDone = downloadWriterDone_;
  auto writerDone = std::make_shared<utility::UniqueHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  downloadWriterDone_ = writerDone;
  downloadWorker_.start(makeRunable([reply, download, folder, path, mainUrl, spareUrl, resume, startTick,
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
        reply.post([held](DownloaderModel& model) {
          model.heldSetup_ = held;
          model.take(install_flow::Input::kDownloadSucceeded);
        });
        events::reportDownloadSuccess(result.facts);
        events::reportDownloadDuration(static_cast<int>(GetTickCount() - startTick), result.facts);
      } else {
        int64_t partial = result.partialSize;
        reply.post([partial](DownloaderModel& model) {
          install_flow::Facts facts;
          facts.partialKept = partial != 0;
          model.take(install_flow::Input::kDownloadFailed, facts);
        });
        events::reportDownloadFail(result.wininetFirstCode, result.wininetSecondCode);
      }
    }
    VEL_LOG(L"download finished, success = %d", result.success ? 1 : 0);
  }));
}

void DownloaderModel::teardown() {
  VEL_CHECK_THREAD(thread_);
  addressWaitTimer_.stop();
  // Stopped before the replies are withdrawn: after stop the game worker posts nothing more.
  if (gameJob_) gameJob_->stop(kWorkerStopMilliseconds);
  singleInstanceMutex_.reset();
  if (addressJob_) addressJob_->cancel();
  stopWorker(addressWorker_);
  if (setupDownload_) setupDownload_->cancel();
  stopWorker(downloadWorker_);
  if (setupRun_) setupRun_->cancel();
  stopWorker(setupRunWorker_);
  analytics_.setDisabled(true);
  replies_.cancel();
  observer_ = nullptr;
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
