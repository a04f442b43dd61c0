#pragma once
// The player setup run: stops a running player, runs the downloaded setup silently with the
// fixed command line, waits for it, then applies the campaign's branding. The task runs on a
// worker; it reads only its own job, never the model, and reports through the job's callbacks.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "model/document_answers.h"
#include "model/service_documents.h"
#include "utility/unique_handle.h"
#include "vel_build_config.h"

namespace utility {
class CHttpDownloader;
}

struct SetupRunJob {
  // 600000 in the shipped build; the build configuration shortens it for the test tree.
  static constexpr DWORD kSetupWaitMilliseconds = buildconfig::kSetupWaitMilliseconds;
  // After the setup: how long the branding waits for documents still being fetched (each
  // has its own deadline; a stalled service must not hold the install much longer).
  static constexpr DWORD kAnswersWaitMilliseconds = 10000;

  // Copied from the model on the window thread before the worker starts.
  std::wstring openId;
  std::wstring languageCode;
  std::wstring installPath;  // ends with a backslash
  std::wstring googleId;
  std::wstring machineChannelId;
  std::wstring setupFile;
  Branding branding;
  // When set, the branding and the channel id are taken from here after the setup has run
  // (answers may arrive while it runs); the two values above are then only the fallback.
  std::shared_ptr<const DocumentAnswers> answers;
  DWORD answersWaitMilliseconds = kAnswersWaitMilliseconds;
  DWORD setupWaitMilliseconds = kSetupWaitMilliseconds;
  // The checked setup file, held so that it cannot be swapped; released once started.
  std::shared_ptr<utility::UniqueHandle> heldSetup;

  // Called on the worker; they post to the window thread.
  std::function<void()> setupFileMissing;
  std::function<void(bool setupRan)> finished;

  // Set by the worker just before the setup starts; read on the window thread.
  std::atomic<uint32_t> startTick{0};

  // Any thread: the wait for the setup and a branding download end promptly; the setup
  // itself keeps running.
  void cancel();
  bool cancelled() const { return cancelled_.load(); }
  // Worker: the downloader of the transfer under way, so that cancel reaches it.
  void setDownloader(const std::shared_ptr<utility::CHttpDownloader>& downloader);

 private:
  std::atomic<bool> cancelled_{false};
  std::mutex lock_;
  std::shared_ptr<utility::CHttpDownloader> downloader_;  // under lock_
};

// "-silence -downloader -openid=..." with language, quoted folder and google id.
std::wstring setupParameters(const std::wstring& openId, const std::wstring& languageCode,
                             const std::wstring& installPath, const std::wstring& googleId);

// Ends running player programs with taskkill, by exact executable name.
void killPlayerProcesses();

// Starts the setup and waits up to limitMilliseconds; true when it ended in time. The exit
// code is not looked at: the setup reports its outcome through the window messages.
// cancelEvent (may be null) ends the wait early, as a failure. heldSetup (may be null) is
// released as soon as CreateProcessW has returned.
bool runSetup(const std::wstring& setupFile, const std::wstring& parameters, DWORD limitMilliseconds,
              HANDLE cancelEvent = nullptr, std::shared_ptr<utility::UniqueHandle> heldSetup = nullptr);

// The whole sequence; ends by calling job.finished with runSetup's result.
void _threadInsPlayer(SetupRunJob& job);
