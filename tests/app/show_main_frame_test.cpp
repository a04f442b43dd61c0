// The application showing its main window: the system checks through invented systems, and
// a second start's request bringing the window back to the front.
#include <gtest/gtest.h>

#include "app/download_impl.h"
#include "app/system_checks.h"
#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "model/installer_endpoint.h"
#include "tests/support/log_capture.h"
#include "tests/support/test_support.h"
#include "tests/ui/box_fixture.h"
#include "tests/ui/main_frame_fixture.h"

using namespace testing_support;

namespace {

class ShowMainFrameTest : public mainframe::MainFrameTest {
 protected:
  void TearDown() override {
    system_checks::setFactsForTest(nullptr);
    MainFrameTest::TearDown();
  }
  system_checks::SystemFacts facts_;
};

}  // namespace

TEST(SystemChecks, DecisionsByVersionArchitectureAndPlayer) {
  struct Case {
    DWORD major;
    WORD architecture;
    PlayerVariant variant;
    system_checks::SystemAction action;
  };
  using A = system_checks::SystemAction;
  const Case cases[] = {
      {5, PROCESSOR_ARCHITECTURE_AMD64, PlayerVariant::V9, A::OldSystemBox},
      {5, PROCESSOR_ARCHITECTURE_INTEL, PlayerVariant::V9, A::OldSystemBox},
      {6, PROCESSOR_ARCHITECTURE_AMD64, PlayerVariant::V9, A::None},
      {10, PROCESSOR_ARCHITECTURE_IA64, PlayerVariant::V64, A::None},
      {6, PROCESSOR_ARCHITECTURE_INTEL, PlayerVariant::V9, A::SwitchToPlayer4},
      {6, PROCESSOR_ARCHITECTURE_INTEL, PlayerVariant::V64, A::SwitchToPlayer4},
      {10, PROCESSOR_ARCHITECTURE_INTEL, PlayerVariant::V40, A::Stay32},
      {10, PROCESSOR_ARCHITECTURE_INTEL, PlayerVariant::V30, A::Stay32},
      {10, PROCESSOR_ARCHITECTURE_ARM64, PlayerVariant::V9, A::SwitchToPlayer4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.major << " " << c.architecture << " " << static_cast<int>(c.variant));
    EXPECT_EQ(c.action, system_checks::decide(system_checks::SystemFacts{c.major, c.architecture}, c.variant));
  }
  const system_checks::SystemFacts real = system_checks::currentFacts();
  EXPECT_GT(real.majorVersion, 5u);
  EXPECT_EQ(PROCESSOR_ARCHITECTURE_AMD64, real.nativeArchitecture) << "this Wine prefix is 64-bit";
}

TEST_F(ShowMainFrameTest, A32BitSystemSwitchesThe9PlayerTo40OnceAndRefreshesTheWindow) {
  prepareModel(L"VelPlayer9_ens_12345_x.exe", L"en_US");
  facts_ = {6, PROCESSOR_ARCHITECTURE_INTEL};
  system_checks::setFactsForTest(&facts_);
  DownloadImpl application(std::move(model_));
  LogCapture log;
  application.showMainFrame();
  frame_ = CMainFrame::current();
  ASSERT_NE(nullptr, frame_);
  EXPECT_TRUE(!log.find(L"32 system!!!").empty());
  EXPECT_EQ(PlayerVariant::V40, ConfigImp::instance().variant());
  const std::wstring path = application.model()->installPath();
  EXPECT_NE(std::wstring::npos, path.find(ConfigImp::instance().variantFolderName())) << path;
  EXPECT_EQ(path, textOf(L"pathedit"));
  EXPECT_TRUE(visible(L"logoControl"));
  EXPECT_FALSE(visible(L"logoControl9"));

  application.model()->setInstallPath(dir_ + L"chosen\\");
  application.onHandleWindowIPC(installer_endpoint::kShowWindow, 0, 0);
  EXPECT_EQ(CMainFrame::current(), frame_) << "one window";
  EXPECT_EQ(dir_ + L"chosen\\", application.model()->installPath()) << "no second switch";
}

TEST_F(ShowMainFrameTest, BeforeVistaTheWindowHasAFrameAndTheBoxClosesIt) {
  prepareModel(L"VelPlayer9_ens_12345_x.exe", L"en_US");
  facts_ = {5, PROCESSOR_ARCHITECTURE_INTEL};
  system_checks::setFactsForTest(&facts_);
  DownloadImpl application(std::move(model_));
  application.showMainFrame();
  frame_ = CMainFrame::current();
  ASSERT_NE(nullptr, frame_);
  EXPECT_TRUE(GetWindowLongW(frame_->hwnd(), GWL_STYLE) & WS_THICKFRAME);
  EXPECT_EQ(PlayerVariant::V9, ConfigImp::instance().variant()) << "the old-system box comes first";
  HWND box = mainframe::messageBoxWith(mainframe::lookup("MsgBox_xp"));
  ASSERT_NE(nullptr, box);
  ASSERT_TRUE(mainframe::clickBoxButton(box, 1));
  EXPECT_TRUE(mainframe::pumpUntilQuit(3000));
  EXPECT_EQ(nullptr, CMainFrame::current());
  frame_ = nullptr;
}

TEST_F(ShowMainFrameTest, ASecondStartRestoresTheMinimisedWindowAndBringsItToTheFront) {
  prepareModel(L"VelPlayer9_ens_12345_x.exe", L"en_US");
  facts_ = {10, PROCESSOR_ARCHITECTURE_AMD64};
  system_checks::setFactsForTest(&facts_);
  DownloadImpl application(std::move(model_));
  application.showMainFrame();
  frame_ = CMainFrame::current();
  ASSERT_NE(nullptr, frame_);
  EXPECT_EQ(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
            GetWindowLongW(frame_->hwnd(), GWL_STYLE) & (WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_THICKFRAME));
  wchar_t className[32] = {};
  GetClassNameW(frame_->hwnd(), className, 32);
  EXPECT_STREQ(L"cmainframe", className);
  EXPECT_EQ(static_cast<ULONG_PTR>(CMainFrame::kClassStyle), GetClassLongPtrW(frame_->hwnd(), GCL_STYLE));

  ShowWindow(frame_->hwnd(), SW_MINIMIZE);
  gallery::pumpFor(50);
  ASSERT_TRUE(IsIconic(frame_->hwnd()));
  application.onHandleWindowIPC(installer_endpoint::kShowWindow, 0, 0);
  gallery::pumpFor(50);
  EXPECT_FALSE(IsIconic(frame_->hwnd()));
  EXPECT_TRUE(IsWindowVisible(frame_->hwnd()));
  EXPECT_EQ(frame_->hwnd(), GetForegroundWindow());
  EXPECT_FALSE(GetWindowLongW(frame_->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "the topmost round trip ends non-topmost";
}
