#pragma once
// Buttons as wide as their texts need, within bounds: a long translation makes its button
// grow instead of being cut, a short one keeps the layout's width.
#include <initializer_list>

#include "toolkit/window_impl_base.h"

namespace ui {

// The width the button's text needs in its font, plus padding on both sides together,
// kept within minWidth and maxWidth; all in 96-DPI pixels, as the layouts give widths.
int fittedButtonWidth(const toolkit::CControlUI& button, const toolkit::FontTable& fonts, int padding, int minWidth,
                      int maxWidth);
// Grows the named buttons of a window to their texts, never below their layout width and
// never beyond maxWidth.
void growButtonsToText(toolkit::WindowImplBase& window, std::initializer_list<const wchar_t*> names, int padding,
                       int maxWidth);

}  // namespace ui
