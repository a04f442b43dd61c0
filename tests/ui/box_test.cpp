// The boxes as real windows under Wine, driven by posted mouse input.
#include <gtest/gtest.h>

#include "identity/config_imp.h"
#include "tests/ui/box_fixture.h"
#include "toolkit/container.h"
#include "ui/customer_link.h"
#include "ui/downloader_box.h"
#include "ui/error_boxes.h"
#include "ui/message_box.h"
#include "ui/selection_ui.h"

using boxes::BoxTest;

namespace {

struct Counts {
  int close = 0;
  int first = 0;
  int second = 0;
};

HWND twoButtonBox(HWND owner, Counts& counts) {
  const msg::ButtonSpec first{L"@download_close", [&counts] { ++counts.first; }, false};
  const msg::ButtonSpec second{L"@downloadBybrowser", [&counts] { ++counts.second; }, true};
  const msg::MessageBoxParams params{msg::iconPath(0), L"@MSGBox_noice", L"@download_slowtip",
                                     [&counts] { ++counts.close; }, first};
  return msg::showMessageBox(owner, params, &second);
}

toolkit::CControlUI* buttonAt(HWND box, int index) {
  auto* bar = boxes::boxOf(box)->findControl<toolkit::CContainerUI>(L"bottombar");
  return bar->getItemAt(index);
}

TEST_F(BoxTest, ASecondRequestWithTheSameMessageShowsNothingUntilTheFirstIsGone) {
  // As the install button pressed twice without the licence accepted.
  HWND first = msg::showErrorBox(owner_, L"@MsgBox_error", L"@MsgBox_accept_protocol");
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(nullptr, msg::showErrorBox(owner_, L"@MsgBox_error", L"@MsgBox_accept_protocol"));
  gallery::pumpFor(30);
  EXPECT_EQ(1u, boxes::windowsOfClass(L"MessageBoxWindow").size());
  // Another question is another box.
  HWND other = msg::showErrorBox(owner_, L"@MsgBox_error", L"@MsgBox_error_path");
  ASSERT_NE(nullptr, other);
  EXPECT_EQ(2u, boxes_.size());
  ASSERT_TRUE(boxes::clickAndWaitGone(first, L"closebtn"));
  EXPECT_EQ(0u, (boxes_.isOpen(L"@MsgBox_accept_protocol") ? 1u : 0u));
  HWND again = msg::showErrorBox(owner_, L"@MsgBox_error", L"@MsgBox_accept_protocol");
  EXPECT_NE(nullptr, again);
}

TEST_F(BoxTest, TheCloseButtonRunsTheCloseActionOnlyAndEnablesTheOwner) {
  Counts counts;
  HWND box = twoButtonBox(owner_, counts);
  ASSERT_NE(nullptr, box);
  EXPECT_FALSE(IsWindowEnabled(owner_));
  ASSERT_TRUE(boxes::clickAndWaitGone(box, L"closebtn"));
  EXPECT_EQ(1, counts.close);
  EXPECT_EQ(0, counts.first);
  EXPECT_EQ(0, counts.second);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(BoxTest, AButtonRunsItsActionEnablesTheOwnerAndClosesTheBox) {
  Counts counts;
  HWND box = twoButtonBox(owner_, counts);
  ASSERT_NE(nullptr, box);
  gallery::pumpFor(30);  // laid out
  bool ownerEnabledInAction = false;
  auto* second = toolkit::controlAs<msg::CSelectionUI>(buttonAt(box, 2));
  ASSERT_NE(nullptr, second);
  EXPECT_FALSE(IsWindowEnabled(owner_));
  gallery::click(box, gallery::centreOf(second));
  ASSERT_TRUE(gallery::pump([&] { return counts.second == 1; }));
  ownerEnabledInAction = IsWindowEnabled(owner_) != FALSE;
  ASSERT_TRUE(gallery::pump([box] { return !IsWindow(box); }, 4000));
  EXPECT_TRUE(ownerEnabledInAction);
  EXPECT_EQ(0, counts.first);
  EXPECT_EQ(0, counts.close);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  // A button without an action only closes its box.
  HWND plain = msg::showErrorBox(owner_, L"@MsgBox_error", L"@MsgBox_disk_notEnough");
  ASSERT_NE(nullptr, plain);
  gallery::pumpFor(30);
  // The table has no "confirm": the button shows its OK text, never the raw key.
  EXPECT_EQ(L"Sure", buttonAt(plain, 1)->text());
  gallery::click(plain, gallery::centreOf(buttonAt(plain, 1)));
  ASSERT_TRUE(gallery::pump([plain] { return !IsWindow(plain); }, 4000));
  EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(BoxTest, ButtonsSitBetweenTheSpacersInTheOrderAdded) {
  Counts counts;
  HWND box = twoButtonBox(owner_, counts);
  ASSERT_NE(nullptr, box);
  gallery::pumpFor(30);
  auto* bar = boxes::boxOf(box)->findControl<toolkit::CContainerUI>(L"bottombar");
  ASSERT_EQ(4, bar->getCount());
  EXPECT_EQ(L"leftspacer", bar->getItemAt(0)->name());
  EXPECT_EQ(L"rightspacer", bar->getItemAt(3)->name());
  EXPECT_EQ(L"@download_close", bar->getItemAt(1)->text());
  EXPECT_EQ(L"@downloadBybrowser", bar->getItemAt(2)->text());
  const RECT first = bar->getItemAt(1)->pos(), second = bar->getItemAt(2)->pos(), all = bar->pos();
  EXPECT_LT(first.right, second.left);
  // Centred: the spacers share what is left equally.
  EXPECT_NEAR(first.left - all.left, all.right - second.right, 2);
  // The highlighted look on the second only.
  EXPECT_FALSE(toolkit::controlAs<msg::CSelectionUI>(bar->getItemAt(1))->highlighted());
  EXPECT_TRUE(toolkit::controlAs<msg::CSelectionUI>(bar->getItemAt(2))->highlighted());
}

TEST_F(BoxTest, TheAdviceBoxHasNoIconAndTheTextTakesItsRoom) {
  HWND box = msg::showAdviceBox(owner_, L"@path_noice", L"@path_more", msg::ButtonSpec{L"@path_ok", nullptr, true},
                                msg::ButtonSpec{L"@path_not", nullptr, false});
  ASSERT_NE(nullptr, box);
  gallery::pumpFor(30);
  toolkit::CControlUI* icon = boxes::boxOf(box)->findControl(L"msgiconimage");
  EXPECT_TRUE(icon == nullptr || !icon->isReallyVisible());
  const RECT text = boxes::boxOf(box)->findControl(L"descriptlabel")->pos();
  EXPECT_EQ(340, text.right - text.left);
  HWND withIcon = msg::showErrorBox(owner_, L"@MsgBox_error", L"@MsgBox_error_path");
  ASSERT_NE(nullptr, withIcon);
  EXPECT_TRUE(boxes::boxOf(withIcon)->findControl(L"msgiconimage")->isReallyVisible());
  EXPECT_EQ(msg::iconPath(2), boxes::boxOf(withIcon)->findControl(L"msgiconimage")->bkImage());
}

TEST_F(BoxTest, TheIconKindsNameTheirImages) {
  EXPECT_EQ(L"common/msg_noice48.png", msg::iconPath(0));
  EXPECT_EQ(L"common/msg_noice48.png", msg::iconPath(2));
  EXPECT_EQ(L"common/msg_ok48.png", msg::iconPath(3));
  EXPECT_EQ(L"", msg::iconPath(4));
  EXPECT_EQ(L"", msg::iconPath(-1));
}

TEST_F(BoxTest, TheOwnerIsEnabledAgainWhenTheBoxGoesAnyOtherWay) {
  HWND box = msg::showErrorBox(owner_, L"@MsgBox_error", L"@MsgBox_error_path");
  ASSERT_NE(nullptr, box);
  EXPECT_FALSE(IsWindowEnabled(owner_));
  DestroyWindow(box);
  gallery::pumpFor(20);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_TRUE(boxes_.empty());
  // Destroyed with its owner: the key goes with it, so the question can be asked again.
  box = msg::showErrorBox(owner_, L"@MsgBox_error", L"@MsgBox_error_path");
  ASSERT_NE(nullptr, box);
  DestroyWindow(owner_);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(BoxTest, AnActionThatEndsTheOwnerTakesTheBoxWithItSafely) {
  bool ran = false;
  HWND owner = owner_;
  HWND box = msg::showOneButtonBox(owner_, L"@MSGBox_noice", L"@installing_exit_tip",
                                   msg::ButtonSpec{L"@sure", [&ran, owner] {
                                                     ran = true;
                                                     DestroyWindow(owner);
                                                   },
                                                   true});
  ASSERT_NE(nullptr, box);
  gallery::pumpFor(30);
  gallery::click(box, gallery::centreOf(buttonAt(box, 1)));
  ASSERT_TRUE(gallery::pump([&] { return ran && !IsWindow(box); }, 4000));
  gallery::pumpFor(50);
  EXPECT_FALSE(IsWindow(owner));
  EXPECT_TRUE(boxes_.empty());
}

std::wstring windowTitle(HWND window) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  return title;
}

// Keys posted to the box: the message loop offers them to the toolkit's pre-translation.
void press(HWND box, WPARAM key) {
  PostMessageW(box, WM_KEYDOWN, key, 1);
  PostMessageW(box, WM_KEYUP, key, 0xC0000001);
}

TEST_F(BoxTest, EveryBoxHasATitleAndStartsOnItsDefaultButtonWhichEnterPresses) {
  Counts counts;
  HWND generic = twoButtonBox(owner_, counts);
  ASSERT_NE(nullptr, generic);
  gallery::pumpFor(30);
  EXPECT_EQ(L"Prompt", windowTitle(generic));
  // The highlighted button is the default; Tab goes on in the visual order, round to the
  // title bar's close button and then to the first button.
  EXPECT_EQ(buttonAt(generic, 2), boxes::boxOf(generic)->focusedControl());
  press(generic, VK_TAB);
  gallery::pumpFor(30);
  EXPECT_EQ(L"closebtn", boxes::boxOf(generic)->focusedControl()->name());
  press(generic, VK_TAB);
  press(generic, VK_RETURN);
  ASSERT_TRUE(gallery::pump([&] { return counts.first == 1; }));
  ASSERT_TRUE(gallery::pump([generic] { return !IsWindow(generic); }, 4000));

  // The exit confirmation starts on "No": Enter keeps the installer; Esc is its close button.
  DownloaderBox* exit = DownloaderBox::show(owner_, *model_, 10);
  ASSERT_NE(nullptr, exit);
  EXPECT_EQ(L"Prompt", windowTitle(exit->hwnd()));
  EXPECT_EQ(exit->findControl(L"btnRight"), exit->focusedControl());
  HWND window = exit->hwnd();
  press(window, VK_RETURN);
  ASSERT_TRUE(gallery::pump([window] { return !IsWindow(window); }, 4000));
  EXPECT_FALSE(boxes::pumpSeesQuit(50));
  exit = DownloaderBox::show(owner_, *model_, 10);
  ASSERT_NE(nullptr, exit);
  window = exit->hwnd();
  press(window, VK_ESCAPE);
  ASSERT_TRUE(gallery::pump([window] { return !IsWindow(window); }, 4000));
  EXPECT_FALSE(boxes::pumpSeesQuit(50));

  VelInstallErrorBox* install = VelInstallErrorBox::show(owner_, *model_, nullptr);
  ASSERT_NE(nullptr, install);
  EXPECT_EQ(L"Error", windowTitle(install->hwnd()));
  EXPECT_EQ(install->findControl(L"btnLeft"), install->focusedControl());
  VelDownloaderErrorBox* download = VelDownloaderErrorBox::show(owner_, *model_, nullptr);
  ASSERT_NE(nullptr, download);
  EXPECT_EQ(L"Error", windowTitle(download->hwnd()));
  EXPECT_EQ(download->findControl(L"btnLeft"), download->focusedControl());
}

TEST_F(BoxTest, ASecondExitConfirmationReplacesTheFirst) {
  DownloaderBox* first = DownloaderBox::show(owner_, *model_, 10);
  ASSERT_NE(nullptr, first);
  EXPECT_FALSE(IsWindowEnabled(owner_));
  DownloaderBox* second = DownloaderBox::show(owner_, *model_, 20);
  ASSERT_NE(nullptr, second);
  gallery::pumpFor(30);
  EXPECT_EQ(second, DownloaderBox::openOver(owner_));
  EXPECT_EQ(1u, boxes::windowsOfClass(L"box").size());
  EXPECT_EQ(20, second->downloadPercent());
  // The replaced box's end must not free the owner under the new one.
  EXPECT_FALSE(IsWindowEnabled(owner_));
  EXPECT_FALSE(second->findControl(L"bottombar2")->isVisible());
  EXPECT_EQ(L"@MsgBox_exit", second->findControl(L"descriptlabel")->text());
  // "No" closes it only: the owner is enabled and shown again.
  ASSERT_TRUE(boxes::clickAndWaitGone(second->hwnd(), L"btnRight"));
  EXPECT_EQ(nullptr, DownloaderBox::openOver(owner_));
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_TRUE(IsWindowVisible(owner_));
  EXPECT_FALSE(boxes::pumpSeesQuit(50));
}

TEST_F(BoxTest, TheErrorBoxesLeaveTheOwnerEnabledAndTellWhenTheyClose) {
  int closed = 0;
  VelDownloaderErrorBox* download = VelDownloaderErrorBox::show(owner_, *model_, [&closed] { ++closed; });
  ASSERT_NE(nullptr, download);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  HWND window = download->hwnd();
  // No description from the service: the layout's text stays.
  EXPECT_EQ(L"@downloading_error_tip", download->findControl(L"descriptlabel")->text());
  ASSERT_TRUE(boxes::clickAndWaitGone(window, L"closebtn"));
  EXPECT_EQ(1, closed);
  EXPECT_FALSE(boxes::pumpSeesQuit(50));

  VelInstallErrorBox* install = VelInstallErrorBox::show(owner_, *model_, [&closed] { ++closed; });
  ASSERT_NE(nullptr, install);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(L"@install_error_tip2", install->findControl(L"descriptlabel")->text());
  // "cancel" closes the box and ends the message loop.
  window = install->hwnd();
  gallery::click(window, gallery::centreOf(install->findControl(L"btnRight")));
  EXPECT_TRUE(boxes::pumpSeesQuit(600));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(2, closed);
}

TEST_F(BoxTest, TheDownloadErrorBoxOpensTheBrowserAddressAndTheCustomerLink) {
  std::vector<std::wstring> opened;
  msg::setAddressOpener([&opened](const std::wstring& address) { opened.push_back(address); });
  VelDownloaderErrorBox* box = VelDownloaderErrorBox::show(owner_, *model_, nullptr);
  ASSERT_NE(nullptr, box);
  HWND window = box->hwnd();
  gallery::click(window, gallery::centreOf(box->findControl(L"loadingContactUsBtn")));
  ASSERT_TRUE(gallery::pump([&] { return opened.size() == 1; }));
  EXPECT_EQ(msg::customerLinkToOpen(L""), opened[0]);
  EXPECT_TRUE(IsWindow(window));
  gallery::click(window, gallery::centreOf(box->findControl(L"btnRight")));
  EXPECT_TRUE(boxes::pumpSeesQuit(600));
  EXPECT_FALSE(IsWindow(window));
  ASSERT_EQ(2u, opened.size());
  EXPECT_EQ(ConfigImp::instance().browserDownloadUrl(), opened[1]);

  // A download that came whole but was refused: the browser goes to the home page.
  box = VelDownloaderErrorBox::show(owner_, *model_, nullptr, 100);
  ASSERT_NE(nullptr, box);
  window = box->hwnd();
  gallery::click(window, gallery::centreOf(box->findControl(L"btnRight")));
  EXPECT_TRUE(boxes::pumpSeesQuit(600));
  ASSERT_EQ(3u, opened.size());
  EXPECT_EQ(ConfigImp::instance().homePage(), opened[2]);
  msg::setAddressOpener(nullptr);
}

}  // namespace
