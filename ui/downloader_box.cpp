#include "ui/downloader_box.h"

#include "model/downloader_model.h"
#include "telemetry/event_catalogue.h"
#include "ui/button_fit.h"
#include "ui/message_box.h"
#include "ui/open_boxes.h"
#include "utility/log.h"

namespace {

const wchar_t* const kNeutralImages[3] = {L"file='button_box_cancel.png' source='0,0,100,32'",
                                          L"file='button_box_cancel.png' source='100,0,200,32'",
                                          L"file='button_box_cancel.png' source='200,0,300,32'"};
const wchar_t* const kAccentImages[3] = {L"file='button_box_hot.png' source='0,0,100,32'",
                                         L"file='button_box_hot.png' source='100,0,200,32'",
                                         L"file='button_box_hot.png' source='200,0,300,32'"};

void setImages(toolkit::CControlUI* control, const wchar_t* const images[3]) {
  if (!control) return;
  control->setAttribute(L"normalimage", images[0]);
  control->setAttribute(L"hotimage", images[1]);
  control->setAttribute(L"pushedimage", images[2]);
}

}  // namespace

DownloaderBox* DownloaderBox::openOver(HWND owner) {
  ui::OpenBoxes* boxes = ui::OpenBoxes::of(owner);
  HWND window = boxes ? boxes->find(ui::OpenBoxes::kExitConfirmation) : nullptr;
  return window ? static_cast<DownloaderBox*>(toolkit::WindowImplBase::fromHandle(window)) : nullptr;
}

DownloaderBox* DownloaderBox::show(HWND owner, DownloaderModel& model, int downloadPercent) {
  // Ended now rather than by a posted close: its end enables and shows the owner, which
  // must come before the new box disables it, not after.
  if (DownloaderBox* previous = openOver(owner)) DestroyWindow(previous->hwnd());
  auto* box = new DownloaderBox(owner, model, downloadPercent);
  HWND window = box->create(owner, L"@MSGBox_noice", msg::MessageBoxWindow::kStyle, msg::MessageBoxWindow::kExStyle, 0, 0, 436, 236);
  if (!window) {
    delete box;
    return nullptr;
  }
  if (ui::OpenBoxes* boxes = ui::OpenBoxes::of(owner)) boxes->add(ui::OpenBoxes::kExitConfirmation, window);
  box->centerWindow();
  box->showWindow(true, true);
  if (owner) EnableWindow(owner, FALSE);
  return box;
}

DownloaderBox::DownloaderBox(HWND owner, DownloaderModel& model, int downloadPercent)
    : owner_(owner), model_(model), downloadPercent_(downloadPercent) {
  addNotify(L"click", L"btnLeft", &DownloaderBox::onLeave);
  addNotify(L"click", L"btnRight", &DownloaderBox::onStay);
  addNotify(L"click", L"btnSure", &DownloaderBox::onStay);
}

void DownloaderBox::initWindow() {
  msg::setBoxFonts(*this);
  struct Text {
    const wchar_t* control;
    const wchar_t* text;
  };
  for (const Text& t : {Text{L"titlelabel", L"@MSGBox_noice"}, Text{L"descriptlabel", L"@MsgBox_exit"},
                        Text{L"btnLeft", L"@Yes"}, Text{L"btnRight", L"@No"}, Text{L"btnSure", L"@Yes"}}) {
    if (toolkit::CControlUI* control = findControl(t.control)) control->setText(t.text);
  }
  setImages(findControl(L"btnLeft"), kNeutralImages);
  setImages(findControl(L"btnRight"), kAccentImages);
  if (toolkit::CControlUI* bar = findControl(L"bottombar2")) bar->setVisible(false);
  // Two answers in the 436-pixel row, 16 pixels apart and 20 from each side.
  ui::growButtonsToText(*this, {L"btnLeft", L"btnRight", L"btnSure"}, 32, 189);
}

void DownloaderBox::onLeave(toolkit::TNotifyUI&) {
  leaving_ = true;
  showWindow(false, false);
  if (owner_ && IsWindow(owner_)) {
    // Minimised first: minimising shows a hidden window again, and the owner must stay out
    // of sight (and off the taskbar) while the installer ends.
    CloseWindow(owner_);
    ShowWindow(owner_, SW_HIDE);
  }
  // Only once nothing is on screen: the event is sent before returning and may take seconds.
  events::sendUserCancelNow(model_.analytics(), model_.openId());
  close(IDOK);
  events::reportCancelByUser();
  PostQuitMessage(0);
}

void DownloaderBox::onStay(toolkit::TNotifyUI&) { close(IDCANCEL); }

void DownloaderBox::onFinalMessage(HWND window) {
  if (ui::OpenBoxes* boxes = ui::OpenBoxes::of(owner_)) boxes->remove(ui::OpenBoxes::kExitConfirmation, window);
  if (owner_ && IsWindow(owner_)) {
    EnableWindow(owner_, TRUE);
    // After "Yes" the owner stays hidden: the installer is ending.
    if (!leaving_) {
      ShowWindow(owner_, SW_SHOW);
      SetWindowPos(owner_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
  }
  WindowImplBase::onFinalMessage(window);
}
