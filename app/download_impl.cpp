#include "app/download_impl.h"

#include "model/downloader_model.h"
#include "model/installer_endpoint.h"
#include "utility/vel_curl_downloader.h"
#include "skin/fonts.h"
#include "skin/language_table.h"
#include "skin/skin_files.h"
#include "telemetry/event_catalogue.h"
#include "telemetry/vel_reporter.h"
#include "toolkit/toolkit.h"
#include "utility/log.h"
#include "utility/ufile.h"

namespace {
constexpr UINT kSkinArchiveId = 129;
// Transfers still running at exit are aborted; this long they may take to notice.
constexpr DWORD kCurlCleanupLimitMilliseconds = 1500;
}  // namespace

bool DownloadImpl::entrance(HINSTANCE instance, const wchar_t* commandLine) {
  DownloaderModel* model = DownloaderModel::instance();
  if (model->popupExistPwnd()) {
    VEL_LOG(L"It's exist");
    return false;
  }

  VEL_LOG(L"path %s", utility::ufile::moduleDir().c_str());

  // CURL_GLOBAL_ALL: SSL and Win32 sockets.
  curlReady_ = VelCurlDownloader::globalInit();

  model->init(commandLine);
  model->setInstanceHandle(instance);

  installFonts(instance, model->languageRecord());

  setSkinInstance(instance);
  toolkit::initialise(instance);
  setCurrentLanguage(model->localeName(), L"en_US");
  setResourceFolder(skinInstanceFolder() + L"skin");
  loadSkinArchive(kSkinArchiveId, L"multi_language.tsv");

  showMainFrame();
  // After the main window: a peer that finds the endpoint can be shown a window.
  if (!endpoint_.create(installer_endpoint::kIdentifier, this)) {
    VEL_LOG(L"window endpoint not created, error:%d", static_cast<int>(GetLastError()));
  }

  events::sendDownloadRun(model->analytics(), model->openId());
  events::reportRunDownloader();
  return true;
}

void DownloadImpl::showMainFrame() {
  VEL_LOG(L"create main");
  // The main window is built here once it exists; until then there is nothing to show.
}

int DownloadImpl::onHandleWindowIPC(unsigned message, WPARAM wParam, LPARAM) {
  VEL_LOG(L"onHandleWindowIPC, msg = %d", static_cast<int>(message));
  switch (message) {
    case installer_endpoint::kShowWindow:
      showMainFrame();
      break;
    case installer_endpoint::kInstallFailed: {
      int code = static_cast<int>(wParam);
      VEL_LOG(L"player install error! %d", code);
      events::reportInstallFailCode(code);
      // The main window's install-error box is shown here once the window exists.
      break;
    }
    case installer_endpoint::kInstallSucceeded: {
      VEL_LOG(L"player install sucess");
      events::reportInstallSuccess();
      uint32_t started = DownloaderModel::instance()->installStartTick();
      events::reportFullDuration(static_cast<int>(GetTickCount() - started));
      break;
    }
    default:
      break;
  }
  return 0;
}

void DownloadImpl::shutdown() {
  // Hiding the main window joins here with the window that owns it.

  VelReporter::instance().stop(VelReporter::kStopLimitMilliseconds);
  // The model's workers, timers and queued tasks are torn down here too once they exist.
  DownloaderModel::instance()->teardown();
  DownloaderModel::destroyInstance();
  // Never under a transfer that is still running: libcurl's clean-up clears the function
  // tables a running TLS transfer calls through.
  if (curlReady_) VelCurlDownloader::globalCleanup(kCurlCleanupLimitMilliseconds);
  curlReady_ = false;
}
