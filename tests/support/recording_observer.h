#pragma once
// A ModelObserver for tests of the model without a window: each call runs its hook when one
// is set and is counted by name.
#include <functional>
#include <map>
#include <string>

#include "identity/game_record.h"
#include "model/model_observer.h"

struct RecordingObserver : ModelObserver {
  std::function<void(int percent, int received, int total)> onProgress;
  std::function<void(int percent)> onPercent;
  std::function<void()> onInstalling;
  std::function<void(bool partialKept)> onDownloadFailed;
  std::function<void()> onInstallFailed;
  std::function<void()> onFinished;
  std::map<std::string, int> calls;

  void showDownloadProgress(int percent, int received, int total) override {
    ++calls["progress"];
    if (onProgress) onProgress(percent, received, total);
  }
  void showDownloadPercent(int percent) override {
    ++calls["percent"];
    if (onPercent) onPercent(percent);
  }
  void showInstalling() override { call("installing", onInstalling); }
  void showDownloadRetry() override {
    ++calls["retry"];
    if (onDownloadFailed) onDownloadFailed(true);
  }
  void offerBrowserDownload() override {
    ++calls["browser"];
    if (onDownloadFailed) onDownloadFailed(false);
  }
  void showInstallFailed() override { call("install failed", onInstallFailed); }
  void showGamePage(const GameRecord&) override { ++calls["game page"]; }
  void showGameCounted() override { ++calls["game counted"]; }
  void showGameDownloadProgress(int64_t, int64_t) override { ++calls["game progress"]; }
  void showGameInstallWaiting() override { ++calls["game waiting"]; }
  void showFinished() override { call("finished", onFinished); }
  void leave() override { ++calls["leave"]; }
  void confirmExit() override { ++calls["confirm exit"]; }
  void offerSlowDownloadChoice() override { ++calls["slow download"]; }
  void noticeInstalling() override { ++calls["notice"]; }
  void closeNow() override { ++calls["close now"]; }

 private:
  void call(const char* name, const std::function<void()>& hook) {
    ++calls[name];
    if (hook) hook();
  }
};
