#include "ui/error_boxes.h"

#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "telemetry/event_catalogue.h"
#include "ui/button_fit.h"
#include "ui/customer_link.h"
#include "ui/message_box.h"

namespace {

constexpr DWORD kErrorBoxExStyle = WS_EX_TOOLWINDOW;

// The two answer buttons share the 456-pixel row with 16 pixels between them and 20 at
// each side; the contact link below it gets the row's width.
constexpr int kButtonTextPadding = 32;
constexpr int kMaxAnswerWidth = 199;
constexpr int kMaxLinkWidth = 400;

void setBoxFonts(toolkit::WindowImplBase& box) {
  box.setDefaultFont(L"微软雅黑", 12);
  for (int id = 0; id < 4; ++id) box.addFont(id, L"微软雅黑", 12 + 2 * id);
}

void fitButtons(toolkit::WindowImplBase& box) {
  ui::growButtonsToText(box, {L"btnLeft", L"btnRight", L"btnSure"}, kButtonTextPadding, kMaxAnswerWidth);
  ui::growButtonsToText(box, {L"loadingContactUsBtn"}, kButtonTextPadding, kMaxLinkWidth);
}

// The customer information document's install error text replaces the install error box's
// message. The download error box keeps its own: that text speaks of the setup, which
// never ran after a failed download.
void applyInstallErrorText(toolkit::WindowImplBase& box) {
  const DownloaderModel* model = DownloaderModel::instance();
  if (!model || model->installErrorText().empty()) return;
  const std::wstring& text = model->installErrorText();
  if (toolkit::CControlUI* label = box.findControl(L"descriptlabel")) label->setText(text);
}

template <class Box>
Box* showOver(Box* box, HWND owner) {
  if (!box->create(owner, L"@MsgBox_error", msg::MessageBoxWindow::kStyle, kErrorBoxExStyle, 0, 0, 456, 296)) {
    delete box;
    return nullptr;
  }
  box->centerWindow();
  box->showWindow(true, true);
  return box;
}

}  // namespace

VelDownloaderErrorBox* VelDownloaderErrorBox::show(HWND owner, std::function<void()> closeAction, int downloadPercent) {
  return showOver(new VelDownloaderErrorBox(std::move(closeAction), downloadPercent), owner);
}

VelDownloaderErrorBox::VelDownloaderErrorBox(std::function<void()> closeAction, int downloadPercent)
    : closeAction_(std::move(closeAction)), downloadPercent_(downloadPercent) {
  addNotify(L"click", L"btnLeft", &VelDownloaderErrorBox::onRetry);
  addNotify(L"click", L"btnRight", &VelDownloaderErrorBox::onBrowser);
  addNotify(L"click", L"loadingContactUsBtn", &VelDownloaderErrorBox::onContact);
}

void VelDownloaderErrorBox::initWindow() {
  setBoxFonts(*this);
  fitButtons(*this);
}

void VelDownloaderErrorBox::onRetry(toolkit::TNotifyUI&) {
  if (DownloaderModel* model = DownloaderModel::instance()) model->startDownloadPlayer(true);
  close(IDRETRY);
}

void VelDownloaderErrorBox::onBrowser(toolkit::TNotifyUI&) {
  // Out of sight first: the event below is sent before the installer ends and may take seconds.
  showWindow(false, false);
  if (HWND owner = GetWindow(hwnd(), GW_OWNER)) ShowWindow(owner, SW_HIDE);
  const bool whole = downloadPercent_ >= 100;
  const ConfigImp& config = ConfigImp::instance();
  msg::openAddress(whole ? config.homePage() : config.browserDownloadUrl());
  if (DownloaderModel* model = DownloaderModel::instance()) {
    if (whole) {
      events::sendHomePageInstallNow(model->analytics());
    } else {
      events::sendBrowserDownloadNow(model->analytics());
    }
  }
  close(IDOK);
  PostQuitMessage(0);
}

void VelDownloaderErrorBox::onContact(toolkit::TNotifyUI&) { msg::openCustomerLink(); }

void VelDownloaderErrorBox::onFinalMessage(HWND window) {
  // Moved out first: the action may make a new box, and this object is deleted next.
  std::function<void()> action = std::move(closeAction_);
  WindowImplBase::onFinalMessage(window);
  if (action) action();
}

VelInstallErrorBox* VelInstallErrorBox::show(HWND owner, std::function<void()> closeAction) {
  return showOver(new VelInstallErrorBox(std::move(closeAction)), owner);
}

VelInstallErrorBox::VelInstallErrorBox(std::function<void()> closeAction) : closeAction_(std::move(closeAction)) {
  addNotify(L"click", L"btnLeft", &VelInstallErrorBox::onLeave);
  addNotify(L"click", L"btnRight", &VelInstallErrorBox::onCloseAndLeave);
  addNotify(L"click", L"btnSure", &VelInstallErrorBox::onCloseAndLeave);
  addNotify(L"click", L"loadingContactUsBtn", &VelInstallErrorBox::onContact);
}

void VelInstallErrorBox::initWindow() {
  setBoxFonts(*this);
  fitButtons(*this);
  applyInstallErrorText(*this);
}

void VelInstallErrorBox::onLeave(toolkit::TNotifyUI&) { PostQuitMessage(0); }

void VelInstallErrorBox::onCloseAndLeave(toolkit::TNotifyUI&) {
  close(IDCANCEL);
  PostQuitMessage(0);
}

void VelInstallErrorBox::onContact(toolkit::TNotifyUI&) { msg::openCustomerLink(); }

void VelInstallErrorBox::onFinalMessage(HWND window) {
  std::function<void()> action = std::move(closeAction_);
  WindowImplBase::onFinalMessage(window);
  if (action) action();
}
