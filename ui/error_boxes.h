#pragma once
// The two failure boxes over the main window. Neither disables its owner; each is open at
// most once over it (ui/open_boxes.h) and runs its close action after its last message.
// Window thread only.
#include <windows.h>

#include <functional>

#include "toolkit/window_impl_base.h"

class DownloaderModel;

// What the two boxes share: their model, their key among the owner's open boxes, the contact
// link, the fonts and fitted buttons, and the close action after the last message.
class ErrorBox : public toolkit::WindowImplBase {
 protected:
  ErrorBox(DownloaderModel& model, std::function<void()> closeAction, const wchar_t* key);
  // Created over owner, centred and shown; null (and deleted) when a box of the key is open
  // over owner already or the window could not be made.
  static ErrorBox* showOver(ErrorBox* box, HWND owner);
  UINT getClassStyle() const override { return CS_HREDRAW | CS_VREDRAW; }
  void initWindow() override;
  void onFinalMessage(HWND window) override;
  toolkit::CControlUI* defaultButton() override { return findControl(L"btnLeft"); }
  void onContact(toolkit::TNotifyUI& msg);

  DownloaderModel& model_;

 private:
  std::function<void()> closeAction_;
  const wchar_t* key_;
};

// The player download failed: retry (resumes the partial file), download through the web
// browser (and leave), or contact customer service.
class VelDownloaderErrorBox : public ErrorBox {
 public:
  // Created over owner, centred and shown; null when one is open over owner already or the
  // window could not be made. Retry resumes the model's download. downloadPercent picks the
  // browser button's address: below 100 the download address, at 100 (the file came whole
  // but was refused) the home page.
  static VelDownloaderErrorBox* show(HWND owner, DownloaderModel& model, std::function<void()> closeAction,
                                     int downloadPercent = 0);

 protected:
  const wchar_t* getWindowClassName() const override { return L"downloadErrorBox"; }
  std::wstring getSkinFile() override { return L"downloaderrorbox.xml"; }

 private:
  VelDownloaderErrorBox(DownloaderModel& model, std::function<void()> closeAction, int downloadPercent);
  void onRetry(toolkit::TNotifyUI& msg);
  void onBrowser(toolkit::TNotifyUI& msg);

  int downloadPercent_;
};

// The player setup failed: leave, or contact customer service.
class VelInstallErrorBox : public ErrorBox {
 public:
  // As the download error box; the message is the model's install error text when the
  // service gave one.
  static VelInstallErrorBox* show(HWND owner, DownloaderModel& model, std::function<void()> closeAction);

 protected:
  const wchar_t* getWindowClassName() const override { return L"VelInstallErrorBox"; }
  std::wstring getSkinFile() override { return L"installbox.xml"; }
  void initWindow() override;

 private:
  VelInstallErrorBox(DownloaderModel& model, std::function<void()> closeAction);
  void onLeave(toolkit::TNotifyUI& msg);
  void onCloseAndLeave(toolkit::TNotifyUI& msg);
};
