#include "toolkit/paint/text_painter.h"

#include "toolkit/paint/font_fallback.h"
#include "toolkit/paint/text_layout.h"

namespace toolkit {

void drawText(HDC dc, const RECT& rect, const std::wstring& text, const TextStyle& style) {
  if (text.empty() || rect.right <= rect.left) return;
  trimFallbackFonts();
  TextLayout layout(dc, text, style, rect.right - rect.left);
  layout.draw(dc, rect, style.color);
}

SIZE measureText(HDC dc, int maxWidth, const std::wstring& text, const TextStyle& style) {
  trimFallbackFonts();
  TextLayout layout(dc, text, style, maxWidth);
  return layout.extent();
}

}  // namespace toolkit
