#pragma once
// The application object: brings the run up in a fixed order and tears it down again.
#include <windows.h>

#include <string>

class DownloadImpl {
 public:
  DownloadImpl() = default;
  DownloadImpl(const DownloadImpl&) = delete;
  DownloadImpl& operator=(const DownloadImpl&) = delete;

  // False only when another copy of the installer is already running.
  bool entrance(HINSTANCE instance, const wchar_t* commandLine);
  // Called once after the message loop: stops the workers and destroys the model.
  void shutdown();

 private:
  bool curlReady_ = false;
};
