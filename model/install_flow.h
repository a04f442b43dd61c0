#pragma once
// The course of one install as a state machine. It takes every input (the window's
// commands, the workers' results, the setup's own messages) and answers with the steps to
// take, in order; the model runs them and the window shows them. Pure: no window, no
// thread, no clock, so every transition is tested directly.
#include <vector>

namespace install_flow {

enum class State {
  kFetchingAddresses,    // start-up: the player address document is on its way
  kReady,                // addresses known or given up: Install starts the download
  kWaitingForAddresses,  // Install came first: the address wait ticks
  kDownloading,
  kDownloadFailed,       // the retry box or the offer of the browser is up
  kInstalling,           // the setup runs
  kGames,                // the installer downloads and installs the games
  kFinished,             // the finish page
  kInstallFailed,        // the install error box is up
  kLeaving,              // the player has been started or the user left: the installer ends
};

enum class Input {
  kAddressesReady,        // the address document was read, or could not be had
  kInstallClicked,        // the setup page's input passed its checks
  kAddressWaitTick,
  kRetryClicked,          // the download error box: resume
  kDownloadSucceeded,     // the setup file is whole and verified
  kDownloadFailed,        // every route failed (Facts::partialKept)
  kSetupReportedSuccess,  // the setup's own message
  kSetupReportedFailure,
  kSetupEnded,            // the setup run is over (Facts::setupRan and the game facts)
  kGamesFinished,
  kStartClicked,          // the finish page's Start
  kCloseClicked,          // the close button, Alt+F4, the taskbar
};

// What the model knows when an input arrives; each input reads only its own fields.
struct Facts {
  bool partialKept = false;         // kDownloadFailed: a partial file worth resuming
  bool setupRan = false;            // kSetupEnded: the setup ended within its limit
  bool hasGames = false;            // kSetupEnded: games to bring into the player
  bool firstGameHandsOver = false;  // kSetupEnded: the player fetches the first game itself
  bool hasPackage = false;          // kSetupEnded: the installer names a package to open
};

enum class Step {
  kStartAddressWait,
  kStopAddressWait,
  kStartDownload,   // from nothing
  kResumeDownload,  // keeping the partial files
  kShowInstalling,
  kStartSetupRun,
  kShowDownloadRetry,
  kOfferBrowserDownload,
  kShowInstallFailed,
  kHandOverFirstGame,
  kStartGames,
  kLaunchPlayer,
  kStartPlayerWithLastGame,
  kShowFinished,
  kLeave,
  kConfirmExit,              // closing before Install: the exit confirmation
  kOfferSlowDownloadChoice,  // closing during the download: leave, or the browser
  kNoticeInstalling,         // closing while the setup or the games run: a notice only
  kCloseNow,                 // closing on the finish page
};

const char* stateName(State state);
const char* inputName(Input input);

class InstallFlow {
 public:
  enum class SetupReport { kNone, kSucceeded, kFailed };

  InstallFlow() = default;
  // A flow that starts in a given state (tests of one stage).
  explicit InstallFlow(State start) : state_(start) {}

  State state() const { return state_; }
  // What the running setup has said of itself so far.
  SetupReport setupReport() const { return report_; }
  bool addressesReady() const { return addressesReady_; }
  // The steps for input in the present state, the state moved on; an input the state does
  // not expect gives none and changes nothing.
  std::vector<Step> take(Input input, const Facts& facts = Facts());

 private:
  std::vector<Step> afterSetup(const Facts& facts);
  std::vector<Step> onClose() const;

  State state_ = State::kFetchingAddresses;
  bool addressesReady_ = false;
  int addressWaitTicks_ = 0;
  SetupReport report_ = SetupReport::kNone;
};

}  // namespace install_flow
