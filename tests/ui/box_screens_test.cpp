// Every box in three languages (left-to-right Latin, Chinese, right-to-left Arabic), saved
// under the build tree, and the contrast rule checked on what was rendered: each text sits
// on its background at 4.5:1 or more.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "tests/ui/box_fixture.h"
#include "toolkit/label.h"
#include "ui/downloader_box.h"
#include "ui/error_boxes.h"
#include "ui/message_box.h"

namespace {

double luminance(uint32_t rgb) {
  auto channel = [](uint32_t value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel((rgb >> 16) & 0xFF) + 0.7152 * channel((rgb >> 8) & 0xFF) + 0.0722 * channel(rgb & 0xFF);
}

double contrast(uint32_t a, uint32_t b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int distance(uint32_t a, uint32_t b) {
  int sum = 0;
  for (int shift : {0, 8, 16}) sum += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
  return sum;
}

// For each visible control with text: the most common colour of its rectangle is taken as
// its background; the text must contrast with it, and the rendering must show the text.
void checkTexts(toolkit::WindowImplBase* box, const gallery::Shot& shot) {
  int checked = 0;
  box->rootControl()->forEach([&](toolkit::CControlUI* control) {
    if (!control->isReallyVisible() || control->displayText().empty() || !control->getInterface(L"Label")) return;
    SCOPED_TRACE(testing::PrintToString(control->name().empty() ? control->text() : control->name()));
    const RECT r = control->pos();
    std::map<uint32_t, int> histogram;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) ++histogram[shot.rgb(x, y)];
    }
    uint32_t background = 0;
    int most = 0;
    for (const auto& entry : histogram) {
      if (entry.second > most) most = entry.second, background = entry.first;
    }
    const uint32_t text = control->textColor() & 0xFFFFFF;
    EXPECT_GE(contrast(background, text), 4.5) << std::hex << "text " << text << " on " << background;
    int ink = 0;
    for (const auto& entry : histogram) {
      if (distance(entry.first, text) < distance(entry.first, background)) ink += entry.second;
    }
    EXPECT_GT(ink, 15) << "the text is not drawn in its colour";
    ++checked;
  });
  EXPECT_GE(checked, 3);
}

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
    checkTexts(boxes::boxOf(box), shot);
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
  DownloaderBox* exitBox = DownloaderBox::show(owner_, 40);
  ASSERT_NE(nullptr, exitBox);
  shoot(exitBox->hwnd(), L"exit");
  VelDownloaderErrorBox* download = VelDownloaderErrorBox::show(owner_, nullptr);
  ASSERT_NE(nullptr, download);
  shoot(download->hwnd(), L"download_error");
  VelInstallErrorBox* install = VelInstallErrorBox::show(owner_, nullptr);
  ASSERT_NE(nullptr, install);
  shoot(install->hwnd(), L"install_error");
}

INSTANTIATE_TEST_SUITE_P(Languages, BoxScreensTest, testing::Values(L"en_US", L"zh_CN", L"ar_IL"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                           std::string name;
                           for (const wchar_t* c = info.param; *c; ++c) name += static_cast<char>(*c);
                           return name;
                         });

}  // namespace
