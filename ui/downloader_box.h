#pragma once
// The exit confirmation shown while nothing is installed yet: "Yes" leaves the installer
// (telemetry first), "No" keeps it. At most one is open over its owner (ui/open_boxes.h); a
// new request replaces the open one. Window thread only.
#include <windows.h>

#include "toolkit/window_impl_base.h"

class DownloaderModel;

class DownloaderBox : public toolkit::WindowImplBase {
 public:
  // Replaces any open exit confirmation over owner, then shows one over owner and disables
  // it. "Yes" tells the model's analytics client.
  static DownloaderBox* show(HWND owner, DownloaderModel& model, int downloadPercent);
  // The exit confirmation open over owner, or null.
  static DownloaderBox* openOver(HWND owner);

  HWND owner() const { return owner_; }
  int downloadPercent() const { return downloadPercent_; }

 protected:
  const wchar_t* getWindowClassName() const override { return L"box"; }
  UINT getClassStyle() const override { return CS_HREDRAW | CS_VREDRAW; }
  std::wstring getSkinFile() override { return L"downloaderbox.xml"; }
  void initWindow() override;
  void onFinalMessage(HWND window) override;
  // "No": the box's answer that changes nothing.
  toolkit::CControlUI* defaultButton() override { return findControl(L"btnRight"); }

 private:
  DownloaderBox(HWND owner, DownloaderModel& model, int downloadPercent);
  void onLeave(toolkit::TNotifyUI& msg);
  void onStay(toolkit::TNotifyUI& msg);

  HWND owner_;
  DownloaderModel& model_;
  int downloadPercent_;
  bool leaving_ = false;
};
