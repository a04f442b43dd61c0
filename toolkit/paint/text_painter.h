#pragma once
// Draws and measures texts: alignment, one line with an optional ellipsis or word-wrapped
// lines, the inline markup, and a fallback font for scripts the chosen face lacks.
#include <windows.h>

#include <cstdint>
#include <string>

namespace toolkit {

struct TextStyle {
  HFONT font = nullptr;           // null: the DC's current font
  HFONT underlineFont = nullptr;  // for underlined markup runs; null: made from font
  uint32_t color = 0xFF000000;    // argb; the alpha is ignored
  UINT format = DT_LEFT | DT_TOP | DT_SINGLELINE;
  bool markup = false;
};

// Horizontal DT_LEFT/DT_CENTER/DT_RIGHT, vertical DT_TOP/DT_VCENTER/DT_BOTTOM, and either
// DT_SINGLELINE (DT_END_ELLIPSIS or DT_PATH_ELLIPSIS allowed) or DT_WORDBREAK. The text is drawn as given
// (resolve "@Key" first) on a transparent background, clipped to rect.
void drawText(HDC dc, const RECT& rect, const std::wstring& text, const TextStyle& style);
// The size the text takes; with DT_WORDBREAK lines wrap at maxWidth (<= 0: no limit).
SIZE measureText(HDC dc, int maxWidth, const std::wstring& text, const TextStyle& style);

}  // namespace toolkit
