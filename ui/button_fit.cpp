#include "ui/button_fit.h"

#include <algorithm>

#include "toolkit/paint/gdi_handle.h"
#include "toolkit/paint/text_painter.h"
#include "toolkit/paint/text_resolve.h"

namespace ui {

int fittedButtonWidth(const toolkit::CControlUI& button, const toolkit::FontTable& fonts, int padding, int minWidth,
                      int maxWidth) {
  toolkit::ScreenDc screen;
  toolkit::TextStyle style;
  style.font = fonts.get(button.font());
  const std::wstring text = toolkit::resolveDisplayText(button.text());
  const SIZE extent = toolkit::measureText(screen.get(), 0, text, style);
  // Widths are kept in the layout's 96-DPI pixels: the text measured at the fonts' DPI is
  // taken back to them, rounded up so that it still fits once scaled again.
  const int dpi = fonts.dpi() > 0 ? fonts.dpi() : 96;
  const int width = static_cast<int>((static_cast<long long>(extent.cx) * 96 + dpi - 1) / dpi);
  return std::clamp<int>(width + padding, minWidth, std::max(minWidth, maxWidth));
}

void growButtonsToText(toolkit::WindowImplBase& window, std::initializer_list<const wchar_t*> names, int padding,
                       int maxWidth) {
  for (const wchar_t* name : names) {
    toolkit::CControlUI* button = window.findControl(name);
    if (!button) continue;
    button->setFixedWidth(fittedButtonWidth(*button, window.fonts(), padding, button->fixedWidth(), maxWidth));
  }
}

}  // namespace ui
