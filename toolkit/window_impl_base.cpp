#include "toolkit/window_impl_base.h"

#include <windowsx.h>

#include <algorithm>

#include "toolkit/builder.h"
#include "toolkit/button.h"
#include "toolkit/container.h"
#include "toolkit/edit.h"
#include "toolkit/focus_order.h"
#include "toolkit/focus_ring.h"
#include "toolkit/option.h"
#include "toolkit/paint/dpi.h"
#include "toolkit/paint/text_resolve.h"
#include "toolkit/rich_edit.h"
#include "skin/language_table.h"
#include "toolkit/toolkit.h"
#include "utility/log.h"

namespace toolkit {

namespace {

constexpr const wchar_t* kWindowProperty = L"VelToolkitWindow";
// Sent from Windows 8.1 on to a per-monitor DPI aware window whose DPI changes.
constexpr UINT kDpiChanged = 0x02E0;

POINT pointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
  destroying_ = true;
  if (hwnd_ && IsWindow(hwnd_)) {
    // Deleted while its window lives: cut the window loose first so that its last messages
    // do not reach a half-destroyed object (and do not delete it a second time).
    RemovePropW(hwnd_, kWindowProperty);
    HWND window = hwnd_;
    hwnd_ = nullptr;
    DestroyWindow(window);
  }
  toolTip_.destroy();
  releaseAccessible();
  hot_ = captured_ = focused_ = nullptr;
  root_.reset();
}

WindowImplBase* WindowImplBase::fromHandle(HWND window) {
  return window ? static_cast<WindowImplBase*>(GetPropW(window, kWindowProperty)) : nullptr;
}

bool WindowImplBase::registerClass() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  if (GetClassInfoExW(instance(), getWindowClassName(), &windowClass)) return true;
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = getClassStyle();
  windowClass.lpfnWndProc = &WindowImplBase::windowProc;
  windowClass.hInstance = instance();
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = getWindowClassName();
  if (RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
  VEL_LOG(L"register class %s failed. error:%d", getWindowClassName(), static_cast<int>(GetLastError()));
  return false;
}

HWND WindowImplBase::create(HWND owner, const std::wstring& title, DWORD style, DWORD exStyle, int x, int y, int cx,
                            int cy) {
  VEL_CHECK_THREAD(thread_);
  if (hwnd_ || !registerClass()) return hwnd_;
  mirrored_ = isRightToLeftLanguage(currentLanguage());
  BOOL alwaysShowCues = FALSE;
  if (SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &alwaysShowCues, 0) && alwaysShowCues) focusCues_ = true;
  HWND window = CreateWindowExW(exStyle, getWindowClassName(), resolveDisplayText(title).c_str(), style, x, y, cx, cy,
                                owner, nullptr, instance(), this);
  if (!window) VEL_LOG(L"create window %s failed. error:%d", getWindowClassName(), static_cast<int>(GetLastError()));
  return window;
}

LRESULT CALLBACK WindowImplBase::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowImplBase* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<WindowImplBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = window;
    SetPropW(window, kWindowProperty, self);
  } else {
    self = fromHandle(window);
  }
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    RemovePropW(window, kWindowProperty);
    const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
    self->hwnd_ = nullptr;
    if (!self->destroying_) self->onFinalMessage(window);
    return result;
  }
  return self->route(message, wParam, lParam);
}

LRESULT WindowImplBase::route(UINT message, WPARAM wParam, LPARAM lParam) {
  VEL_CHECK_THREAD(thread_);
  if (message == WM_CREATE) {
    dpi_ = windowDpi(hwnd_);
    fonts_.setDpi(dpi_);
    buildControls();
    initWindow();
    ensureLayout();
    return 0;
  }
  bool handled = false;
  LRESULT result = messageHandler(message, wParam, lParam, handled);
  if (handled) return result;
  // A copy: a filter may remove itself while it runs.
  const std::vector<IMessageFilterUI*> filters = filters_;
  for (IMessageFilterUI* filter : filters) {
    result = filter->messageHandler(message, wParam, lParam, handled);
    if (handled) return result;
  }
  return handleMessage(message, wParam, lParam);
}

void WindowImplBase::buildControls() {
  WindowAttributes attributes;
  root_ = buildLayoutFile(getSkinFile(), this, &attributes);
  if (!root_) {
    VEL_LOG(L"layout %s gave no controls", getSkinFile().c_str());
    root_ = std::make_unique<CContainerUI>();
  }
  caption_ = attributes.caption;
  roundCorner_ = attributes.roundCorner;
  if (attributes.bkColor) bkColor_ = attributes.bkColor;
  if (attributes.hasDefaultFont) fonts_.setDefault(attributes.defaultFont);
  for (const auto& font : attributes.fonts) fonts_.add(font.first, font.second);
  root_->setHost(this);
  if (attributes.hasSize) {
    SetWindowPos(hwnd_, nullptr, 0, 0, scaleForDpi(attributes.size.cx, dpi_), scaleForDpi(attributes.size.cy, dpi_),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  needLayout();
}

void WindowImplBase::showWindow(bool show, bool takeFocus) {
  if (!hwnd_) return;
  ShowWindow(hwnd_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void WindowImplBase::centerWindow() {
  if (!hwnd_) return;
  RECT window;
  GetWindowRect(hwnd_, &window);
  const int width = window.right - window.left, height = window.bottom - window.top;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  RECT centre = work;
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &centre);
  int x = (centre.left + centre.right - width) / 2;
  int y = (centre.top + centre.bottom - height) / 2;
  x = std::max<int>(work.left, std::min<int>(x, work.right - width));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowImplBase::close(UINT result) {
  if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, result, 0);
}

bool WindowImplBase::setTimer(UINT_PTR id, UINT milliseconds) {
  return hwnd_ && SetTimer(hwnd_, id, milliseconds, nullptr) != 0;
}

void WindowImplBase::killTimer(UINT_PTR id) {
  if (hwnd_) KillTimer(hwnd_, id);
}

CControlUI* WindowImplBase::findControl(const std::wstring& name) const {
  VEL_CHECK_THREAD(thread_);
  return root_ && !name.empty() ? root_->findByName(name) : nullptr;
}

CControlUI* WindowImplBase::findControlAt(POINT clientPoint) {
  VEL_CHECK_THREAD(thread_);
  ensureLayout();
  return root_ ? root_->findControlAt(clientPoint) : nullptr;
}

void WindowImplBase::setDefaultFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) {
  fonts_.setDefault(FontSpec{face, size, bold, underline, italic});
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void WindowImplBase::addFont(int id, const std::wstring& face, int size, bool bold, bool underline, bool italic) {
  fonts_.add(id, FontSpec{face, size, bold, underline, italic});
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void WindowImplBase::addMessageFilter(IMessageFilterUI* filter) {
  if (filter && std::find(filters_.begin(), filters_.end(), filter) == filters_.end()) filters_.push_back(filter);
}

void WindowImplBase::removeMessageFilter(IMessageFilterUI* filter) {
  filters_.erase(std::remove(filters_.begin(), filters_.end(), filter), filters_.end());
}

void WindowImplBase::setFocusedControl(CControlUI* control) {
  VEL_CHECK_THREAD(thread_);
  if (control == focused_) return;
  if (control && (!control->canFocus() || !control->isEnabled() || !control->isReallyVisible())) return;
  CControlUI* previous = focused_;
  focused_ = control;
  invalidateFocusRing(previous);
  invalidateFocusRing(control);
  if (previous) previous->setFocusState(false);
  // The previous control's "killfocus" handler may have moved the focus on already.
  if (focused_ != control) return;
  if (hwnd_ && !controlAs<CEditUI>(control)) {
    // Clearing the focus keeps the keyboard in this window, but only while it is still here:
    // when an edit loses it to another window, the focus is already on its way there.
    const HWND current = GetFocus();
    const bool inside = !current || current == hwnd_ || IsChild(hwnd_, current);
    if (current != hwnd_ && (control || inside)) SetFocus(hwnd_);
  }
  if (control) {
    control->setFocusState(true);
    accessibleChange(control, EVENT_OBJECT_FOCUS);
  }
}

void WindowImplBase::focusNext(bool forward) {
  if (!root_) return;
  std::vector<CControlUI*> order;
  std::vector<bool> candidates;
  root_->forEach([&](CControlUI* control) {
    order.push_back(control);
    candidates.push_back(control->canFocus() && control->isEnabled() && control->isReallyVisible());
  });
  const auto current = std::find(order.begin(), order.end(), focused_);
  const int index = nextFocusIndex(candidates, current == order.end() ? -1 : static_cast<int>(current - order.begin()),
                                   forward);
  if (index >= 0) setFocusedControl(order[static_cast<size_t>(index)]);
}

void WindowImplBase::focusDefaultButton() {
  if (focused_ || !root_) return;
  CControlUI* button = defaultButton();
  if (!button || !button->canFocus() || !button->isEnabled() || !button->isReallyVisible()) return;
  // Only the toolkit's focus: taking the system's focus here would activate a window that
  // was shown without activation. The window gets it when it is activated.
  focused_ = button;
  invalidateFocusRing(button);
  button->setFocusState(true);
}

bool WindowImplBase::preTranslateKey(const MSG& message) {
  VEL_CHECK_THREAD(thread_);
  if (message.message != WM_KEYDOWN || !hwnd_ || !IsWindowEnabled(hwnd_)) return false;
  const bool control = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
  if (control || alt) return false;
  switch (message.wParam) {
    case VK_TAB:
      showFocusCues();
      focusNext(GetKeyState(VK_SHIFT) >= 0);
      return true;
    case VK_ESCAPE:
      onEscape();
      return true;
    case VK_RETURN:
    case VK_SPACE: {
      showFocusCues();
      if (controlAs<CEditUI>(focused_)) {
        // Enter ends the typing (the text is taken, "killfocus" follows); Space is typed.
        if (message.wParam != VK_RETURN) return false;
        setFocusedControl(nullptr);
        return true;
      }
      const bool onButton = controlAs<CButtonUI>(focused_) != nullptr;
      if (message.wParam == VK_SPACE) {
        if (!onButton) return false;
        focused_->activate();
        return true;
      }
      // Enter presses the focused push button, else (nothing focused, a check box) the
      // window's default button.
      if (onButton && !controlAs<COptionUI>(focused_)) {
        focused_->activate();
        return true;
      }
      CControlUI* button = defaultButton();
      if (!button || !button->isEnabled() || !button->isReallyVisible()) return false;
      button->activate();
      return true;
    }
    default:
      return false;
  }
}

void WindowImplBase::showFocusCues() {
  if (focusCues_) return;
  focusCues_ = true;
  invalidateFocusRing(focused_);
}

void WindowImplBase::invalidateFocusRing(CControlUI* control) {
  if (!control || !hwnd_ || !focusCues_) return;
  const RECT ring = focusRingBounds(control->pos(), dpi_);
  InvalidateRect(hwnd_, &ring, FALSE);
}

void WindowImplBase::paintFocusRing(HDC dc) {
  if (!focusCues_ || !focused_ || !focused_->isReallyVisible()) return;
  drawFocusRing(dc, focused_->pos(), dpi_);
}

void WindowImplBase::onEscape() {
  const std::wstring name = closeButtonName();
  CControlUI* button = findControl(name);
  if (!button) {
    close(IDCANCEL);
    return;
  }
  if (button->isEnabled() && button->isReallyVisible()) sendNotify(button, notify_type::kClick);
}

void WindowImplBase::notify(TNotifyUI& msg) {
  if (!dispatchNotify(msg)) onDefaultNotify(msg);
}

void WindowImplBase::onDefaultNotify(TNotifyUI& msg) {
  if (msg.type != notify_type::kClick || !msg.sender || !hwnd_) return;
  const std::wstring& name = msg.sender->name();
  if (name == closeButtonName()) {
    close(IDCANCEL);
  } else if (name == L"minbtn") {
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (name == L"maxbtn") {
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  } else if (name == L"restorebtn") {
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_RESTORE, 0);
  }
}

LRESULT WindowImplBase::messageHandler(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

void WindowImplBase::onFinalMessage(HWND) { delete this; }

void WindowImplBase::invalidate(const RECT& area) {
  if (hwnd_) InvalidateRect(hwnd_, &area, FALSE);
}

void WindowImplBase::needLayout() {
  layoutPending_ = true;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void WindowImplBase::ensureLayout() {
  if (!layoutPending_ || !root_ || !hwnd_) return;
  layoutPending_ = false;
  RECT client;
  GetClientRect(hwnd_, &client);
  root_->setPos(client);
}

void WindowImplBase::sendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam, LPARAM lParam) {
  TNotifyUI msg;
  msg.type = type;
  msg.sender = sender;
  msg.timestamp = GetTickCount();
  msg.ptMouse = lastMouse_;
  msg.wParam = wParam;
  msg.lParam = lParam;
  notify(msg);
}

void WindowImplBase::controlRemoved(CControlUI* control) {
  if (hot_ == control) {
    hot_ = nullptr;
    toolTip_.hide();
  }
  if (captured_ == control) captured_ = nullptr;
  if (focused_ == control) focused_ = nullptr;
}

void WindowImplBase::paintTo(HDC dc) {
  ensureLayout();
  RECT client;
  GetClientRect(hwnd_, &client);
  fillColor(dc, client, bkColor_);
  if (root_) root_->paint(dc, client);
  paintFocusRing(dc);
}

void WindowImplBase::paintWindow() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  MemoryCanvas canvas(dc, client.right - client.left, client.bottom - client.top);
  if (canvas.valid()) {
    paintTo(canvas.dc());
    const RECT& dirty = ps.rcPaint;
    BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, canvas.dc(), dirty.left,
           dirty.top, SRCCOPY);
  }
  EndPaint(hwnd_, &ps);
}

void WindowImplBase::updateRegion() {
  if (!hwnd_ || roundCorner_.cx <= 0 || roundCorner_.cy <= 0) return;
  RECT window;
  GetWindowRect(hwnd_, &window);
  UniqueRegion region(CreateRoundRectRgn(0, 0, window.right - window.left + 1, window.bottom - window.top + 1,
                                         scaleForDpi(roundCorner_.cx, dpi_), scaleForDpi(roundCorner_.cy, dpi_)));
  // The system owns the region once it is set.
  if (region && SetWindowRgn(hwnd_, region.get(), TRUE)) region.release();
}

void WindowImplBase::setHot(CControlUI* control) {
  if (control == hot_) return;
  CControlUI* previous = hot_;
  hot_ = control;
  UIEvent event;
  event.pt = lastMouse_;
  if (previous) {
    event.type = UIEvent::kMouseLeave;
    previous->doEvent(event);
  }
  if (hot_) {
    event.type = UIEvent::kMouseEnter;
    hot_->doEvent(event);
  }
  if (hot_ && !hot_->toolTip().empty()) {
    toolTip_.show(hwnd_, hot_->pos(), resolveDisplayText(hot_->toolTip()));
  } else {
    toolTip_.hide();
  }
}

void WindowImplBase::onMouseMove(POINT pt) {
  lastMouse_ = pt;
  if (!trackingLeave_) {
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd_, 0};
    trackingLeave_ = TrackMouseEvent(&track) != FALSE;
  }
  UIEvent event;
  event.type = UIEvent::kMouseMove;
  event.pt = pt;
  if (captured_) {
    captured_->doEvent(event);
    return;
  }
  setHot(findControlAt(pt));
  if (hot_) hot_->doEvent(event);
}

void WindowImplBase::onButtonDown(POINT pt, bool doubleClick) {
  lastMouse_ = pt;
  CControlUI* control = findControlAt(pt);
  if (!control || !control->isEnabled()) return;
  if (control->canFocus()) {
    setFocusedControl(control);
  } else {
    setFocusedControl(nullptr);
  }
  // The focus change may have run handlers that removed the control.
  control = findControlAt(pt);
  if (!control || !control->isEnabled()) return;
  SetCapture(hwnd_);
  captured_ = control;
  setHot(control);
  UIEvent event;
  event.type = doubleClick ? UIEvent::kDoubleClick : UIEvent::kButtonDown;
  event.pt = pt;
  control->doEvent(event);
}

void WindowImplBase::onButtonUp(POINT pt) {
  lastMouse_ = pt;
  CControlUI* control = captured_;
  captured_ = nullptr;
  if (GetCapture() == hwnd_) ReleaseCapture();
  if (!control) return;
  UIEvent event;
  event.type = UIEvent::kButtonUp;
  event.pt = pt;
  control->doEvent(event);
}

LRESULT WindowImplBase::hitTest(POINT screenPoint) {
  POINT pt = screenPoint;
  ScreenToClient(hwnd_, &pt);
  RECT client;
  GetClientRect(hwnd_, &client);
  if (!PtInRect(&client, pt)) return HTNOWHERE;
  // The caption's left and right margins change sides with the mirrored layout.
  const RECT caption = scaleForDpi(caption_, dpi_);
  const LONG fromLeft = mirrored_ ? caption.right : caption.left, fromRight = mirrored_ ? caption.left : caption.right;
  const bool inCaption = pt.x >= client.left + fromLeft && pt.x < client.right - fromRight &&
                         pt.y >= caption.top && pt.y < caption.bottom;
  if (inCaption) {
    CControlUI* control = findControlAt(pt);
    if (!control || !control->isInteractive()) return HTCAPTION;
  }
  return HTCLIENT;
}

namespace {

// Carries a screen reader's default action to the window's loop; lParam is the control,
// checked against the window's controls when it arrives.
UINT accessibleActionMessage() {
  static const UINT message = RegisterWindowMessageW(L"VelToolkitAccessibleAction");
  return message;
}

}  // namespace

LRESULT WindowImplBase::answerObjectRequest(WPARAM wParam, LPARAM lParam) {
  if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT) || destroying_ || !root_) {
    return DefWindowProcW(hwnd_, WM_GETOBJECT, wParam, lParam);
  }
  if (!accessible_) accessible_ = new WindowAccessible(this);
  return LresultFromObject(kAccessibleInterfaceId, wParam, static_cast<IAccessible*>(accessible_));
}

void WindowImplBase::releaseAccessible() {
  if (!accessible_) return;
  accessible_->disconnect();
  accessible_->Release();
  accessible_ = nullptr;
}

bool WindowImplBase::postAccessibleAction(CControlUI* control) {
  const UINT message = accessibleActionMessage();
  return hwnd_ && message && PostMessageW(hwnd_, message, 0, reinterpret_cast<LPARAM>(control));
}

void WindowImplBase::accessibleChange(CControlUI* control, DWORD winEvent) {
  if (!hwnd_ || destroying_ || !root_) return;
  const LONG child = winEvent == EVENT_OBJECT_REORDER ? CHILDID_SELF : WindowAccessible::childIdOf(root_.get(), control);
  NotifyWinEvent(winEvent, hwnd_, OBJID_CLIENT, child);
}

void WindowImplBase::onDpiChanged(int dpi, const RECT& suggested) {
  if (dpi <= 0) return;
  if (focused_) invalidateFocusRing(focused_);
  dpi_ = dpi;
  fonts_.setDpi(dpi);
  // The fonts made for the old DPI are gone: lay out at once, so that the native children
  // take the new ones before anything paints.
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  layoutPending_ = true;
  ensureLayout();
  updateRegion();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT WindowImplBase::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != 0 && message == accessibleActionMessage()) {
    // Only a control that is still one of this window's, as a screen reader sees them.
    auto* control = reinterpret_cast<CControlUI*>(lParam);
    if (root_ && WindowAccessible::childIdOf(root_.get(), control) != CHILDID_SELF && control->isEnabled()) {
      control->activate();
    }
    return 0;
  }
  switch (message) {
    case kDpiChanged:
      if (lParam) onDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_NCCALCSIZE:
      // The skin draws the whole window: no system frame.
      if (wParam) return 0;
      break;
    case WM_NCPAINT:
      return 0;
    case WM_NCACTIVATE:
      if (!IsIconic(hwnd_)) return TRUE;
      break;
    case WM_NCHITTEST:
      return hitTest(pointOf(lParam));
    case WM_SIZE:
      needLayout();
      updateRegion();
      break;
    case WM_SHOWWINDOW:
      if (wParam) focusDefaultButton();
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      paintWindow();
      return 0;
    case WM_PRINTCLIENT:
      paintTo(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_MOUSEMOVE:
      onMouseMove(pointOf(lParam));
      return 0;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      if (!captured_) setHot(nullptr);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      onButtonDown(pointOf(lParam), message == WM_LBUTTONDBLCLK);
      return 0;
    case WM_LBUTTONUP:
      onButtonUp(pointOf(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      // Capture taken away mid-press: the press ends without a click.
      if (captured_ && reinterpret_cast<HWND>(lParam) != hwnd_) {
        UIEvent event;
        event.type = UIEvent::kButtonUp;
        event.pt = POINT{-1, -1};
        CControlUI* control = captured_;
        captured_ = nullptr;
        control->doEvent(event);
      }
      break;
    case WM_MOUSEWHEEL: {
      POINT pt = pointOf(lParam);
      ScreenToClient(hwnd_, &pt);
      for (CControlUI* control = findControlAt(pt); control; control = control->parent()) {
        if (!controlAs<CRichEditUI>(control)) continue;
        UIEvent event;
        event.type = UIEvent::kWheel;
        event.pt = pt;
        event.wParam = wParam;
        control->doEvent(event);
        return 0;
      }
      break;
    }
    case WM_KEYDOWN:
      if (focused_) {
        UIEvent event;
        event.type = UIEvent::kKeyDown;
        event.wParam = wParam;
        event.lParam = lParam;
        focused_->doEvent(event);
        return 0;
      }
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == EN_KILLFOCUS) {
        if (CEditUI* edit = CEditUI::fromNative(reinterpret_cast<HWND>(lParam))) edit->nativeFocusLost();
        return 0;
      }
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      if (CEditUI* edit = CEditUI::fromNative(reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<LRESULT>(edit->nativeBackground(reinterpret_cast<HDC>(wParam)));
      }
      break;
    case WM_CLOSE:
      closeResult_ = static_cast<UINT>(wParam);
      DestroyWindow(hwnd_);
      return 0;
    case WM_GETOBJECT:
      return answerObjectRequest(wParam, lParam);
    case WM_DESTROY:
      onWindowDestroyed();
      releaseAccessible();
      toolTip_.destroy();
      hot_ = captured_ = focused_ = nullptr;
      root_.reset();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace toolkit
