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

// The customer information document's install error text replaces the install error box's
// message. The download error box keeps its own: that text speaks of the setup, which
// never ran after a failed download.
void applyInstallErrorText(toolkit::WindowImplBase& box, const DownloaderModel& model) {
  const std::wstring& text = model.installErrorText();
  if (text.empty()) return;
  if (toolkit::CControlUI* label = box.findControl(L"descriptlabel")) label->setText(text);
}

template <class Box>
Box* showOver(Box* box, HWND owner, const wchar_t* key) {
  ui::OpenBoxes* boxes = ui::OpenBoxes::of(owner);
  if (boxes && boxes->isOpen(key)) {
    delete box;
    return nullptr;
  }
  HWND window = box->create(owner, L"@MsgBox_error", msg::MessageBoxWindow::kStyle, kErrorBoxExStyle, 0, 0, 456, 296);
  if (!window) {
    delete box;
    return nullptr;
  }
  if (boxes) boxes->add(key, window);
  box->centerWindow();
  box->showWindow(true, true);
  return box;
}

// After the box's last message: its key is free again, then its close action runs.
void closed(HWND owner, HWND window, const wchar_t* key, const std::function<void()>& action) {
  if (ui::OpenBoxes* boxes = ui::OpenBoxes::of(owner)) boxes->remove(key, window);
  if (action) action();
}

}  // namespace

VelDownloaderErrorBox* VelDownloaderErrorBox::show(HWND owner, DownloaderModel& model, std::function<void()> closeAction,
                                                   int downloadPercent) {
  return showOver(new VelDownloaderErrorBox(model, std::move(closeAction), downloadPercent), owner,
                  ui::OpenBoxes::kDownloadError);
}

VelDownloaderErrorBox::VelDownloaderErrorBox(DownloaderModel& model, std::function<void()> closeAction,
                                             int downloadPercent)
    : model_(model), closeAction_(std::move(closeAction)), downloadPercent_(downloadPercent) {
  addNotify(L"click", L"btnLeft", &VelDownloaderErrorBox::onRetry);
  addNotify(L"click", L"btnRight", &VelDownloaderErrorBox::onBrowser);
  addNotify(L"click", L"loadingContactUsBtn", &VelDownloaderErrorBox::onContact);
}

void VelDownloaderErrorBox::initWindow() {
  msg::setBoxFonts(*this);
  fitButtons(*this);
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

void VelDownloaderErrorBox::onContact(toolkit::TNotifyUI&) { msg::openCustomerLink(model_.customerLink()); }

void VelDownloaderErrorBox::onFinalMessage(HWND window) {
  // Moved out first: the action may make a new box, and this object is deleted next.
  std::function<void()> action = std::move(closeAction_);
  HWND owner = GetWindow(window, GW_OWNER);
  WindowImplBase::onFinalMessage(window);
  closed(owner, window, ui::OpenBoxes::kDownloadError, action);
}

VelInstallErrorBox* VelInstallErrorBox::show(HWND owner, DownloaderModel& model, std::function<void()> closeAction) {
  return showOver(new VelInstallErrorBox(model, std::move(closeAction)), owner, ui::OpenBoxes::kInstallError);
}

VelInstallErrorBox::VelInstallErrorBox(DownloaderModel& model, std::function<void()> closeAction)
    : model_(model), closeAction_(std::move(closeAction)) {
  addNotify(L"click", L"btnLeft", &VelInstallErrorBox::onLeave);
  addNotify(L"click", L"btnRight", &VelInstallErrorBox::onCloseAndLeave);
  addNotify(L"click", L"btnSure", &VelInstallErrorBox::onCloseAndLeave);
  addNotify(L"click", L"loadingContactUsBtn", &VelInstallErrorBox::onContact);
}

void VelInstallErrorBox::initWindow() {
  msg::setBoxFonts(*this);
  fitButtons(*this);
  applyInstallErrorText(*this, model_);
}

void VelInstallErrorBox::onLeave(toolkit::TNotifyUI&) { PostQuitMessage(0); }

void VelInstallErrorBox::onCloseAndLeave(toolkit::TNotifyUI&) {
  close(IDCANCEL);
  PostQuitMessage(0);
}

void VelInstallErrorBox::onContact(toolkit::TNotifyUI&) { msg::openCustomerLink(model_.customerLink()); }

void VelInstallErrorBox::onFinalMessage(HWND window) {
  std::function<void()> action = std::move(closeAction_);
  HWND owner = GetWindow(window, GW_OWNER);
  WindowImplBase::onFinalMessage(window);
  closed(owner, window, ui::OpenBoxes::kInstallError, action);
}
