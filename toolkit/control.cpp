#include "toolkit/control.h"

#include "toolkit/container.h"
#include "toolkit/paint/attribute_parse.h"
#include "toolkit/paint/dpi.h"
#include "toolkit/paint/font_table.h"
#include "toolkit/paint/image_painter.h"
#include "toolkit/paint/text_painter.h"
#include "toolkit/paint/text_resolve.h"
#include "toolkit/gdi_handles.h"

namespace toolkit {

namespace {

COLORREF toColorRef(uint32_t argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

}  // namespace

bool paintImageAttribute(HDC dc, const RECT& dest, const std::wstring& attribute, int dpi) {
  if (attribute.empty() || dest.right <= dest.left || dest.bottom <= dest.top) return false;
  return drawImage(dc, dest, attribute, dpi);
}

void fillColor(HDC dc, const RECT& area, uint32_t argb) {
  const uint32_t alpha = argb >> 24;
  if (alpha == 0 || area.right <= area.left || area.bottom <= area.top) return;
  if (alpha == 255) {
    UniqueBrush brush(CreateSolidBrush(toColorRef(argb)));
    if (brush) FillRect(dc, &area, brush.get());
    return;
  }
  // One premultiplied pixel stretched over the area.
  MemoryCanvas pixel(dc, 1, 1);
  if (!pixel.valid()) return;
  uint32_t* bits = reinterpret_cast<uint32_t*>(const_cast<unsigned char*>(pixel.pixels()));
  const uint32_t r = ((argb >> 16) & 0xFF) * alpha / 255, g = ((argb >> 8) & 0xFF) * alpha / 255, b = (argb & 0xFF) * alpha / 255;
  *bits = (alpha << 24) | (r << 16) | (g << 8) | b;
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, pixel.dc(), 0, 0, 1, 1, blend);
}

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
  if (host_) host_->controlRemoved(this);
}

const wchar_t* CControlUI::getClass() const { return L"Control"; }

void* CControlUI::getInterface(const std::wstring& name) { return name == L"Control" ? this : nullptr; }

bool CControlUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"name") {
    setName(value);
  } else if (name == L"text") {
    setText(value);
  } else if (name == L"tooltip") {
    setToolTip(value);
  } else if (name == L"userdata") {
    setUserData(value);
  } else if (name == L"role") {
    setRole(value);
  } else if (name == L"visible") {
    bool visible = true;
    if (!parseBool(value, &visible)) return false;
    setVisible(visible);
  } else if (name == L"enabled") {
    bool enabled = true;
    if (!parseBool(value, &enabled)) return false;
    setEnabled(enabled);
  } else if (name == L"width" || name == L"height") {
    int size = 0;
    if (!parseInt(value, &size) || size < 0) return false;
    if (name == L"width") {
      setFixedWidth(size);
    } else {
      setFixedHeight(size);
    }
  } else if (name == L"padding") {
    RECT padding;
    if (!parseRect(value, &padding)) return false;
    setPadding(padding);
  } else if (name == L"textcolor") {
    return setColorAttribute(textColor_, value);
  } else if (name == L"disabledtextcolor") {
    return setColorAttribute(disabledTextColor_, value);
  } else if (name == L"bkcolor") {
    return setColorAttribute(bkColor_, value);
  } else if (name == L"bordercolor") {
    return setColorAttribute(borderColor_, value);
  } else if (name == L"bordersize") {
    int size = 0;
    if (!parseInt(value, &size) || size < 0) return false;
    borderSize_ = size;
    invalidate();
  } else if (name == L"bkimage") {
    setBkImage(value);
  } else if (name == L"font") {
    int id = -1;
    if (!parseInt(value, &id)) return false;
    setFont(id);
  } else {
    return false;
  }
  return true;
}

void CControlUI::setText(const std::wstring& text) {
  if (text_ == text) return;
  text_ = text;
  invalidate();
  announce(EVENT_OBJECT_NAMECHANGE);
}

std::wstring CControlUI::displayText() const { return resolveDisplayText(getText()); }

void CControlUI::setVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (!visible && host_) {
    // A hidden control keeps no focus, and nor do its descendants.
    CControlUI* focused = host_->focusedControl();
    for (CControlUI* control = focused; control; control = control->parent_) {
      if (control == this) {
        host_->setFocusedControl(nullptr);
        break;
      }
    }
  }
  needLayout();
  // The window's children, as a screen reader sees them, changed.
  announce(EVENT_OBJECT_REORDER);
}

bool CControlUI::isReallyVisible() const {
  for (const CControlUI* control = this; control; control = control->parent_) {
    if (!control->visible_) return false;
  }
  return true;
}

void CControlUI::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (!enabled && host_ && host_->focusedControl() == this) host_->setFocusedControl(nullptr);
  invalidate();
  announce(EVENT_OBJECT_STATECHANGE);
}

bool CControlUI::setColorAttribute(uint32_t& member, const std::wstring& value) {
  uint32_t color = 0;
  if (!parseColor(value, &color)) return false;
  setAndRepaint(member, color);
  return true;
}

void CControlUI::setBkImage(const std::wstring& image) {
  if (bkImage_ == image) return;
  bkImage_ = image;
  invalidate();
}

void CControlUI::setFixedWidth(int width) {
  if (width_ == width) return;
  width_ = width;
  needLayout();
}

void CControlUI::setFixedHeight(int height) {
  if (height_ == height) return;
  height_ = height;
  needLayout();
}

void CControlUI::setPadding(const RECT& padding) {
  padding_ = padding;
  needLayout();
}

void CControlUI::setPos(const RECT& pos) {
  if (EqualRect(&pos, &pos_)) return;
  invalidate();
  pos_ = pos;
  invalidate();
}

void CControlUI::setHost(ControlHost* host) { host_ = host; }

CControlUI* CControlUI::findControlAt(POINT pt) {
  if (!visible_ || !PtInRect(&pos_, pt)) return nullptr;
  return this;
}

CControlUI* CControlUI::findByName(const std::wstring& name) { return name_ == name ? this : nullptr; }

void CControlUI::forEach(const std::function<void(CControlUI*)>& visit) { visit(this); }

void CControlUI::paint(HDC dc, const RECT& clip) {
  RECT overlap;
  if (!visible_ || !IntersectRect(&overlap, &clip, &pos_)) return;
  paintBkColor(dc);
  paintBkImage(dc);
  paintStatusImage(dc);
  paintText(dc);
  paintBorder(dc);
}

void CControlUI::doEvent(UIEvent& event) {
  if (event.type == UIEvent::kSetFocus || event.type == UIEvent::kKillFocus) invalidate();
}

void CControlUI::setFocusState(bool focused) {
  if (focused_ == focused) return;
  focused_ = focused;
  UIEvent event;
  event.type = focused ? UIEvent::kSetFocus : UIEvent::kKillFocus;
  doEvent(event);
}

void CControlUI::invalidate() {
  if (host_ && pos_.right > pos_.left && pos_.bottom > pos_.top) host_->invalidate(pos_);
}

void CControlUI::needLayout() {
  if (host_) host_->needLayout();
}

void CControlUI::notifyHost(const wchar_t* type, WPARAM wParam, LPARAM lParam) {
  if (host_) host_->sendNotify(this, type, wParam, lParam);
}

void CControlUI::announce(DWORD winEvent) {
  if (host_) host_->accessibleChange(this, winEvent);
}

uint32_t CControlUI::effectiveTextColor() const { return enabled_ ? textColor_ : disabledTextColor_; }

TextStyle CControlUI::textStyle(uint32_t color, UINT format, bool markup) const {
  TextStyle style{};
  if (host_) {
    style.font = host_->fonts().get(font_);
    style.underlineFont = host_->fonts().underlined(font_);
  }
  style.color = color;
  style.format = format;
  style.markup = markup;
  return style;
}

void CControlUI::paintBkColor(HDC dc) { fillColor(dc, pos_, bkColor_); }

void CControlUI::paintBkImage(HDC dc) { paintImageAttribute(dc, pos_, bkImage_, dpi()); }

int CControlUI::scaled(int pixels) const { return scaleForDpi(pixels, dpi()); }

RECT CControlUI::scaled(const RECT& pixels) const { return scaleForDpi(pixels, dpi()); }

void CControlUI::paintBorder(HDC dc) {
  if (borderSize_ <= 0 || (borderColor_ >> 24) == 0) return;
  const int size = scaled(borderSize_);
  const RECT& r = pos_;
  fillColor(dc, {r.left, r.top, r.right, r.top + size}, borderColor_);
  fillColor(dc, {r.left, r.bottom - size, r.right, r.bottom}, borderColor_);
  fillColor(dc, {r.left, r.top + size, r.left + size, r.bottom - size}, borderColor_);
  fillColor(dc, {r.right - size, r.top + size, r.right, r.bottom - size}, borderColor_);
}

}  // namespace toolkit
