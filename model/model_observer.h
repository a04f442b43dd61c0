#pragma once
// What the window hears from the model: the install flow's states to show and the progress
// to draw. Every call comes on the window thread, from the model; none decides anything.
#include <cstdint>

struct GameRecord;

class ModelObserver {
 public:
  virtual ~ModelObserver() = default;

  // The setup download: bytes (low 32 bits; total -1 when the answer announced none, percent
  // -1 while the address is still being asked for) or curl's whole percentages.
  virtual void showDownloadProgress(int percent, int received, int total) = 0;
  virtual void showDownloadPercent(int percent) = 0;
  // The download is whole and verified; the setup runs.
  virtual void showInstalling() = 0;
  // The download failed with a partial file worth resuming: the box whose retry resumes.
  virtual void showDownloadRetry() = 0;
  // The download failed with nothing kept: the offer to download through the browser.
  virtual void offerBrowserDownload() = 0;
  virtual void showInstallFailed() = 0;
  // The game page for the first game, and what the game worker reports.
  virtual void showGamePage(const GameRecord& first) = 0;
  virtual void showGameCounted() = 0;
  virtual void showGameDownloadProgress(int64_t current, int64_t total) = 0;
  virtual void showGameInstallWaiting() = 0;
  virtual void showFinished() = 0;
  // The installer ends: out of sight, then the message loop ends.
  virtual void leave() = 0;
  // The answers to a close request, by stage.
  virtual void confirmExit() = 0;
  virtual void offerSlowDownloadChoice() = 0;
  virtual void noticeInstalling() = 0;
  virtual void closeNow() = 0;
};
