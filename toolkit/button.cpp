#include "toolkit/button.h"

#include "toolkit/notify.h"

namespace toolkit {

CButtonUI::CButtonUI() { setAttribute(L"align", L"center"); }

bool CButtonUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"normalimage") {
    setNormalImage(value);
  } else if (name == L"hotimage") {
    setHotImage(value);
  } else if (name == L"pushedimage") {
    setPushedImage(value);
  } else if (name == L"focusedimage") {
    setAndRepaint(focusedImage_, value);
  } else if (name == L"disabledimage") {
    setDisabledImage(value);
  } else if (name == L"hottextcolor") {
    return setColorAttribute(hotTextColor_, value);
  } else if (name == L"pushedtextcolor") {
    return setColorAttribute(pushedTextColor_, value);
  } else if (name == L"focusedtextcolor") {
    return setColorAttribute(focusedTextColor_, value);
  } else {
    return CLabelUI::setAttribute(name, value);
  }
  return true;
}

void CButtonUI::doEvent(UIEvent& event) {
  if (!isEnabled()) {
    hot_ = pushed_ = false;
    CLabelUI::doEvent(event);
    return;
  }
  switch (event.type) {
    case UIEvent::kMouseEnter:
      hot_ = true;
      invalidate();
      break;
    case UIEvent::kMouseLeave:
      hot_ = false;
      invalidate();
      break;
    case UIEvent::kButtonDown:
    case UIEvent::kDoubleClick:
      pushed_ = true;
      invalidate();
      break;
    case UIEvent::kMouseMove: {
      const bool inside = PtInRect(&pos(), event.pt) != FALSE;
      if (inside != hot_) {
        hot_ = inside;
        invalidate();
      }
      break;
    }
    case UIEvent::kButtonUp: {
      const bool wasPushed = pushed_;
      pushed_ = false;
      invalidate();
      if (wasPushed && PtInRect(&pos(), event.pt)) activate();
      break;
    }
    default:
      CLabelUI::doEvent(event);
      break;
  }
}

void CButtonUI::activate() {
  if (!isEnabled() || !isReallyVisible()) return;
  notifyHost(notify_type::kClick);
}

const std::wstring& CButtonUI::stateImage() const {
  if (!isEnabled() && !disabledImage_.empty()) return disabledImage_;
  if (pushed_ && !pushedImage_.empty()) return pushedImage_;
  if (hot_ && !hotImage_.empty()) return hotImage_;
  if (isFocused() && !focusedImage_.empty()) return focusedImage_;
  return normalImage_;
}

uint32_t CButtonUI::stateTextColor() const {
  if (!isEnabled()) return disabledTextColor();
  if (pushed_ && pushedTextColor_) return pushedTextColor_;
  if (hot_ && hotTextColor_) return hotTextColor_;
  if (isFocused() && focusedTextColor_) return focusedTextColor_;
  return textColor();
}

void CButtonUI::paintStatusImage(HDC dc) { paintImageAttribute(dc, pos(), stateImage(), dpi()); }

void CButtonUI::paintText(HDC dc) { drawLabelText(dc, pos(), stateTextColor()); }

}  // namespace toolkit
