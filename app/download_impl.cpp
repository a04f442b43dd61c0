#include "app/download_impl.h"

#include "model/downloader_model.h"
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
  // Single-instance check: joins here with the window-message endpoint.

  VEL_LOG(L"path %s", utility::ufile::moduleDir().c_str());

  // CURL_GLOBAL_ALL: SSL and Win32 sockets.
  curlReady_ = VelCurlDownloader::globalInit();

  DownloaderModel* model = DownloaderModel::instance();
  model->init(commandLine);
  model->setInstanceHandle(instance);

  installFonts(instance, model->languageRecord());

  setSkinInstance(instance);
  toolkit::initialise(instance);
  setCurrentLanguage(model->localeName(), L"en_US");
  setResourceFolder(skinInstanceFolder() + L"skin");
  loadSkinArchive(kSkinArchiveId, L"multi_language.tsv");

  // The main window (showMainFrame) and the window-message endpoint join here.

  events::sendDownloadRun(model->analytics(), model->openId());
  events::reportRunDownloader();
  return true;
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
