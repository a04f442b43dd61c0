#include "app/download_impl.h"

#include <curl/curl.h>

#include "model/downloader_model.h"
#include "skin/fonts.h"
#include "skin/language_table.h"
#include "skin/skin_files.h"
#include "toolkit/toolkit.h"
#include "utility/log.h"
#include "utility/ufile.h"

namespace {
constexpr UINT kSkinArchiveId = 129;
}  // namespace

bool DownloadImpl::entrance(HINSTANCE instance, const wchar_t* commandLine) {
  // Single-instance check: joins here with the window-message endpoint.

  VEL_LOG(L"path %s", utility::ufile::moduleDir().c_str());

  // CURL_GLOBAL_ALL: SSL and Win32 sockets.
  curlReady_ = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;

  DownloaderModel* model = DownloaderModel::instance();
  model->init(commandLine);
  model->setInstanceHandle(instance);

  installFonts(instance, model->languageRecord());

  setSkinInstance(instance);
  toolkit::initialise(instance);
  setCurrentLanguage(model->localeName(), L"en_US");
  setResourceFolder(skinInstanceFolder() + L"skin");
  loadSkinArchive(kSkinArchiveId, L"multi_language.tsv");

  // Main window (showMainFrame), the window-message endpoint and the first events
  // ("download_run", "run_downloader"): join here with the window and telemetry work.
  return true;
}

void DownloadImpl::shutdown() {
  // Hiding the main window, stopping the reporter and tearing down the model's workers,
  // timers and queued tasks join here with the parts that own them.
  DownloaderModel::destroyInstance();
  if (curlReady_) curl_global_cleanup();
  curlReady_ = false;
}
