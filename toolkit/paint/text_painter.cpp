#include "toolkit/paint/text_painter.h"

#include "toolkit/paint/gdi_handle.h"

namespace toolkit {

void drawText(HDC dc, const RECT& rect, const std::wstring& text, const TextStyle& style) {
  int saved = SaveDC(dc);
  if (style.font) SelectObject(dc, style.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB((style.color >> 16) & 0xFF, (style.color >> 8) & 0xFF, style.color & 0xFF));
  RECT box = rect;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, style.format | DT_NOPREFIX);
  RestoreDC(dc, saved);
}

SIZE measureText(HDC dc, int maxWidth, const std::wstring& text, const TextStyle& style) {
  int saved = SaveDC(dc);
  if (style.font) SelectObject(dc, style.font);
  RECT box{0, 0, maxWidth > 0 ? maxWidth : 0x7FFF, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, style.format | DT_NOPREFIX | DT_CALCRECT);
  RestoreDC(dc, saved);
  return SIZE{box.right - box.left, box.bottom - box.top};
}

}  // namespace toolkit
