#include "ui/error_boxes.h"

#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "telemetry/event_catalogue.h"
#include "ui/button_fit.h"
#include "ui/customer_link.h"
#include "ui/message_box.h"
#include "ui/open_boxes.h"

namespace {

constexpr DWORD kErrorBoxExStyle = WS_EX_TOOLWINDOW;

// The two answer buttons share the 456-pixel row with 16 pixels between them and 20 at
// each side; the contact link below it gets the row's width.
constexpr int kButtonTextPadding = 32;
constexpr int kMaxAnswerWidth = 199;
constexpr int kMaxLinkWidth = 400;

void fitButtons(toolkit::WindowImplBase& box) {
  ui::growButtonsToText(box, {L"btnLeft", L"btnRight", L"btnSure"}, kButtonTextPadding, kMaxAnswerWidth);
  ui::growButtonsToText(box, {L"loadingContactUsBtn"}, kButtonTextPadding, kMaxLinkWidth);
}

}  // namespace

ErrorBox::ErrorBox(DownloaderModel& model, std::function<void()> closeAction, const wchar_t* key)
    : model_(model), closeAction_(std::move(closeAction)), key_(key) {
  addNotify(L"click", L"loadingContactUsBtn", &ErrorBox::onContact);
}

ErrorBox* ErrorBox::showOver(ErrorBox* box, HWND owner) {
  ui::OpenBoxes* boxes = ui::OpenBoxes::of(owner);
  if (boxes && boxes->isOpen(box->key_)) {
    delete box;
    return nullptr;
  }
  HWND window = box->create(owner, L"@MsgBox_error", msg::MessageBoxWindow::kStyle, kErrorBoxExStyle, 0, 0, 456, 296);
  if (!window) {
    delete box;
    return nullptr;
  }
  if (boxes) boxes->add(box->key_, window);
  box->centerWindow();
  box->showWindow(true, true);
  return box;
}

void ErrorBox::initWindow() {
  msg::setBoxFonts(*this);
  fitButtons(*this);
}

void ErrorBox::onContact(toolkit::TNotifyUI&) { msg::openCustomerLink(model_.customerLink()); }

void ErrorBox::onFinalMessage(HWND window) {
  // Moved out first: the action may make a new box, and this object is deleted next.
  std::function<void()> action = std::move(closeAction_);
  const wchar_t* key = key_;
  HWND owner = GetWindow(window, GW_OWNER);
  WindowImplBase::onFinalMessage(window);
  // The key is free again before the action runs.
  if (ui::OpenBoxes* boxes = ui::OpenBoxes::of(owner)) boxes->remove(key, window);
  if (action) action();
}

VelDownloaderErrorBox* VelDownloaderErrorBox::show(HWND owner, DownloaderModel& model, std::function<void()> closeAction,
                                                   int downloadPercent) {
  return static_cast<VelDownloaderErrorBox*>(
      showOver(new VelDownloaderErrorBox(model, std::move(closeAction), downloadPercent), owner));
}

VelDownloaderErrorBox::VelDownloaderErrorBox(DownloaderModel& model, std::function<void()> closeAction,
                                             int downloadPercent)
    : ErrorBox(model, std::move(closeAction), ui::OpenBoxes::kDownloadError), downloadPercent_(downloadPercent) {
  addNotify(L"click", L"btnLeft", &VelDownloaderErrorBox::onRetry);
  addNotify(L"click", L"btnRight", &VelDownloaderErrorBox::onBrowser);
}

void VelDownloaderErrorBox::onRetry(toolkit::TNotifyUI&) {
  model_.retryDownload();
  close(IDRETRY);
}

void VelDownloaderErrorBox::onBrowser(toolkit::TNotifyUI&) {
  // Out of sight first: the event below is sent before the installer ends and may take seconds.
  showWindow(false, false);
  if (HWND owner = GetWindow(hwnd(), GW_OWNER)) ShowWindow(owner, SW_HIDE);
  const bool whole = downloadPercent_ >= 100;
  const ConfigImp& config = ConfigImp::instance();
  msg::openAddress(whole ? config.homePage() : config.browserDownloadUrl());
  if (whole) {
    events::sendHomePageInstallNow(model_.analytics());
  } else {
    events::sendBrowserDownloadNow(model_.analytics());
  }
  close(IDOK);
  PostQuitMessage(0);
}

VelInstallErrorBox* VelInstallErrorBox::show(HWND owner, DownloaderModel& model, std::function<void()> closeAction) {
  return static_cast<VelInstallErrorBox*>(showOver(new VelInstallErrorBox(model, std::move(closeAction)), owner));
}

VelInstallErrorBox::VelInstallErrorBox(DownloaderModel& model, std::function<void()> closeAction)
    : ErrorBox(model, std::move(closeAction), ui::OpenBoxes::kInstallError) {
  addNotify(L"click", L"btnLeft", &VelInstallErrorBox::onLeave);
  addNotify(L"click", L"btnRight", &VelInstallErrorBox::onCloseAndLeave);
  addNotify(L"click", L"btnSure", &VelInstallErrorBox::onCloseAndLeave);
}

// The customer information document's install error text replaces the install error box's
// message. The download error box keeps its own: that text speaks of the setup, which
// never ran after a failed download.
void VelInstallErrorBox::initWindow() {
  ErrorBox::initWindow();
  const std::wstring& text = model_.installErrorText();
  if (text.empty()) return;
  if (toolkit::CControlUI* label = findControl(L"descriptlabel")) label->setText(text);
}

void VelInstallErrorBox::onLeave(toolkit::TNotifyUI&) { PostQuitMessage(0); }

void VelInstallErrorBox::onCloseAndLeave(toolkit::TNotifyUI&) {
  close(IDCANCEL);
  PostQuitMessage(0);
}
