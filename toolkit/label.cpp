#include "toolkit/label.h"

#include "toolkit/paint/attribute_parse.h"
#include "toolkit/paint/text_painter.h"

namespace toolkit {

bool CLabelUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"align") {
    if (value == L"left") {
      align_ = Align::kLeft;
    } else if (value == L"center") {
      align_ = Align::kCenter;
    } else if (value == L"right") {
      align_ = Align::kRight;
    } else {
      return false;
    }
  } else if (name == L"valign") {
    if (value == L"top") {
      valign_ = VAlign::kTop;
    } else if (value == L"vcenter" || value == L"center") {
      valign_ = VAlign::kCenter;
    } else if (value == L"bottom") {
      valign_ = VAlign::kBottom;
    } else {
      return false;
    }
  } else if (name == L"multiline" || name == L"markup" || name == L"endellipsis" || name == L"pathellipsis") {
    bool on = false;
    if (!parseBool(value, &on)) return false;
    if (name == L"multiline") {
      multiLine_ = on;
    } else if (name == L"markup") {
      markup_ = on;
    } else if (name == L"endellipsis") {
      endEllipsis_ = on;
    } else {
      pathEllipsis_ = on;
    }
  } else if (name == L"textpadding") {
    RECT padding;
    if (!parseRect(value, &padding)) return false;
    textPadding_ = padding;
  } else {
    return CControlUI::setAttribute(name, value);
  }
  invalidate();
  return true;
}

void CLabelUI::paintText(HDC dc) { drawLabelText(dc, pos(), effectiveTextColor()); }

void CLabelUI::drawLabelText(HDC dc, const RECT& area, uint32_t color) {
  const std::wstring text = displayText();
  if (text.empty() || !host()) return;
  RECT box = area;
  const RECT padding = textPadding();
  box.left += padding.left;
  box.top += padding.top;
  box.right -= padding.right;
  box.bottom -= padding.bottom;
  if (box.right <= box.left || box.bottom <= box.top) return;

  UINT format = DT_NOPREFIX;
  // Mirrored, the start of a line is its right end.
  Align align = align_;
  if (host()->mirrored() && align != Align::kCenter) align = align == Align::kLeft ? Align::kRight : Align::kLeft;
  format |= align == Align::kCenter ? DT_CENTER : align == Align::kRight ? DT_RIGHT : DT_LEFT;
  if (pathEllipsis_) {
    format |= DT_PATH_ELLIPSIS;
  } else if (endEllipsis_) {
    format |= DT_END_ELLIPSIS;
  }
  if (!multiLine_) {
    format |= DT_SINGLELINE;
    format |= valign_ == VAlign::kCenter ? DT_VCENTER : valign_ == VAlign::kBottom ? DT_BOTTOM : DT_TOP;
    drawText(dc, box, text, textStyle(color, format, markup_));
    return;
  }
  // DrawText centres only single lines: place the wrapped block by its measured height.
  format |= DT_WORDBREAK | DT_TOP;
  const TextStyle style = textStyle(color, format, markup_);
  const SIZE size = measureText(dc, box.right - box.left, text, style);
  const int free = (box.bottom - box.top) - size.cy;
  if (free > 0 && valign_ != VAlign::kTop) box.top += valign_ == VAlign::kCenter ? free / 2 : free;
  drawText(dc, box, text, style);
}

}  // namespace toolkit
