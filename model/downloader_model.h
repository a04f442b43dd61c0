#pragma once
// The process-wide workflow model: who the installer is (variant, region, language,
// channel, game requests), where it proposes to install, what the service said, and the
// download of the player setup. It lives on the window thread: its state is written there
// only; workers get copies of what they read and hand their results back in posted tasks.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/dispatch_timer.h"
#include "core/task_owner.h"
#include "core/thread_checker.h"
#include "core/worker_thread.h"
#include "identity/game_record.h"
#include "model/install_flow.h"
#include "model/model_observer.h"
#include "model/service_documents.h"
#include "model/setup_download.h"
#include "skin/language_record.h"
#include "telemetry/google_analytics.h"
#include "utility/unique_handle.h"

class GameInstallJob;
class SetupDownload;
struct AddressJob;
struct SetupRunJob;

class DownloaderModel {
 public:
  // The application makes the one model at start-up and destroys it at shutdown; the
  // window and the boxes are handed it. Window thread: it lives there.
  DownloaderModel();
  ~DownloaderModel();
  DownloaderModel(const DownloaderModel&) = delete;
  DownloaderModel& operator=(const DownloaderModel&) = delete;

  // True when another copy of the installer runs (it has been asked to show its window);
  // otherwise this model keeps the single-instance mutex until teardown.
  bool popupExistPwnd();

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
  // The install folder, always ending with a backslash (or empty): every join below it
  // relies on that.
  const std::wstring& installPath() const { return installPath_; }
  void setInstallPath(const std::wstring& path);
  // The check of every downloaded setup (default: checkDownloadedSetup with the address
  // document's md5 and the build's publisher); tests of the flow with unsigned files replace it.
  void setSetupChecker(SetupChecker checker) { setupChecker_ = std::move(checker); }
  const std::wstring& recommendedInstallPath() const { return recommendedInstallPath_; }
  bool installedPlayerFound() const { return installedPlayerFound_; }
  bool recommendedIsSsd() const { return recommendedIsSsd_; }
  // Derived with the install path; tests invent one.
  void setRecommendation(const std::wstring& path, bool isSsd) {
    recommendedInstallPath_ = path;
    recommendedIsSsd_ = isSsd;
  }
  HINSTANCE instanceHandle() const { return instanceHandle_; }
  void setInstanceHandle(HINSTANCE instance) { instanceHandle_ = instance; }
  // Reads a string bundle (StringBundle/String id=... XML) into the bundle map.
  bool loadLanguage(const std::wstring& bundleText);
  const std::map<std::wstring, std::wstring>& bundleStrings() const { return bundle_; }

  // The analytics client: queued and immediate events, and the machine identifier.
  vbox::GoogleAnalytics& analytics() { return analytics_; }
  const std::wstring& analyticsMeasurementId() const { return analytics_.measurementId(); }
  const std::wstring& analyticsApiSecret() const { return analytics_.apiSecret(); }
  // Called at shutdown: stops the timer and the workers (bounded), cancels the model's
  // queued replies; no analytics event is accepted afterwards.
  void teardown();

  // The window that shows the flow, registered before the workflow starts and cleared when
  // it goes (null: nobody to tell).
  void setObserver(ModelObserver* observer);

  // The window's commands; each is an input of the install flow (model/install_flow.h).
  // Install: the setup page's input passed its checks.
  void install();
  // The download error box: resume the download.
  void retryDownload();
  // The finish page's Start.
  void startPlayer();
  // The close button, Alt+F4 or the taskbar: the observer hears the stage's answer.
  void requestClose();
  install_flow::State flowState() const { return flow_.state(); }
  // Tests that run one step alone start the flow where that step belongs.
  void setFlowForTest(const install_flow::InstallFlow& flow) { flow_ = flow; }

  // Window thread. Starts the address worker (once); the documents are then fetched in the
  // background and their results applied on the window thread.
  void startAddressWorker();
  // Window thread: the download step (the flow runs it; tests may run it alone). resume
  // false: from nothing; true: keep the partial files.
  void startDownloadPlayer(bool resume);
  // The player address reader, applied on the window thread.
  void applyPlayerAddressText(const std::string& text);

  // Window thread, the setup-run step after the download: runs the setup and the branding on
  // the setup-run worker; its end is the flow's "setup ended" input. Does not wait.
  void startInstallPlayer();
  // Window thread: the setup's own report of its outcome (its window messages).
  void onSetupReported(bool succeeded);
  // Window thread: the setup run is over (its worker's reply; tests of later stages feed it).
  void onSetupRunEnded(bool setupRan);
  // Game runs of the console program end after this long (tests shorten it).
  void setGameConsoleWait(DWORD milliseconds) { gameConsoleWait_ = milliseconds; }

  // How long the setup may run before it counts as failed (tests shorten it).
  void setSetupWaitLimit(DWORD milliseconds) { setupWaitMilliseconds_ = milliseconds; }
  // Window thread: the locale the user picked, and the setup's language code from it.
  void setLanguage(const std::wstring& localeName);
  // Window thread: starts the installed player with the installer's package, de-elevated.
  void launchPlayer();
  void runPlayer(const std::wstring& argument);

  bool addressReady() const { return flow_.addressesReady(); }
  const PlayerAddressSet& playerAddresses() const { return addresses_; }
  const PlayerAddressSet& player4Addresses() const { return player4Addresses_; }
  const Branding& branding() const { return branding_; }
  const std::wstring& machineChannelId() const { return machineChannelId_; }
  const std::wstring& installErrorText() const { return customerInfo_.installError; }
  const std::wstring& customerLink() const { return customerInfo_.customerLink; }
  // The setup file: the install folder's "VelPlayer.exe" ("velinst.exe" for "cn").
  std::wstring setupFilePath() const;
  uint32_t downloadStartTick() const { return downloadStartTick_; }
  // The latest setup route started (the defaults before any).
  RouteFacts routeFacts() const { return routeFacts_; }
  // The tick at which the setup run started the setup (0 before), for the full duration.
  uint32_t installStartTick() const;

  // How long stopping one worker may take at shutdown and before a new download starts.
  static constexpr DWORD kWorkerStopMilliseconds = 1000;
  static constexpr UINT kAddressWaitMilliseconds = 1000;

 private:
  void applyFileName(const std::wstring& modulePath);
  void deriveLanguage();
  void applyCommandLine(const wchar_t* commandLine);
  void startBackgroundWork();
  void take(install_flow::Input input, const install_flow::Facts& facts = install_flow::Facts());
  void runStep(install_flow::Step step);
  void startGames();
  void startPlayerWithLastGame();
  void stopWorker(WorkerThread& worker);
  template <class F>
  void tell(F call) {
    if (observer_) call(*observer_);
  }
  friend class ModelGameSink;

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

  ThreadChecker thread_;
  // The replies of this model's workers; teardown withdraws them.
  TaskOwner replies_;
  ModelObserver* observer_ = nullptr;
  install_flow::InstallFlow flow_;
  PlayerAddressSet addresses_;
  PlayerAddressSet player4Addresses_;
  Branding branding_;
  std::wstring machineChannelId_;
  CustomerInfo customerInfo_;
  uint32_t downloadStartTick_ = 0;
  RouteFacts routeFacts_;
  DWORD setupWaitMilliseconds_;
  utility::UniqueHandle singleInstanceMutex_;
  DispatchTimer addressWaitTimer_;
  WorkerThread addressWorker_;
  WorkerThread downloadWorker_;
  WorkerThread setupRunWorker_;
  // Shared with the worker using it, so a worker left running at exit keeps it alive.
  std::shared_ptr<struct AddressJob> addressJob_;
  std::shared_ptr<SetupDownload> setupDownload_;
  SetupChecker setupChecker_;
  // The checked setup, held from the check until the setup run has started it.
  std::shared_ptr<utility::UniqueHandle> heldSetup_;
  std::shared_ptr<SetupRunJob> setupRun_;
  std::unique_ptr<GameInstallJob> gameJob_;
  DWORD gameConsoleWait_;
  std::wstring lastGamePackage_;
  // Set when the last download's worker has ended: the next one waits for it before it
  // touches the setup file, so an abandoned writer never writes beside a new one.
  std::shared_ptr<utility::UniqueHandle> downloadWriterDone_;
};
