// Every box in every language of the table, saved under the build tree, with the contrast
// rule checked on what was rendered (each text sits on its background at 4.5:1 or more)
// and every text whole in its box.
#include <gtest/gtest.h>

#include "tests/ui/box_fixture.h"
#include "tests/ui/text_contrast.h"
#include "tests/ui/text_fit.h"
#include "toolkit/label.h"
#include "toolkit/toolkit.h"
#include "ui/downloader_box.h"
#include "ui/error_boxes.h"
#include "ui/message_box.h"

namespace {

class BoxScreensTest : public boxes::BoxTest, public testing::WithParamInterface<const wchar_t*> {
 protected:
  void SetUp() override {
    BoxTest::SetUp();
    boxes::setUpSkin(GetParam());
  }
  void TearDown() override {
    BoxTest::TearDown();
    boxes::setUpSkin(L"en_US");
  }
  void shoot(HWND box, const std::wstring& name) {
    ASSERT_NE(nullptr, box);
    gallery::pumpFor(60);
    const gallery::Shot shot = gallery::capture(box);
    ASSERT_GT(shot.width, 0);
    EXPECT_TRUE(gallery::save(shot, L"box_" + name + L"_" + GetParam() + L".png"));
    EXPECT_GE(contrast::checkTexts(boxes::boxOf(box)->rootControl(), shot), 3);
    EXPECT_GE(textfit::expectTextsFit(*boxes::boxOf(box)), 3);
    DestroyWindow(box);
    gallery::pumpFor(20);
  }
};

TEST_P(BoxScreensTest, EveryBoxIsReadable) {
  shoot(msg::showErrorBox(owner_, L"@MsgBox_error", L"@MsgBox_disk_notEnough"), L"error");
  shoot(msg::showTwoButtonBox(owner_, L"@MSGBox_noice", L"@download_slowtip",
                              msg::ButtonSpec{L"@download_close", nullptr, false},
                              msg::ButtonSpec{L"@downloadBybrowser", nullptr, true}),
        L"two_buttons");
  shoot(msg::showAdviceBox(owner_, L"@path_noice", L"@path_more", msg::ButtonSpec{L"@path_ok", nullptr, true},
                           msg::ButtonSpec{L"@path_not", nullptr, false}),
        L"advice_noicon");
  // The remote look, through the interface.
  HWND remote = msg::showOneButtonBox(owner_, L"@MSGBox_noice", L"@installing_exit_tip",
                                      msg::ButtonSpec{L"@sure", nullptr, true});
  ASSERT_NE(nullptr, remote);
  auto* box = dynamic_cast<msg::IMessageBox*>(boxes::boxOf(remote));
  ASSERT_NE(nullptr, box);
  box->addRemoteButton(msg::ButtonSpec{L"@Yes", nullptr, true});
  box->addRemoteButton(msg::ButtonSpec{L"@No", nullptr, false});
  shoot(remote, L"remote_buttons");
  DownloaderBox* exitBox = DownloaderBox::show(owner_, *model_, 40);
  ASSERT_NE(nullptr, exitBox);
  gallery::pumpFor(30);
  // Mirrored for a right-to-left language: "Yes", the first answer, on the right.
  EXPECT_EQ(toolkit::isRightToLeftLanguage(GetParam()),
            exitBox->findControl(L"btnLeft")->pos().left > exitBox->findControl(L"btnRight")->pos().left);
  shoot(exitBox->hwnd(), L"exit");
  VelDownloaderErrorBox* download = VelDownloaderErrorBox::show(owner_, *model_, nullptr);
  ASSERT_NE(nullptr, download);
  shoot(download->hwnd(), L"download_error");
  VelInstallErrorBox* install = VelInstallErrorBox::show(owner_, *model_, nullptr);
  ASSERT_NE(nullptr, install);
  shoot(install->hwnd(), L"install_error");
}

INSTANTIATE_TEST_SUITE_P(Languages, BoxScreensTest,
                         testing::Values(L"en_US", L"zh_CN", L"ar_IL", L"zh_TW", L"ko_KR", L"vi_VN", L"th_TH", L"in_ID",
                                         L"ja_JP", L"ru_RU", L"pt_PT", L"es_ES", L"tr_TR", L"fr_FR", L"de_DE", L"it_IT",
                                         L"fa_IR", L"ms_MY", L"uk_UA"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                           std::string name;
                           for (const wchar_t* c = info.param; *c; ++c) name += static_cast<char>(*c);
                           return name;
                         });

}  // namespace
