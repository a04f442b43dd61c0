#include "app/download_impl.h"

#include "app/system_checks.h"
#include "identity/config_imp.h"

#include "model/downloader_model.h"
#include "model/installer_endpoint.h"
#include "utility/vel_curl_downloader.h"
#include "skin/fonts.h"
#include "skin/language_table.h"
#include "skin/skin_files.h"
#include "telemetry/event_catalogue.h"
#include "telemetry/vel_reporter.h"
#include "toolkit/toolkit.h"
#include "ui/main_frame.h"
#include "ui/message_box.h"
#include "utility/log.h"
#include "utility/ufile.h"

namespace {
constexpr UINT kSkinArchiveId = 129;
constexpr UINT kMainIconId = 107;
constexpr DWORD kMainStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
// Before Vista the window keeps a system menu and a sizing frame.
constexpr DWORD kMainStyleBeforeVista = kMainStyle | WS_SYSMENU | WS_THICKFRAME;

// Brings a window to the user even when another program has the foreground: restored when
// minimised, then raised through a topmost round trip.
void forceForeground(HWND window) {
  if (IsIconic(window)) SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
  if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) {
    ShowWindow(window, SW_SHOW);
    return;
  }
  SetForegroundWindow(window);
  BringWindowToTop(window);
  const UINT flags = SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, flags);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}
// Transfers still running at exit are aborted; this long they may take to notice.
constexpr DWORD kCurlCleanupLimitMilliseconds = 1500;
}  // namespace

DownloadImpl::DownloadImpl() = default;

DownloadImpl::DownloadImpl(std::unique_ptr<DownloaderModel> model) : model_(std::move(model)) {}

// Without a shutdown (a test's application): the window and the model go, the process-wide
// reporter runs on.
DownloadImpl::~DownloadImpl() {
  if (model_) closeWindowAndModel(false);
}

bool DownloadImpl::entrance(HINSTANCE instance, const wchar_t* commandLine) {
  VEL_CHECK_THREAD(thread_);
  // The run's one model, destroyed in shutdown.
  model_.reset(new DownloaderModel());
  DownloaderModel* model = model_.get();
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
  // Start-up is over (the system checks above may have switched the variant): from here on
  // the settings are only read.
  ConfigImp::freeze();
  // After the main window: a peer that finds the endpoint can be shown a window.
  if (!endpoint_.create(installer_endpoint::kIdentifier, this)) {
    VEL_LOG(L"window endpoint not created, error:%d", static_cast<int>(GetLastError()));
  }

  events::sendDownloadRun(model->analytics(), model->openId());
  events::reportRunDownloader();
  return true;
}

void DownloadImpl::showMainFrame() {
  VEL_CHECK_THREAD(thread_);
  VEL_LOG(L"create main");
  const system_checks::SystemFacts facts = system_checks::currentFacts();
  if (!model_) return;
  CMainFrame* frame = CMainFrame::current();
  bool created = false;
  if (!frame) {
    frame = new CMainFrame(*model_);
    const DWORD style = system_checks::isVistaOrLater(facts) ? kMainStyle : kMainStyleBeforeVista;
    // The product's name titles the window for the taskbar and screen readers; the caption
    // itself is drawn by the skin.
    if (!frame->create(nullptr, L"@titlename", style, 0)) {
      // Not created: the object is not a window and goes here.
      VEL_LOG(L"main window not created, error:%d", static_cast<int>(GetLastError()));
      delete frame;
      return;
    }
    HINSTANCE instance = model_->instanceHandle();
    if (HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(kMainIconId))) {
      SendMessageW(frame->hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
      SendMessageW(frame->hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    frame->centerWindow();
    created = true;
  }
  frame->showWindow(true, true);
  BringWindowToTop(frame->hwnd());
  forceForeground(frame->hwnd());
  if (created) frame->refreshAfterShow();
  runSystemChecks(facts, frame);
}

void DownloadImpl::runSystemChecks(const system_checks::SystemFacts& facts, CMainFrame* frame) {
  switch (system_checks::decide(facts, ConfigImp::instance().variant())) {
    case system_checks::SystemAction::OldSystemBox: {
      HWND window = frame->hwnd();
      msg::ButtonSpec sure{lookupTextOrKey("sure"), [window] {
                             if (auto* main = CMainFrame::current()) {
                               if (main->hwnd() == window) main->close(1);
                             }
                           },
                           true};
      msg::showOneButtonBox(window, lookupTextOrKey("MsgBox_error"), lookupTextOrKey("MsgBox_xp"), sure);
      events::reportCancelOldSystem();
      break;
    }
    case system_checks::SystemAction::SwitchToPlayer4:
      VEL_LOG(L"32 system!!!");
      model_->switchToPlayer4();
      frame->refreshVariant();
      // Dropped by the reporter: the 4.0 player is now selected.
      events::reportCancelSystem32();
      break;
    case system_checks::SystemAction::Stay32:
      VEL_LOG(L"32 system!!!");
      break;
    case system_checks::SystemAction::None:
      break;
  }
}

int DownloadImpl::onHandleWindowIPC(unsigned message, WPARAM wParam, LPARAM) {
  VEL_CHECK_THREAD(thread_);
  VEL_LOG(L"onHandleWindowIPC, msg = %d", static_cast<int>(message));
  switch (message) {
    case installer_endpoint::kShowWindow:
      showMainFrame();
      break;
    case installer_endpoint::kInstallFailed: {
      int code = static_cast<int>(wParam);
      VEL_LOG(L"player install error! %d", code);
      events::reportInstallFailCode(code);
      // The flow shows the install error box while its setup runs.
      if (model_) model_->onSetupReported(false);
      break;
    }
    case installer_endpoint::kInstallSucceeded: {
      VEL_LOG(L"player install sucess");
      events::reportInstallSuccess();
      if (!model_) break;
      model_->onSetupReported(true);
      events::reportFullDuration(static_cast<int>(GetTickCount() - model_->installStartTick()));
      break;
    }
    default:
      break;
  }
  return 0;
}

void DownloadImpl::shutdown() {
  VEL_CHECK_THREAD(thread_);
  if (!model_) return;
  closeWindowAndModel(true);
}

void DownloadImpl::closeWindowAndModel(bool stopReporter) {
  // Still there when a box ended the message loop without closing it: out of sight first,
  // and gone (its boxes with it) before the model it shows.
  if (CMainFrame* frame = CMainFrame::current()) {
    if (frame->hwnd()) {
      frame->showWindow(false, false);
      DestroyWindow(frame->hwnd());
    }
  }

  if (stopReporter) VelReporter::instance().stop(VelReporter::kStopLimitMilliseconds);
  model_->teardown();
  model_.reset();
  // Never under a transfer that is still running: libcurl's clean-up clears the function
  // tables a running TLS transfer calls through.
  if (curlReady_) VelCurlDownloader::globalCleanup(kCurlCleanupLimitMilliseconds);
  curlReady_ = false;
}
