#include "toolkit/edit.h"

#include <vector>

#include "toolkit/notify.h"
#include "toolkit/paint/attribute_parse.h"
#include "toolkit/paint/font_table.h"
#include "toolkit/paint/text_painter.h"
#include "toolkit/toolkit.h"

namespace toolkit {

CEditUI::CEditUI() = default;

namespace {
constexpr const wchar_t* kNativeProperty = L"VelToolkitEdit";
}

CEditUI::~CEditUI() { destroyNative(); }

void CEditUI::destroyNative() {
  editing_ = false;
  if (native_ && IsWindow(native_.get())) RemovePropW(native_.get(), kNativeProperty);
  native_.reset();
}

bool CEditUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"normalimage") {
    setNormalImage(value);
  } else if (name == L"hotimage") {
    setHotImage(value);
  } else if (name == L"focusedimage") {
    setFocusedImage(value);
  } else if (name == L"disabledimage") {
    setDisabledImage(value);
  } else if (name == L"nativebkcolor") {
    uint32_t color = 0;
    if (!parseColor(value, &color)) return false;
    nativeBkColor_ = color;
    nativeBrush_.reset();
  } else if (name == L"maxchar") {
    int count = 0;
    if (!parseInt(value, &count) || count <= 0) return false;
    setMaxChar(count);
  } else if (name == L"password" || name == L"readonly") {
    bool on = false;
    if (!parseBool(value, &on)) return false;
    (name == L"password" ? password_ : readOnly_) = on;
    invalidate();
  } else {
    return CLabelUI::setAttribute(name, value);
  }
  return true;
}

std::wstring CEditUI::getText() const {
  if (!editing_ || !native_) return CLabelUI::getText();
  const int length = GetWindowTextLengthW(native_.get());
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(native_.get(), buffer.data(), length + 1);
  return std::wstring(buffer.data());
}

void CEditUI::setText(const std::wstring& text) {
  CLabelUI::setText(text);
  if (editing_ && native_) SetWindowTextW(native_.get(), text.c_str());
}

void CEditUI::setMaxChar(int count) {
  maxChar_ = count;
  if (native_) SendMessageW(native_.get(), EM_LIMITTEXT, static_cast<WPARAM>(count), 0);
}

void CEditUI::setPos(const RECT& pos) {
  CLabelUI::setPos(pos);
  if (native_) {
    // Also after a DPI change, whose fonts replace the ones made before.
    if (host()) SendMessageW(native_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(host()->fonts().get(font())), FALSE);
    const RECT r = nativeRect();
    MoveWindow(native_.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }
}

void CEditUI::setHost(ControlHost* host) {
  if (host != this->host()) destroyNative();
  CLabelUI::setHost(host);
}

CEditUI* CEditUI::fromNative(HWND window) {
  return window ? static_cast<CEditUI*>(GetPropW(window, kNativeProperty)) : nullptr;
}

RECT CEditUI::nativeRect() const {
  const RECT& padding = textPadding();
  RECT r{pos().left + padding.left, pos().top + padding.top, pos().right - padding.right, pos().bottom - padding.bottom};
  // A single line, centred in the box the way the drawn text is.
  int lineHeight = scaled(16);
  if (host()) {
    const FontSpec& described = host()->fonts().describe(font());
    if (described.size > 0) lineHeight = scaled(described.size + 4);
  }
  const int height = r.bottom - r.top;
  if (height > lineHeight) {
    r.top += (height - lineHeight) / 2;
    r.bottom = r.top + lineHeight;
  }
  if (r.right < r.left) r.right = r.left;
  return r;
}

void CEditUI::beginEdit() {
  if (editing_ || !host() || !host()->hwnd() || !isEnabled()) return;
  if (!native_) {
    DWORD style = WS_CHILD | ES_AUTOHSCROLL | ES_LEFT;
    if (password_) style |= ES_PASSWORD;
    if (readOnly_) style |= ES_READONLY;
    const RECT r = nativeRect();
    HWND window = CreateWindowExW(0, L"EDIT", L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                  host()->hwnd(), nullptr, instance(), nullptr);
    if (!window) return;
    native_.reset(window);
    SetPropW(window, kNativeProperty, this);
    SendMessageW(window, EM_LIMITTEXT, static_cast<WPARAM>(maxChar_), 0);
  }
  HFONT font = host()->fonts().get(this->font());
  SendMessageW(native_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetWindowTextW(native_.get(), CLabelUI::getText().c_str());
  const int length = GetWindowTextLengthW(native_.get());
  SendMessageW(native_.get(), EM_SETSEL, static_cast<WPARAM>(length), length);
  editing_ = true;
  ShowWindow(native_.get(), SW_SHOW);
  SetFocus(native_.get());
  invalidate();
}

void CEditUI::endEdit() {
  if (!editing_) return;
  const std::wstring typed = getText();
  editing_ = false;
  CLabelUI::setText(typed);
  if (native_) {
    // Hiding a focused child would leave the keys going to a hidden window.
    if (GetFocus() == native_.get() && host()) SetFocus(host()->hwnd());
    ShowWindow(native_.get(), SW_HIDE);
  }
  invalidate();
  notifyHost(notify_type::kKillFocus);
}

void CEditUI::nativeFocusLost() {
  if (!editing_) return;
  if (host() && host()->focusedControl() == this) {
    host()->setFocusedControl(nullptr);
  } else {
    endEdit();
  }
}

HBRUSH CEditUI::nativeBackground(HDC dc) {
  const uint32_t bk = nativeBkColor_;
  const COLORREF color = RGB((bk >> 16) & 0xFF, (bk >> 8) & 0xFF, bk & 0xFF);
  if (!nativeBrush_) nativeBrush_.reset(CreateSolidBrush(color));
  const uint32_t text = textColor();
  SetTextColor(dc, RGB((text >> 16) & 0xFF, (text >> 8) & 0xFF, text & 0xFF));
  SetBkColor(dc, color);
  return nativeBrush_.get();
}

void CEditUI::setFocusState(bool focused) {
  CLabelUI::setFocusState(focused);
  if (focused) {
    beginEdit();
  } else {
    endEdit();
  }
}

void CEditUI::doEvent(UIEvent& event) {
  if (event.type == UIEvent::kMouseEnter || event.type == UIEvent::kMouseLeave) {
    hot_ = event.type == UIEvent::kMouseEnter && isEnabled();
    invalidate();
    return;
  }
  CLabelUI::doEvent(event);
}

void CEditUI::paintStatusImage(HDC dc) {
  const std::wstring* image = &normalImage_;
  if (!isEnabled() && !disabledImage_.empty()) {
    image = &disabledImage_;
  } else if (isFocused() && !focusedImage_.empty()) {
    image = &focusedImage_;
  } else if (hot_ && !hotImage_.empty()) {
    image = &hotImage_;
  }
  paintImageAttribute(dc, pos(), *image, dpi());
}

void CEditUI::paintText(HDC dc) {
  if (editing_) return;
  if (!password_) {
    CLabelUI::paintText(dc);
    return;
  }
  const std::wstring masked(CLabelUI::getText().size(), L'*');
  if (masked.empty() || !host()) return;
  const RECT& padding = textPadding();
  RECT box{pos().left + padding.left, pos().top + padding.top, pos().right - padding.right, pos().bottom - padding.bottom};
  drawText(dc, box, masked, textStyle(effectiveTextColor(), DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_LEFT, false));
}

}  // namespace toolkit
