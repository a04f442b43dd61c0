#include "toolkit/combo_drop.h"

#include <algorithm>

#include "toolkit/combo.h"
#include "toolkit/paint/dpi.h"
#include "toolkit/paint/font_table.h"
#include "toolkit/paint/text_painter.h"
#include "toolkit/paint/text_resolve.h"
#include "toolkit/toolkit.h"

namespace toolkit {

namespace {

constexpr const wchar_t* kClassName = L"VelToolkitComboDrop";
// Posted to itself so that the pop-up is gone before the combo's handlers run.
constexpr UINT kCommit = WM_APP + 1;
constexpr UINT kCancel = WM_APP + 2;

bool registerClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DROPSHADOW;
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance();
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  registered = RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered;
}

}  // namespace

ComboDropWindow::ComboDropWindow(CComboUI* combo) : combo_(combo) {}

ComboDropWindow::~ComboDropWindow() {
  if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
  window_.reset();
}

bool ComboDropWindow::open() {
  ControlHost* host = combo_->host();
  if (!host || !registerClass()) return false;
  RECT anchor = combo_->pos();
  MapWindowPoints(host->hwnd(), nullptr, reinterpret_cast<POINT*>(&anchor), 2);
  const int height = combo_->itemHeight() * combo_->getItemCount() + 2;
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"", WS_POPUP | WS_BORDER, anchor.left,
                                anchor.bottom, anchor.right - anchor.left, std::min(height, scaleForDpi(400, host->dpi())), host->hwnd(), nullptr,
                                instance(), nullptr);
  if (!window) return false;
  window_.reset(window);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboDropWindow::windowProc));
  hot_ = combo_->getCurSel();
  ShowWindow(window, SW_SHOW);
  SetFocus(window);
  return true;
}

int ComboDropWindow::itemAt(POINT pt) const {
  if (pt.x < 0 || pt.y < 0) return -1;
  RECT client;
  GetClientRect(window_.get(), &client);
  if (pt.x >= client.right) return -1;
  const int index = pt.y / combo_->itemHeight();
  return index < combo_->getItemCount() ? index : -1;
}

LRESULT CALLBACK ComboDropWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<ComboDropWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->handle(message, wParam, lParam);
}

LRESULT ComboDropWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_.get();
  switch (message) {
    case WM_MOUSEMOVE: {
      const int index = itemAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      if (index != hot_ && index >= 0) {
        hot_ = index;
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      const int index = itemAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      // Not hidden first: hiding would deactivate the pop-up, and that cancels the choice.
      if (index >= 0) PostMessageW(window, kCommit, static_cast<WPARAM>(index), 0);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessageW(window, kCancel, 0, 0);
      if (wParam == VK_RETURN && hot_ >= 0) PostMessageW(window, kCommit, static_cast<WPARAM>(hot_), 0);
      if ((wParam == VK_DOWN && hot_ + 1 < combo_->getItemCount()) || (wParam == VK_UP && hot_ > 0)) {
        hot_ += wParam == VK_DOWN ? 1 : -1;
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) PostMessageW(window, kCancel, 0, 0);
      return 0;
    case kCommit: {
      CComboUI* combo = combo_;
      const int index = static_cast<int>(wParam);
      combo->closeDrop();  // destroys this object and its window
      combo->selectItem(index);
      return 0;
    }
    case kCancel:
      combo_->closeDrop();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT client;
      GetClientRect(window, &client);
      MemoryCanvas canvas(dc, client.right, client.bottom);
      if (canvas.valid()) {
        paint(canvas.dc(), client);
        BitBlt(dc, 0, 0, client.right, client.bottom, canvas.dc(), 0, 0, SRCCOPY);
      }
      EndPaint(window, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void ComboDropWindow::paint(HDC dc, const RECT& client) {
  fillColor(dc, client, combo_->dropBkColor() | 0xFF000000u);
  ControlHost* host = combo_->host();
  if (!host) return;
  TextStyle style;
  style.font = host->fonts().get(combo_->font());
  style.color = combo_->textColor();
  style.format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
  const int height = combo_->itemHeight();
  for (int i = 0; i < combo_->getItemCount(); ++i) {
    RECT row{0, i * height, client.right, (i + 1) * height};
    if (i == hot_) fillColor(dc, row, combo_->itemHotBkColor());
    row.left += scaleForDpi(6, host->dpi());
    drawText(dc, row, resolveDisplayText(combo_->getItemAt(i)->text), style);
  }
}

}  // namespace toolkit
