// The main window's pages in four languages (Latin, Chinese, right-to-left Arabic, Thai with
// its larger fonts), saved under the build folder for review.
#include <gtest/gtest.h>

#include "model/downloader_model.h"
#include "tests/ui/main_frame_fixture.h"

namespace {

class MainFrameScreensTest : public mainframe::MainFrameTest, public testing::WithParamInterface<const wchar_t*> {};

}  // namespace

TEST_P(MainFrameScreensTest, EveryPage) {
  ASSERT_NE(nullptr, open(L"VelPlayer9_ens_12345_x.exe", GetParam()));
  shoot(L"setup");
  frame_->showPathUI(true);
  shoot(L"setup_path");
  frame_->setInstallPath(L"C:\\bad|name");
  shoot(L"setup_invalid_path");
  frame_->setInstallPath(dir_ + L"player");
  frame_->selectPage(CMainFrame::kProgressPage);
  frame_->nextTip();
  frame_->showDownloadProgress(42, 5 * 1048576 + 1048576 / 4, 12 * 1048576);
  shoot(L"progress");
  GameRecord game;
  game.displayName = L"Sky Racer";
  model_->games() = {game, game};
  frame_->showGamePage(game);
  frame_->showGameCounted();
  frame_->showGameDownloadProgress(12 * 1048576 + 7, 345 * 1048576);
  shoot(L"game");
  frame_->selectPage(CMainFrame::kFinishPage);
  shoot(L"finish");
}

INSTANTIATE_TEST_SUITE_P(Locales, MainFrameScreensTest, testing::Values(L"en_US", L"zh_CN", L"ar_IL", L"th_TH"));
