#include "model/setup_run.h"

#include <vector>

#include "core/worker_thread.h"
#include "model/player_branding.h"
#include "telemetry/event_catalogue.h"
#include "utility/com_apartment.h"
#include "utility/command_line.h"
#include "utility/http_downloader.h"
#include "utility/log.h"
#include "utility/process.h"
#include "utility/process_list.h"
#include "utility/system_paths.h"
#include "utility/ufile.h"
#include "utility/unique_handle.h"

void SetupRunJob::cancel() {
  cancelled_ = true;
  std::lock_guard<std::mutex> guard(lock_);
  if (downloader_) downloader_->cancel();
}

void SetupRunJob::setDownloader(const std::shared_ptr<utility::CHttpDownloader>& downloader) {
  std::lock_guard<std::mutex> guard(lock_);
  downloader_ = downloader;
  if (downloader_ && cancelled_) downloader_->cancel();
}

std::wstring setupParameters(const std::wstring& openId, const std::wstring& languageCode,
                             const std::wstring& installPath, const std::wstring& googleId) {
  namespace command_line = utility::command_line;
  std::vector<std::wstring> arguments = {L"-silence -downloader", command_line::argument(L"-openid=" + openId)};
  if (!languageCode.empty()) arguments.push_back(command_line::argument(L"-language=" + languageCode));
  // The folder ends with a backslash: quoted() doubles it, so that it does not escape the quote.
  arguments.push_back(L"-path=" + command_line::quoted(installPath));
  if (!googleId.empty()) arguments.push_back(command_line::argument(L"-googleid=" + googleId));
  return command_line::join(arguments);
}

void killPlayerProcesses() {
  static const wchar_t* const kNames[] = {L"ovplayer.exe", L"ovmultiplayer.exe", L"ovmultiplayerex.exe",
                                          L"bugreport.exe"};
  std::map<std::wstring, DWORD> running = helper::listProcesses();
  for (const wchar_t* name : kNames) {
    if (running.find(name) == running.end()) continue;
    // By full path: a taskkill.exe beside the installer would otherwise run elevated.
    utility::process::execute(utility::systemFolderFile(L"taskkill.exe"), std::wstring(L"/F /IM ") + name + L" /T",
                              false, 2000);
  }
}

bool runSetup(const std::wstring& setupFile, const std::wstring& parameters, DWORD limitMilliseconds,
              HANDLE cancelEvent, std::shared_ptr<utility::UniqueHandle> heldSetup) {
  std::wstring commandLine = utility::command_line::forProgram(setupFile, parameters);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION info = {};
  BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                                &startup, &info);
  DWORD error = GetLastError();
  heldSetup.reset();
  if (!started) {
    VEL_LOG(L"create setup process failed, error:%d", static_cast<int>(error));
    events::reportInstallFailStart(error);
    return false;
  }
  utility::UniqueHandle process(info.hProcess);
  CloseHandle(info.hThread);

  HANDLE handles[2] = {process.get(), cancelEvent};
  DWORD count = cancelEvent ? 2 : 1;
  DWORD wait = WaitForMultipleObjects(count, handles, FALSE, limitMilliseconds);
  switch (wait) {
    case WAIT_OBJECT_0:
      return true;
    case WAIT_TIMEOUT:
      VEL_LOG(L"setup wait timeout");
      events::reportInstallFailWait(L"timeout");
      return false;
    case WAIT_FAILED:
      VEL_LOG(L"setup wait failed, error:%d", static_cast<int>(GetLastError()));
      events::reportInstallFailWait(L"failed");
      return false;
    default:
      if (cancelEvent && wait == WAIT_OBJECT_0 + 1) {
        // The installer is ending: the setup keeps running, nothing is reported.
        VEL_LOG(L"setup wait stopped");
        return false;
      }
      events::reportInstallFailWait(L"other");
      return false;
  }
}

void _threadInsPlayer(SetupRunJob& job) {
  // The shortcut is made through COM, on this worker's own apartment.
  utility::ComApartment com;
  std::wstring parameters = setupParameters(job.openId, job.languageCode, job.installPath, job.googleId);
  VEL_LOG(L"install player param: %s", parameters.c_str());

  killPlayerProcesses();
  if (!utility::ufile::exists(job.setupFile) && job.setupFileMissing) job.setupFileMissing();

  job.startTick = GetTickCount();
  HANDLE stopEvent = WorkerThread::stopEventOfThisThread();
  bool ran = runSetup(job.setupFile, parameters, job.setupWaitMilliseconds, stopEvent, std::move(job.heldSetup));

  if (job.answers && !job.cancelled()) {
    DocumentAnswers::Snapshot answers = job.answers->waitAndRead(job.answersWaitMilliseconds, stopEvent);
    if (answers.campaignArrived) job.branding = answers.branding;
    if (answers.channelArrived) job.machineChannelId = answers.channelId;
  }
  if (!job.cancelled()) applyBranding(job);
  if (job.finished) job.finished(ran);
}
