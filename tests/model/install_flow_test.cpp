#include "model/install_flow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using install_flow::Facts;
using install_flow::Input;
using install_flow::InstallFlow;
using install_flow::State;
using install_flow::Step;

Facts partial() {
  Facts f;
  f.partialKept = true;
  return f;
}
Facts ran(bool hasGames = false, bool handsOver = false, bool hasPackage = false) {
  Facts f;
  f.setupRan = true;
  f.hasGames = hasGames;
  f.firstGameHandsOver = handsOver;
  f.hasPackage = hasPackage;
  return f;
}
Facts timedOut() { return Facts(); }

struct Event {
  Input input;
  Facts facts;
};

std::string describe(const std::vector<Step>& steps) {
  std::string text;
  for (Step step : steps) text += std::to_string(static_cast<int>(step)) + " ";
  return text;
}

// Every row starts a fresh flow in `from`, feeds `before` (their steps are not judged), then
// `input`: the steps it answers with and the state it leaves.
TEST(InstallFlowTest, EveryStateAnswersEachInputWithItsSteps) {
  struct Row {
    const char* what;
    State from;
    std::vector<Event> before;
    Event input;
    std::vector<Step> steps;
    State to;
  };
  const Row rows[] = {
      // Addresses and Install.
      {"addresses first", State::kFetchingAddresses, {}, {Input::kAddressesReady, {}}, {}, State::kReady},
      {"install when ready", State::kReady, {}, {Input::kInstallClicked, {}}, {Step::kStartDownload}, State::kDownloading},
      {"install before the addresses waits", State::kFetchingAddresses, {}, {Input::kInstallClicked, {}},
       {Step::kStartAddressWait}, State::kWaitingForAddresses},
      {"the first tick without addresses waits once more", State::kFetchingAddresses, {{Input::kInstallClicked, {}}},
       {Input::kAddressWaitTick, {}}, {}, State::kWaitingForAddresses},
      {"the second tick goes on without them", State::kFetchingAddresses,
       {{Input::kInstallClicked, {}}, {Input::kAddressWaitTick, {}}}, {Input::kAddressWaitTick, {}},
       {Step::kStopAddressWait, Step::kStartDownload}, State::kDownloading},
      {"addresses during the wait: the next tick goes", State::kFetchingAddresses,
       {{Input::kInstallClicked, {}}, {Input::kAddressesReady, {}}}, {Input::kAddressWaitTick, {}},
       {Step::kStopAddressWait, Step::kStartDownload}, State::kDownloading},
      {"a second Install while downloading", State::kDownloading, {}, {Input::kInstallClicked, {}}, {}, State::kDownloading},
      {"a stray tick", State::kDownloading, {}, {Input::kAddressWaitTick, {}}, {}, State::kDownloading},

      // The download.
      {"download whole", State::kDownloading, {}, {Input::kDownloadSucceeded, {}},
       {Step::kShowInstalling, Step::kStartSetupRun}, State::kInstalling},
      {"download failed, partial kept", State::kDownloading, {}, {Input::kDownloadFailed, partial()},
       {Step::kShowDownloadRetry}, State::kDownloadFailed},
      {"download failed, nothing kept", State::kDownloading, {}, {Input::kDownloadFailed, {}},
       {Step::kOfferBrowserDownload}, State::kDownloadFailed},
      {"retry resumes", State::kDownloadFailed, {}, {Input::kRetryClicked, {}}, {Step::kResumeDownload},
       State::kDownloading},
      {"retry while downloading", State::kDownloading, {}, {Input::kRetryClicked, {}}, {}, State::kDownloading},
      {"a late result of a cancelled download", State::kReady, {}, {Input::kDownloadSucceeded, {}}, {}, State::kReady},

      // The setup: its own report and its end.
      {"reported success, then ended", State::kInstalling, {{Input::kSetupReportedSuccess, {}}},
       {Input::kSetupEnded, ran()}, {Step::kShowFinished}, State::kFinished},
      {"ended without a report", State::kInstalling, {}, {Input::kSetupEnded, ran()}, {Step::kShowInstallFailed},
       State::kInstallFailed},
      {"reported success but ran out of time", State::kInstalling, {{Input::kSetupReportedSuccess, {}}},
       {Input::kSetupEnded, timedOut()}, {Step::kShowInstallFailed}, State::kInstallFailed},
      {"a reported failure shows the box at once", State::kInstalling, {}, {Input::kSetupReportedFailure, {}},
       {Step::kShowInstallFailed}, State::kInstallFailed},
      {"the end after a reported failure adds nothing", State::kInstalling, {{Input::kSetupReportedFailure, {}}},
       {Input::kSetupEnded, ran()}, {}, State::kInstallFailed},
      {"a failure is not undone by a later success", State::kInstalling,
       {{Input::kSetupReportedFailure, {}}, {Input::kSetupReportedSuccess, {}}}, {Input::kSetupEnded, ran()}, {},
       State::kInstallFailed},
      {"a failure message from no setup of ours", State::kReady, {}, {Input::kSetupReportedFailure, {}}, {},
       State::kReady},
      {"a report of an earlier setup does not count for the next", State::kDownloading,
       {{Input::kSetupReportedSuccess, {}}, {Input::kDownloadSucceeded, {}}}, {Input::kSetupEnded, ran()},
       {Step::kShowInstallFailed}, State::kInstallFailed},

      // After a successful setup.
      {"games the player fetches", State::kInstalling, {{Input::kSetupReportedSuccess, {}}},
       {Input::kSetupEnded, ran(true, true)}, {Step::kHandOverFirstGame, Step::kLeave}, State::kLeaving},
      {"games the installer brings", State::kInstalling, {{Input::kSetupReportedSuccess, {}}},
       {Input::kSetupEnded, ran(true, false, true)}, {Step::kStartGames}, State::kGames},
      {"a package to open", State::kInstalling, {{Input::kSetupReportedSuccess, {}}},
       {Input::kSetupEnded, ran(false, false, true)}, {Step::kLaunchPlayer, Step::kLeave}, State::kLeaving},
      {"the games are in", State::kGames, {}, {Input::kGamesFinished, {}}, {Step::kStartPlayerWithLastGame, Step::kLeave},
       State::kLeaving},
      {"Start on the finish page", State::kFinished, {}, {Input::kStartClicked, {}}, {Step::kLaunchPlayer, Step::kLeave},
       State::kLeaving},
      {"Start anywhere else", State::kInstalling, {}, {Input::kStartClicked, {}}, {}, State::kInstalling},

      // Closing asks what the stage calls for.
      {"close before the addresses", State::kFetchingAddresses, {}, {Input::kCloseClicked, {}}, {Step::kConfirmExit},
       State::kFetchingAddresses},
      {"close before Install", State::kReady, {}, {Input::kCloseClicked, {}}, {Step::kConfirmExit}, State::kReady},
      {"close while Install waits", State::kWaitingForAddresses, {}, {Input::kCloseClicked, {}},
       {Step::kOfferSlowDownloadChoice}, State::kWaitingForAddresses},
      {"close while downloading", State::kDownloading, {}, {Input::kCloseClicked, {}}, {Step::kOfferSlowDownloadChoice},
       State::kDownloading},
      {"close after a failed download", State::kDownloadFailed, {}, {Input::kCloseClicked, {}},
       {Step::kOfferSlowDownloadChoice}, State::kDownloadFailed},
      {"close while installing", State::kInstalling, {}, {Input::kCloseClicked, {}}, {Step::kNoticeInstalling},
       State::kInstalling},
      {"close during the games", State::kGames, {}, {Input::kCloseClicked, {}}, {Step::kNoticeInstalling}, State::kGames},
      {"close over the install error", State::kInstallFailed, {}, {Input::kCloseClicked, {}}, {Step::kNoticeInstalling},
       State::kInstallFailed},
      {"close on the finish page", State::kFinished, {}, {Input::kCloseClicked, {}}, {Step::kCloseNow}, State::kFinished},
      {"close while leaving", State::kLeaving, {}, {Input::kCloseClicked, {}}, {}, State::kLeaving},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    InstallFlow flow(row.from);
    for (const Event& event : row.before) flow.take(event.input, event.facts);
    const std::vector<Step> steps = flow.take(row.input.input, row.input.facts);
    EXPECT_EQ(describe(row.steps), describe(steps));
    EXPECT_EQ(install_flow::stateName(row.to), std::string(install_flow::stateName(flow.state())));
  }
}

// The whole course of a plain install, as the window and the workers feed it.
TEST(InstallFlowTest, APlainInstallRunsFromTheAddressesToTheFinishPage) {
  InstallFlow flow;
  EXPECT_EQ(State::kFetchingAddresses, flow.state());
  EXPECT_FALSE(flow.addressesReady());
  flow.take(Input::kAddressesReady);
  EXPECT_TRUE(flow.addressesReady());
  EXPECT_EQ(std::vector<Step>{Step::kStartDownload}, flow.take(Input::kInstallClicked));
  EXPECT_EQ((std::vector<Step>{Step::kShowInstalling, Step::kStartSetupRun}), flow.take(Input::kDownloadSucceeded));
  EXPECT_TRUE(flow.take(Input::kSetupReportedSuccess).empty());
  EXPECT_EQ(InstallFlow::SetupReport::kSucceeded, flow.setupReport());
  EXPECT_EQ(std::vector<Step>{Step::kShowFinished}, flow.take(Input::kSetupEnded, ran()));
  EXPECT_EQ((std::vector<Step>{Step::kLaunchPlayer, Step::kLeave}), flow.take(Input::kStartClicked));
  EXPECT_TRUE(flow.take(Input::kStartClicked).empty()) << "started once";
}

}  // namespace
