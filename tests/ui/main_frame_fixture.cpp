#include "tests/ui/main_frame_fixture.h"

#include <functional>

#include "core/main_thread_dispatcher.h"
#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "skin/language_table.h"
#include "telemetry/vel_reporter.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "tests/ui/box_fixture.h"
#include "toolkit/container.h"
#include "toolkit/progress.h"
#include "toolkit/toolkit.h"
#include "ui/downloader_box.h"
#include "ui/message_box.h"
#include "utility/vel_curl_downloader.h"

using namespace testing_support;

namespace mainframe {
namespace {

bool g_quitSeen = false;

// Like the message loop; a quit message is remembered for pumpUntilQuit.
bool pumpNotingQuit(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD started = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        g_quitSeen = true;
        continue;
      }
      if (toolkit::preTranslateMessage(&message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (GetTickCount() - started >= milliseconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace

std::vector<OpenBox> openMessageBoxes() {
  std::vector<OpenBox> found;
  for (HWND window : boxes::windowsOfClass(L"MessageBoxWindow")) {
    toolkit::WindowImplBase* box = boxes::boxOf(window);
    toolkit::CControlUI* label = box ? box->findControl(L"descriptlabel") : nullptr;
    found.push_back(OpenBox{window, label ? label->displayText() : L""});
  }
  return found;
}

HWND messageBoxWith(const std::wstring& text) {
  for (const OpenBox& box : openMessageBoxes()) {
    if (box.message.find(text) != std::wstring::npos) return box.window;
  }
  return nullptr;
}

bool clickBoxButton(HWND box, int index) {
  toolkit::WindowImplBase* window = boxes::boxOf(box);
  toolkit::CControlUI* bar = window ? window->findControl(L"bottombar") : nullptr;
  auto* container = toolkit::controlAs<toolkit::CContainerUI>(bar);
  if (!container || index >= container->getCount() - 1) return false;
  pumpNotingQuit([] { return false; }, 30);  // laid out
  gallery::click(box, gallery::centreOf(container->getItemAt(index)));
  return pumpNotingQuit([box] { return !IsWindow(box); }, 4000);
}

bool pumpUntilQuit(DWORD milliseconds) {
  pumpNotingQuit([] { return g_quitSeen; }, milliseconds);
  const bool seen = g_quitSeen;
  g_quitSeen = false;
  return seen;
}

std::wstring lookup(const char* key) { return lookupTextOrKey(key); }

void MainFrameTest::SetUpTestSuite() {
  VelCurlDownloader::globalInit();
  MainThreadDispatcher::createInstance();
  // Its periodic pass is 20 s away: the tests wake it when they want a batch.
  VelReporter::instance().start(L"12345", L"device", L"en");
}

void MainFrameTest::TearDownTestSuite() { VelCurlDownloader::globalCleanup(5000); }

void MainFrameTest::SetUp() {
  ASSERT_TRUE(resetStandin());
  dir_ = makeTempDir(L"mainframe");
  ConfigImp::instance().resetForTest();
  model_.reset();
}

void MainFrameTest::TearDown() {
  if (CMainFrame* frame = CMainFrame::current()) {
    if (frame->hwnd()) DestroyWindow(frame->hwnd());
  }
  // The window's boxes go with it.
  gallery::pump([] { return !CMainFrame::current(); }, 5000);
  pumpUntilQuit(30);  // a quit posted by the window must not reach the next test
  g_quitSeen = false;
  EXPECT_EQ(nullptr, CMainFrame::current());
  model_.reset();
  ConfigImp::instance().resetForTest();
  boxes::setUpSkin(L"en_US");
  removeTree(dir_);
}

void MainFrameTest::prepareModel(const std::wstring& installerName, const std::wstring& locale) {
  locale_ = locale;
  boxes::setUpSkin(locale);
  if (!model_) model_.reset(new DownloaderModel());
  DownloaderModel* model = model_.get();
  model->initFrom(L"C:\\downloads\\" + installerName, nullptr);
  model->setLanguage(locale);
  model->setInstallPath(dir_ + L"player\\");
  // The stand-in setup served here is not signed: the window's flow is under test.
  model->setSetupChecker([](const std::wstring&) {
    SetupCheck check;
    check.ok = true;
    return check;
  });
}

CMainFrame* MainFrameTest::open(const std::wstring& installerName, const std::wstring& locale) {
  prepareModel(installerName, locale);
  frame_ = new CMainFrame(*model_);
  if (!frame_->create(nullptr, L"", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0)) {
    delete frame_;
    frame_ = nullptr;
    return nullptr;
  }
  frame_->centerWindow();
  frame_->showWindow(true, true);
  frame_->refreshAfterShow();
  gallery::pumpFor(30);
  return frame_;
}

toolkit::CControlUI* MainFrameTest::control(const wchar_t* name) const {
  return frame_ ? frame_->findControl(name) : nullptr;
}

std::wstring MainFrameTest::textOf(const wchar_t* name) const {
  toolkit::CControlUI* found = control(name);
  return found ? found->getText() : L"<missing " + std::wstring(name) + L">";
}

bool MainFrameTest::visible(const wchar_t* name) const {
  toolkit::CControlUI* found = control(name);
  return found && found->isVisible();
}

int MainFrameTest::barValue(const wchar_t* name) const {
  toolkit::CControlUI* found = control(name);
  auto* bar = toolkit::controlAs<toolkit::CProgressUI>(found);
  return bar ? bar->getValue() : -1;
}

void MainFrameTest::click(const wchar_t* name) {
  toolkit::CControlUI* found = control(name);
  ASSERT_NE(nullptr, found) << testing::PrintToString(std::wstring(name));
  ASSERT_TRUE(found->isReallyVisible()) << testing::PrintToString(std::wstring(name));
  pumpNotingQuit([] { return false; }, 20);
  gallery::click(frame_->hwnd(), gallery::centreOf(found));
  pumpNotingQuit([] { return false; }, 20);
}

void MainFrameTest::shoot(const std::wstring& name) {
  ASSERT_NE(nullptr, frame_);
  gallery::pumpFor(60);
  const gallery::Shot shot = gallery::capture(frame_->hwnd());
  ASSERT_GT(shot.width, 0);
  EXPECT_TRUE(gallery::save(shot, L"mainwindow_" + name + L"_" + locale_ + L".png"));
}

}  // namespace mainframe
