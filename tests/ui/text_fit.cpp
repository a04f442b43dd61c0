#include "tests/ui/text_fit.h"

#include <gtest/gtest.h>

#include "toolkit/label.h"
#include "toolkit/rich_edit.h"
#include "toolkit/paint/text_painter.h"
#include "utility/encoding.h"

namespace textfit {

int expectTextsFit(toolkit::WindowImplBase& window) {
  int checked = 0;
  HDC dc = GetDC(window.hwnd());
  window.rootControl()->forEach([&](toolkit::CControlUI* control) {
    auto* label = toolkit::controlAs<toolkit::CLabelUI>(control);
    if (!label || !control->isReallyVisible() || toolkit::controlAs<toolkit::CRichEditUI>(control)) return;
    const std::wstring shown = control->displayText();
    if (shown.empty()) return;
    SCOPED_TRACE(utility::toUtf8(control->name()));
    const RECT& r = control->pos();
    const RECT& pad = label->textPadding();
    const int width = r.right - r.left - pad.left - pad.right;
    const int height = r.bottom - r.top - pad.top - pad.bottom;
    toolkit::TextStyle style;
    style.font = window.fonts().get(control->font());
    style.markup = label->markup();
    style.format = DT_NOPREFIX | (label->multiLine() ? DT_WORDBREAK : DT_SINGLELINE);
    const SIZE size = toolkit::measureText(dc, label->multiLine() ? width : 0, shown, style);
    EXPECT_LE(size.cx, width) << "cut: " << utility::toUtf8(shown);
    EXPECT_LE(size.cy, height) << "too high: " << utility::toUtf8(shown);
    ++checked;
  });
  ReleaseDC(window.hwnd(), dc);
  return checked;
}

}  // namespace textfit
