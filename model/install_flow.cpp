#include "model/install_flow.h"

namespace install_flow {

const char* stateName(State state) {
  switch (state) {
    case State::kFetchingAddresses: return "fetching addresses";
    case State::kReady: return "ready";
    case State::kWaitingForAddresses: return "waiting for addresses";
    case State::kDownloading: return "downloading";
    case State::kDownloadFailed: return "download failed";
    case State::kInstalling: return "installing";
    case State::kGames: return "games";
    case State::kFinished: return "finished";
    case State::kInstallFailed: return "install failed";
    case State::kLeaving: return "leaving";
  }
  return "?";
}

const char* inputName(Input input) {
  switch (input) {
    case Input::kAddressesReady: return "addresses ready";
    case Input::kInstallClicked: return "install";
    case Input::kAddressWaitTick: return "address wait tick";
    case Input::kRetryClicked: return "retry";
    case Input::kDownloadSucceeded: return "download succeeded";
    case Input::kDownloadFailed: return "download failed";
    case Input::kSetupReportedSuccess: return "setup reported success";
    case Input::kSetupReportedFailure: return "setup reported failure";
    case Input::kSetupEnded: return "setup ended";
    case Input::kGamesFinished: return "games finished";
    case Input::kStartClicked: return "start";
    case Input::kCloseClicked: return "close";
  }
  return "?";
}

std::vector<Step> InstallFlow::take(Input input, const Facts& facts) {
  switch (input) {
    case Input::kAddressesReady:
      addressesReady_ = true;
      // While Install waits, the next tick starts the download.
      if (state_ == State::kFetchingAddresses) state_ = State::kReady;
      return {};
    case Input::kInstallClicked:
      if (state_ == State::kReady) {
        state_ = State::kDownloading;
        return {Step::kStartDownload};
      }
      if (state_ == State::kFetchingAddresses) {
        state_ = State::kWaitingForAddresses;
        return {Step::kStartAddressWait};
      }
      return {};
    case Input::kAddressWaitTick: {
      if (state_ != State::kWaitingForAddresses) return {};
      // One more tick for the addresses, then the download goes on with what there is.
      const int before = addressWaitTicks_++;
      if (before == 0 && !addressesReady_) return {};
      addressesReady_ = true;
      state_ = State::kDownloading;
      return {Step::kStopAddressWait, Step::kStartDownload};
    }
    case Input::kRetryClicked:
      if (state_ != State::kDownloadFailed) return {};
      state_ = State::kDownloading;
      return {Step::kResumeDownload};
    case Input::kDownloadSucceeded:
      if (state_ != State::kDownloading) return {};
      state_ = State::kInstalling;
      report_ = SetupReport::kNone;
      return {Step::kShowInstalling, Step::kStartSetupRun};
    case Input::kDownloadFailed:
      if (state_ != State::kDownloading) return {};
      state_ = State::kDownloadFailed;
      return {facts.partialKept ? Step::kShowDownloadRetry : Step::kOfferBrowserDownload};
    case Input::kSetupReportedSuccess:
      // A failure once reported stays: a later success message does not undo it.
      if (state_ == State::kInstalling && report_ == SetupReport::kNone) report_ = SetupReport::kSucceeded;
      return {};
    case Input::kSetupReportedFailure:
      // Only the setup this installer runs is heard; the box shows at once.
      if (state_ != State::kInstalling) return {};
      report_ = SetupReport::kFailed;
      state_ = State::kInstallFailed;
      return {Step::kShowInstallFailed};
    case Input::kSetupEnded:
      if (state_ != State::kInstalling) return {};
      return afterSetup(facts);
    case Input::kGamesFinished:
      if (state_ != State::kGames) return {};
      state_ = State::kLeaving;
      return {Step::kStartPlayerWithLastGame, Step::kLeave};
    case Input::kStartClicked:
      if (state_ != State::kFinished) return {};
      state_ = State::kLeaving;
      return {Step::kLaunchPlayer, Step::kLeave};
    case Input::kCloseClicked:
      return onClose();
  }
  return {};
}

std::vector<Step> InstallFlow::afterSetup(const Facts& facts) {
  // Success is the setup ending in time and having said so itself.
  if (!facts.setupRan || report_ != SetupReport::kSucceeded) {
    state_ = State::kInstallFailed;
    return {Step::kShowInstallFailed};
  }
  if (facts.hasGames) {
    if (facts.firstGameHandsOver) {
      state_ = State::kLeaving;
      return {Step::kHandOverFirstGame, Step::kLeave};
    }
    state_ = State::kGames;
    return {Step::kStartGames};
  }
  if (facts.hasPackage) {
    state_ = State::kLeaving;
    return {Step::kLaunchPlayer, Step::kLeave};
  }
  state_ = State::kFinished;
  return {Step::kShowFinished};
}

std::vector<Step> InstallFlow::onClose() const {
  switch (state_) {
    case State::kFetchingAddresses:
    case State::kReady:
      return {Step::kConfirmExit};
    case State::kWaitingForAddresses:
    case State::kDownloading:
    case State::kDownloadFailed:
      return {Step::kOfferSlowDownloadChoice};
    case State::kInstalling:
    case State::kGames:
    case State::kInstallFailed:
      return {Step::kNoticeInstalling};
    case State::kFinished:
      return {Step::kCloseNow};
    case State::kLeaving:
      return {};
  }
  return {};
}

}  // namespace install_flow
