#pragma once
// A plain owner window on the test thread, the skin folder with the drawn images, and the
// language table; the boxes made in a test are gone when it ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "model/downloader_model.h"
#include "tests/toolkit/gallery_window.h"
#include "toolkit/window_impl_base.h"
#include "ui/open_boxes.h"

namespace boxes {

void setUpSkin(const std::wstring& locale = L"en_US");
// The visible top-level windows of this thread with the class name.
std::vector<HWND> windowsOfClass(const wchar_t* className);
toolkit::WindowImplBase* boxOf(HWND window);
// Clicks the named control of a box and pumps until the box window is gone.
bool clickAndWaitGone(HWND box, const wchar_t* control);
// Pumps like the message loop and reports whether WM_QUIT came (taken out of the queue).
bool pumpSeesQuit(DWORD milliseconds);

class BoxTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND owner_ = nullptr;
  // The owner's open boxes, as the main window keeps them.
  ui::OpenBoxes boxes_;
  // The model the boxes tell (not started: nothing reaches the network).
  std::unique_ptr<DownloaderModel> model_;
};

}  // namespace boxes
