#pragma once
// The application object: brings the run up in a fixed order, serves the window-message
// endpoint, and tears the run down again.
#include <windows.h>

#include <memory>
#include <string>

#include "app/system_checks.h"
#include "core/thread_checker.h"
#include "utility/window_ipc.h"

class CMainFrame;
class DownloaderModel;

class DownloadImpl : public utility::IWindowIPCHandle {
 public:
  DownloadImpl();
  // With a model made already (tests that show the window without the whole start-up).
  explicit DownloadImpl(std::unique_ptr<DownloaderModel> model);
  ~DownloadImpl();
  DownloadImpl(const DownloadImpl&) = delete;
  DownloadImpl& operator=(const DownloadImpl&) = delete;

  // False only when another copy of the installer is already running.
  bool entrance(HINSTANCE instance, const wchar_t* commandLine);
  // Creates the main window on first call, brings it to the front on every call and runs
  // the system checks again.
  void showMainFrame();
  // Window thread: every message that reaches the endpoint. Always 0.
  int onHandleWindowIPC(unsigned message, WPARAM wParam, LPARAM lParam) override;
  // Called once after the message loop: stops the workers and destroys the model.
  void shutdown();
  // The run's one model; null before entrance and after shutdown.
  DownloaderModel* model() const { return model_.get(); }

 private:
  void closeWindowAndModel(bool stopReporter);
  void runSystemChecks(const system_checks::SystemFacts& facts, CMainFrame* frame);

  ThreadChecker thread_;
  std::unique_ptr<DownloaderModel> model_;
  utility::WindowIPC endpoint_;
  bool curlReady_ = false;
};
