#include "toolkit/progress.h"

#include <algorithm>

#include "toolkit/gdi_handles.h"
#include "toolkit/paint/attribute_parse.h"

namespace toolkit {

bool CProgressUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"value" || name == L"min" || name == L"max") {
    int number = 0;
    if (!parseInt(value, &number)) return false;
    if (name == L"value") {
      setValue(number);
    } else if (name == L"min") {
      if (number >= max_) return false;
      setRange(number, max_);
    } else {
      if (number <= min_) return false;
      setRange(min_, number);
    }
  } else if (name == L"foreimage") {
    setForeImage(value);
  } else if (name == L"forecolor") {
    return setColorAttribute(foreColor_, value);
  } else {
    return CLabelUI::setAttribute(name, value);
  }
  return true;
}

void CProgressUI::setValue(int value) {
  value = std::max(min_, std::min(max_, value));
  if (value == value_) return;
  value_ = value;
  invalidate();
  announce(EVENT_OBJECT_VALUECHANGE);
}

void CProgressUI::setRange(int min, int max) {
  if (min >= max) return;
  min_ = min;
  max_ = max;
  value_ = std::max(min_, std::min(max_, value_));
  invalidate();
}

RECT CProgressUI::foreRect() const {
  RECT rect = pos();
  const long long width = rect.right - rect.left;
  const LONG covered = static_cast<LONG>(width * (value_ - min_) / (max_ - min_));
  if (host() && host()->mirrored()) {
    rect.left = rect.right - covered;
  } else {
    rect.right = rect.left + covered;
  }
  return rect;
}

void CProgressUI::paintStatusImage(HDC dc) {
  const RECT fore = foreRect();
  if (fore.right <= fore.left) return;
  fillColor(dc, fore, foreColor_);
  if (foreImage_.empty()) return;
  // The image is laid over the whole bar and clipped to the covered part, so it reveals
  // itself as the value grows instead of being squeezed.
  SavedDc saved(dc);
  IntersectClipRect(dc, fore.left, fore.top, fore.right, fore.bottom);
  paintImageAttribute(dc, pos(), foreImage_, dpi());
}

}  // namespace toolkit
