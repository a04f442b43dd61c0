#pragma once
// The main window as the installer makes it, on the test thread, over the staged skin and
// the stand-in service: a fresh model named like a campaign copy, installing into a
// temporary folder. Boxes and the window are gone when a test ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "model/downloader_model.h"
#include "tests/toolkit/gallery_window.h"
#include "ui/main_frame.h"

namespace mainframe {

// The generic boxes open on this thread with their message texts.
struct OpenBox {
  HWND window;
  std::wstring message;
};
std::vector<OpenBox> openMessageBoxes();
// The open generic box whose message contains the text, or null.
HWND messageBoxWith(const std::wstring& text);
// Clicks the box's button (1: the left one) and pumps until the box is gone.
bool clickBoxButton(HWND box, int index);
// Pumps like the message loop; true once WM_QUIT came (taken out of the queue).
bool pumpUntilQuit(DWORD milliseconds);
std::wstring lookup(const char* key);

class MainFrameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // A model for the installer file name, installing into dir_ + "player\"; then the window,
  // created, shown and refreshed the way the application shows it.
  void prepareModel(const std::wstring& installerName, const std::wstring& locale);
  CMainFrame* open(const std::wstring& installerName = L"VelPlayer9_ens_12345_x.exe",
                   const std::wstring& locale = L"en_US");
  toolkit::CControlUI* control(const wchar_t* name) const;
  std::wstring textOf(const wchar_t* name) const;
  bool visible(const wchar_t* name) const;
  int barValue(const wchar_t* name) const;
  void click(const wchar_t* name);
  // Saved under the build folder as mainwindow_<name>_<locale>.png.
  void shoot(const std::wstring& name);

  std::wstring dir_;
  std::wstring locale_ = L"en_US";
  // The test's one model, as the application's, made by prepareModel; outlives the window.
  std::unique_ptr<DownloaderModel> model_;
  CMainFrame* frame_ = nullptr;
};

}  // namespace mainframe
