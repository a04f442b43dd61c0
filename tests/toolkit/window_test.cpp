// Real windows under Wine: the gallery driven by posted mouse and key messages through a
// message loop with the toolkit's pre-translation.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/toolkit/gallery_fixture.h"
#include "toolkit/combo.h"
#include "toolkit/edit.h"
#include "toolkit/option.h"
#include "toolkit/progress.h"
#include "toolkit/rich_edit.h"
#include "toolkit/tab_layout.h"
#include "toolkit/window_accessible.h"

namespace {

class WindowTest : public gallery::GalleryFixture {
 protected:
  toolkit::CControlUI* control(const wchar_t* name) {
    toolkit::CControlUI* found = window_->findControl(name);
    EXPECT_NE(nullptr, found) << name;
    return found;
  }
  bool clickAndWait(const wchar_t* name, const wchar_t* type = L"click") {
    const int before = window_->count(type, name);
    gallery::click(hwnd_, gallery::centreOf(control(name)));
    return gallery::pump([&] { return window_->count(type, name) > before; }, 1500);
  }
};

TEST_F(WindowTest, TheLayoutSizesTheWindowAndLaysTheControlsOut) {
  RECT client;
  GetClientRect(hwnd_, &client);
  EXPECT_EQ(640, client.right);
  EXPECT_EQ(400, client.bottom);
  const RECT close = control(L"closebtn")->pos();
  EXPECT_EQ(28, close.right - close.left);
  // Inset 10 on the right, then the button's own 4 of padding.
  EXPECT_EQ(640 - 10 - 4, close.right);
  // The tab page fills what the fixed rows leave: 400 - 10 - (40+48+30+40+48) - 5*6.
  const RECT page = control(L"richedit")->pos();
  EXPECT_EQ(400 - 10, page.bottom);
  EXPECT_EQ(400 - 10 - 206 - 30, page.bottom - page.top);
}

TEST_F(WindowTest, ClicksReachTheMapAndTheRightControl) {
  ASSERT_TRUE(clickAndWait(L"textbtn"));
  EXPECT_EQ(1, window_->mappedClicks);
  ASSERT_TRUE(clickAndWait(L"smallbtn"));
  EXPECT_EQ(1, window_->mappedClicks);
  EXPECT_EQ(1, window_->count(L"click", L"textbtn"));
}

TEST_F(WindowTest, HiddenAndDisabledButtonsSendNoClick) {
  // The hidden button takes no room: the text button sits where it would be.
  auto* hidden = control(L"hiddenbtn");
  hidden->setVisible(true);
  gallery::pumpFor(30);
  const POINT where = gallery::centreOf(hidden);
  hidden->setVisible(false);
  gallery::click(hwnd_, where);
  gallery::click(hwnd_, gallery::centreOf(control(L"disabledbtn")));
  ASSERT_TRUE(clickAndWait(L"smallbtn"));  // the clicks before it have been handled too
  EXPECT_EQ(0, window_->count(L"click", L"hiddenbtn"));
  EXPECT_EQ(0, window_->count(L"click", L"disabledbtn"));
  EXPECT_EQ(1, window_->count(L"click", L"textbtn"));  // it moved under the hidden one's spot
}

TEST_F(WindowTest, OptionsOfAGroupSelectOneAnotherAWayAndALoneOptionToggles) {
  auto* one = window_->findControl<toolkit::COptionUI>(L"opt1");
  auto* two = window_->findControl<toolkit::COptionUI>(L"opt2");
  auto* check = window_->findControl<toolkit::COptionUI>(L"check");
  ASSERT_TRUE(one && two && check);
  ASSERT_TRUE(clickAndWait(L"opt2", L"selectchanged"));
  EXPECT_TRUE(two->isSelected());
  EXPECT_FALSE(one->isSelected());
  EXPECT_EQ(1, window_->count(L"selectchanged", L"opt1"));
  ASSERT_TRUE(clickAndWait(L"opt2", L"click"));  // selected already: stays, no change
  EXPECT_TRUE(two->isSelected());
  EXPECT_EQ(1, window_->count(L"selectchanged", L"opt2"));
  ASSERT_TRUE(clickAndWait(L"check", L"selectchanged"));
  ASSERT_TRUE(clickAndWait(L"check", L"selectchanged"));
  EXPECT_FALSE(check->isSelected());
}

TEST_F(WindowTest, TheEditTakesTypedTextAndSendsKillFocusWhenLeft) {
  auto* edit = window_->findControl<toolkit::CEditUI>(L"edit");
  ASSERT_NE(nullptr, edit);
  gallery::click(hwnd_, gallery::centreOf(edit));
  ASSERT_TRUE(gallery::pump([&] { return edit->isEditing(); }));
  HWND native = edit->nativeWindow();
  ASSERT_EQ(native, GetFocus());
  for (wchar_t c : std::wstring(L"\\Vel")) PostMessageW(native, WM_CHAR, c, 1);
  gallery::pumpFor(30);
  EXPECT_EQ(L"C:\\Games\\Vel", edit->getText());
  // Leaving by a click on a label: the focus goes nowhere, the edit reports.
  gallery::click(hwnd_, gallery::centreOf(control(L"multiline")));
  ASSERT_TRUE(gallery::pump([&] { return window_->count(L"killfocus", L"edit") == 1; }));
  EXPECT_FALSE(edit->isEditing());
  EXPECT_EQ(L"C:\\Games\\Vel", edit->text());
  // Leaving by Tab from inside the edit child, through the pre-translation.
  gallery::click(hwnd_, gallery::centreOf(edit));
  ASSERT_TRUE(gallery::pump([&] { return edit->isEditing(); }));
  gallery::key(edit->nativeWindow(), VK_TAB);
  ASSERT_TRUE(gallery::pump([&] { return window_->count(L"killfocus", L"edit") == 2; }));
  EXPECT_EQ(L"richedit", window_->focusedControl()->name());
  // Enter ends the typing as well.
  window_->setFocusedControl(edit);
  ASSERT_TRUE(edit->isEditing());
  gallery::key(edit->nativeWindow(), VK_RETURN);
  ASSERT_TRUE(gallery::pump([&] { return window_->count(L"killfocus", L"edit") == 3; }));
  EXPECT_EQ(nullptr, window_->focusedControl());
}

TEST_F(WindowTest, LeavingTheEditForAnotherWindowLeavesTheFocusThere) {
  // A second window of the same thread, as a modeless box is; gone at the end of the test.
  struct OtherWindow {
    gallery::GalleryWindow::Observer observer;
    HWND hwnd = nullptr;
    ~OtherWindow() {
      if (!observer.deleted && IsWindow(hwnd)) DestroyWindow(hwnd);
      gallery::pump([this] { return observer.deleted; }, 2000);
    }
  } other;
  other.hwnd = (new gallery::GalleryWindow(&other.observer))->open(0, 420);
  ASSERT_NE(nullptr, other.hwnd);
  auto* edit = window_->findControl<toolkit::CEditUI>(L"edit");
  ASSERT_NE(nullptr, edit);

  struct Move {
    const char* how;
    void (*to)(HWND);
  } moves[] = {{"SetFocus", [](HWND w) { SetFocus(w); }}, {"SetActiveWindow", [](HWND w) { SetActiveWindow(w); }}};
  int left = 0;
  for (const Move& move : moves) {
    window_->setFocusedControl(edit);
    ASSERT_TRUE(edit->isEditing()) << move.how;
    ASSERT_EQ(edit->nativeWindow(), GetFocus()) << move.how;
    move.to(other.hwnd);
    gallery::pumpFor(50);
    EXPECT_EQ(other.hwnd, GetFocus()) << move.how;
    EXPECT_EQ(other.hwnd, GetActiveWindow()) << move.how;
    // The edit still finished its typing and reported it.
    EXPECT_FALSE(edit->isEditing()) << move.how;
    EXPECT_EQ(nullptr, window_->focusedControl()) << move.how;
    EXPECT_EQ(++left, window_->count(L"killfocus", L"edit")) << move.how;
  }
}

TEST_F(WindowTest, TheComboSelectsFromItsDropListAndWithTheArrowKeys) {
  auto* combo = window_->findControl<toolkit::CComboUI>(L"langcombo");
  ASSERT_NE(nullptr, combo);
  EXPECT_EQ(0, combo->getCurSel());
  gallery::click(hwnd_, gallery::centreOf(combo));
  ASSERT_TRUE(gallery::pump([&] { return combo->isDropOpen(); }));
  HWND drop = combo->dropWindow();
  const int y = combo->itemHeight() * 2 + combo->itemHeight() / 2;
  PostMessageW(drop, WM_MOUSEMOVE, 0, MAKELPARAM(10, y));
  PostMessageW(drop, WM_LBUTTONUP, 0, MAKELPARAM(10, y));
  ASSERT_TRUE(gallery::pump([&] { return window_->count(L"itemselect", L"langcombo") == 1; }));
  EXPECT_FALSE(combo->isDropOpen());
  EXPECT_FALSE(IsWindow(drop));
  EXPECT_EQ(2, combo->getCurSel());
  EXPECT_EQ(L"vn", combo->getItemAt(combo->getCurSel())->userData);
  EXPECT_EQ(L"Tiếng Việt", combo->getText());
  // Up while it has the focus: the previous item, notified with its index.
  window_->setFocusedControl(combo);
  gallery::key(hwnd_, VK_UP);
  ASSERT_TRUE(gallery::pump([&] { return window_->count(L"itemselect", L"langcombo") == 2; }));
  EXPECT_EQ(1u, window_->notes.back().wParam);
  EXPECT_EQ(L"de", combo->getItemAt(combo->getCurSel())->userData);
}

TEST_F(WindowTest, TabWalksTheEnabledVisibleControlsAndEnterOrSpacePresses) {
  window_->setFocusedControl(window_->findControl(L"textbtn"));
  gallery::key(hwnd_, VK_TAB);  // the disabled button is skipped
  ASSERT_TRUE(gallery::pump([&] { return window_->focusedControl() == window_->findControl(L"opt1"); }));
  gallery::key(hwnd_, VK_TAB);
  gallery::key(hwnd_, VK_SPACE);
  ASSERT_TRUE(gallery::pump([&] { return window_->count(L"click", L"opt2") == 1; }));
  SetFocus(hwnd_);
  window_->setFocusedControl(window_->findControl(L"textbtn"));
  gallery::key(hwnd_, VK_RETURN);
  ASSERT_TRUE(gallery::pump([&] { return window_->mappedClicks == 1; }));
  // Enter on a check box, or with nothing focused, presses the default button; Space on a
  // check box still ticks it.
  window_->defaultName = L"textbtn";
  window_->setFocusedControl(window_->findControl(L"check"));
  gallery::key(hwnd_, VK_RETURN);
  ASSERT_TRUE(gallery::pump([&] { return window_->mappedClicks == 2; }));
  EXPECT_EQ(0, window_->count(L"click", L"check"));
  window_->setFocusedControl(nullptr);
  gallery::key(hwnd_, VK_RETURN);
  ASSERT_TRUE(gallery::pump([&] { return window_->mappedClicks == 3; }));
  // Shift+Tab goes back, wrapping past the first control to the last.
  window_->setFocusedControl(window_->findControl(L"langcombo"));
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  gallery::key(hwnd_, VK_TAB);
  gallery::pumpFor(50);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(L"richedit", window_->focusedControl()->name());
}

TEST_F(WindowTest, TheFocusRingShowsFromTheFirstKeyOnAndFollowsTheFocus) {
  const auto ringPixel = [&](const wchar_t* name) {
    const RECT pos = control(name)->pos();
    return gallery::capture(hwnd_).rgb(pos.left - 2, (pos.top + pos.bottom) / 2);
  };
  constexpr uint32_t kAccent = 0x268FD6;
  window_->setFocusedControl(control(L"smallbtn"));
  gallery::pumpFor(30);
  // Focused by the program or the mouse: no ring yet, as in Windows' own dialogs, unless
  // the system is set to show keyboard cues always (as Wine is).
  BOOL alwaysShown = FALSE;
  SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &alwaysShown, 0);
  EXPECT_EQ(alwaysShown != FALSE, window_->focusCuesShown());
  if (!alwaysShown) EXPECT_NE(kAccent, ringPixel(L"smallbtn"));
  gallery::key(hwnd_, VK_TAB);
  ASSERT_TRUE(gallery::pump([&] { return window_->focusedControl() == control(L"bigbtn"); }));
  gallery::pumpFor(30);
  EXPECT_EQ(kAccent, ringPixel(L"bigbtn"));
  EXPECT_NE(kAccent, ringPixel(L"smallbtn"));
  // On the dark title bar too, with the white inner line against the control.
  window_->setFocusedControl(control(L"closebtn"));
  gallery::pumpFor(30);
  const RECT close = control(L"closebtn")->pos();
  const gallery::Shot shot = gallery::capture(hwnd_);
  EXPECT_EQ(kAccent, shot.rgb(close.left - 2, (close.top + close.bottom) / 2));
  EXPECT_EQ(0xFFFFFFu, shot.rgb(close.left - 1, (close.top + close.bottom) / 2));
  EXPECT_NE(kAccent, ringPixel(L"bigbtn"));
  ASSERT_TRUE(gallery::save(shot, L"gallery_focus_ring.png"));
}

TEST_F(WindowTest, TheRichEditScrollsWithTheWheelUntilItsPageIsHidden) {
  auto* rich = window_->findControl(L"richedit");
  auto* richEdit = toolkit::controlAs<toolkit::CRichEditUI>(rich);
  ASSERT_NE(nullptr, richEdit);
  ASSERT_GT(richEdit->scrollRange(), 0);  // the licence is taller than its box
  POINT pt = gallery::centreOf(rich);
  ClientToScreen(hwnd_, &pt);
  const WPARAM down = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
  PostMessageW(hwnd_, WM_MOUSEWHEEL, down, MAKELPARAM(pt.x, pt.y));
  ASSERT_TRUE(gallery::pump([&] { return richEdit->scrollPos() > 0; }));
  PostMessageW(hwnd_, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA * 5), MAKELPARAM(pt.x, pt.y));
  ASSERT_TRUE(gallery::pump([&] { return richEdit->scrollPos() == 0; }));
  window_->findControl<toolkit::CTabLayoutUI>(L"tabs")->selectItem(1);
  EXPECT_FALSE(rich->isVisible());
  PostMessageW(hwnd_, WM_MOUSEWHEEL, down, MAKELPARAM(pt.x, pt.y));
  gallery::pumpFor(50);
  EXPECT_EQ(0, richEdit->scrollPos());
}

TEST_F(WindowTest, TheCaptionDragsExceptOverItsButtons) {
  POINT onLabel = gallery::centreOf(control(L"title"));
  POINT onButton = gallery::centreOf(control(L"closebtn"));
  POINT belowCaption = gallery::centreOf(control(L"multiline"));
  for (POINT* pt : {&onLabel, &onButton, &belowCaption}) ClientToScreen(hwnd_, pt);
  EXPECT_EQ(HTCAPTION, SendMessageW(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(onLabel.x, onLabel.y)));
  EXPECT_EQ(HTCLIENT, SendMessageW(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(onButton.x, onButton.y)));
  EXPECT_EQ(HTCLIENT, SendMessageW(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(belowCaption.x, belowCaption.y)));
}

TEST_F(WindowTest, WithoutAVisibleOwnerTheWindowCentresOnItsScreen) {
  window_->centerWindow();
  RECT window;
  GetWindowRect(hwnd_, &window);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  EXPECT_LE(std::abs((window.left - work.left) - (work.right - window.right)), 1);
  EXPECT_LE(std::abs((window.top - work.top) - (work.bottom - window.bottom)), 1);
  EXPECT_EQ(640, window.right - window.left);
}

TEST_F(WindowTest, TimersReachTheMessageHandler) {
  window_->timerId = 7;
  ASSERT_TRUE(window_->setTimer(7, 20));
  ASSERT_TRUE(gallery::pump([&] { return window_->timerTicks >= 3; }));
  window_->killTimer(7);
  const int ticks = window_->timerTicks;
  gallery::pumpFor(100);
  EXPECT_EQ(ticks, window_->timerTicks);
}

// What a screen reader gets through WM_GETOBJECT: the visible controls with roles, names,
// states and values, focus and default actions, and errors once the window is gone.
TEST_F(WindowTest, TheAccessibilityObjectShowsTheVisibleControlsUntilTheWindowGoes) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  IAccessible* object = nullptr;
  ASSERT_EQ(S_OK, AccessibleObjectFromWindow(hwnd_, static_cast<DWORD>(OBJID_CLIENT), toolkit::kAccessibleInterfaceId,
                                             reinterpret_cast<void**>(&object)));
  ASSERT_NE(nullptr, object);
  const auto child = [](long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
  };
  const auto text = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), long id) {
    BSTR value = nullptr;
    std::wstring result;
    if ((object->*get)(child(id), &value) == S_OK && value) result.assign(value, SysStringLen(value));
    SysFreeString(value);
    return result;
  };
  const auto number = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long id) {
    VARIANT value;
    VariantInit(&value);
    return SUCCEEDED((object->*get)(child(id), &value)) && value.vt == VT_I4 ? value.lVal : -1L;
  };
  long count = 0;
  ASSERT_EQ(S_OK, object->get_accChildCount(&count));
  const auto idOf = [&](const std::wstring& name) {
    for (long id = 1; id <= count; ++id) {
      if (text(&IAccessible::get_accName, id) == name) return id;
    }
    return 0L;
  };
  const long press = idOf(L"Press"), disabled = idOf(L"Disabled"), one = idOf(L"One"), check = idOf(L"Check me");
  ASSERT_NE(0, press);
  EXPECT_EQ(0, idOf(L"Hidden")) << "a hidden control is shown";
  EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, number(&IAccessible::get_accRole, press));
  EXPECT_EQ(L"Press", text(&IAccessible::get_accDefaultAction, press));
  EXPECT_TRUE(number(&IAccessible::get_accState, disabled) & STATE_SYSTEM_UNAVAILABLE);
  EXPECT_EQ(ROLE_SYSTEM_RADIOBUTTON, number(&IAccessible::get_accRole, one));
  EXPECT_TRUE(number(&IAccessible::get_accState, one) & STATE_SYSTEM_CHECKED);
  EXPECT_EQ(ROLE_SYSTEM_CHECKBUTTON, number(&IAccessible::get_accRole, check));
  EXPECT_NE(0, idOf(L"i i i i i i i i i i i i")) << "markup stays in a label's name";
  bool barFound = false;
  for (long id = 1; id <= count; ++id) {
    if (number(&IAccessible::get_accRole, id) == ROLE_SYSTEM_PROGRESSBAR && text(&IAccessible::get_accValue, id) == L"37%") {
      barFound = true;
    }
  }
  EXPECT_TRUE(barFound) << "no progress bar at 37%";
  long left = 0, top = 0, width = 0, height = 0;
  ASSERT_EQ(S_OK, object->accLocation(&left, &top, &width, &height, child(press)));
  const RECT pos = control(L"textbtn")->pos();
  POINT origin{pos.left, pos.top};
  ClientToScreen(hwnd_, &origin);
  EXPECT_EQ(origin.x, left);
  EXPECT_EQ(pos.right - pos.left, width);
  VARIANT hit;
  ASSERT_EQ(S_OK, object->accHitTest(left + 2, top + 2, &hit));
  EXPECT_EQ(press, hit.lVal);

  // The focus, and a default action run from the window's loop.
  window_->setFocusedControl(control(L"textbtn"));
  EXPECT_TRUE(number(&IAccessible::get_accState, press) & STATE_SYSTEM_FOCUSED);
  VARIANT focus;
  ASSERT_EQ(S_OK, object->get_accFocus(&focus));
  EXPECT_EQ(press, focus.lVal);
  ASSERT_EQ(S_OK, object->accDoDefaultAction(child(press)));
  ASSERT_TRUE(gallery::pump([&] { return window_->mappedClicks == 1; }));
  EXPECT_NE(S_OK, object->accDoDefaultAction(child(count + 1)));

  // A page hidden: its controls leave the tree.
  control(L"buttons")->setVisible(false);
  EXPECT_EQ(0, idOf(L"Press"));

  DestroyWindow(hwnd_);
  ASSERT_TRUE(gallery::pump([&] { return observer_.deleted; }));
  EXPECT_EQ(RPC_E_DISCONNECTED, object->get_accChildCount(&count));
  EXPECT_EQ(RPC_E_DISCONNECTED, object->get_accRole(child(CHILDID_SELF), &hit));
  object->Release();
  CoUninitialize();
}

TEST_F(WindowTest, CloseRunsTheHooksAndTheWindowDeletesItself) {
  window_->close(IDRETRY);
  ASSERT_TRUE(gallery::pump([&] { return observer_.deleted; }));
  EXPECT_TRUE(observer_.destroyedHook);
  EXPECT_EQ(static_cast<UINT>(IDRETRY), observer_.result);
  EXPECT_FALSE(IsWindow(hwnd_));
}

TEST_F(WindowTest, EscapeActsAsTheCloseButton) {
  gallery::key(hwnd_, VK_ESCAPE);
  ASSERT_TRUE(gallery::pump([&] { return observer_.deleted; }));
  // The close button's click was sent, and the default handling closed the window.
  EXPECT_TRUE(observer_.destroyedHook);
  EXPECT_EQ(static_cast<UINT>(IDCANCEL), observer_.result);
}

TEST_F(WindowTest, EscapeDoesNothingWhileTheCloseButtonIsDisabled) {
  control(L"closebtn")->setEnabled(false);
  gallery::key(hwnd_, VK_ESCAPE);
  gallery::pumpFor(100);
  EXPECT_FALSE(observer_.deleted);
  EXPECT_EQ(0, window_->count(L"click", L"closebtn"));
}

}  // namespace
