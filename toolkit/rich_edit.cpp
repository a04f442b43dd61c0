#include "toolkit/rich_edit.h"

#include <algorithm>

#include "toolkit/gdi_handles.h"
#include "toolkit/paint/text_painter.h"

namespace toolkit {

namespace {
constexpr int kThumbWidth = 4;
}

CRichEditUI::CRichEditUI() {
  setMultiLine(true);
  setAttribute(L"valign", L"top");
}

bool CRichEditUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"thumbcolor") return setColorAttribute(thumbColor_, value);
  return CLabelUI::setAttribute(name, value);
}

void CRichEditUI::setText(const std::wstring& text) {
  CLabelUI::setText(text);
  scrollPos_ = 0;
}

void CRichEditUI::setScrollPos(int pos) {
  pos = std::max(0, std::min(scrollRange_, pos));
  if (pos == scrollPos_) return;
  scrollPos_ = pos;
  invalidate();
}

int CRichEditUI::lineStep() const { return std::max(1, lineHeight_); }

void CRichEditUI::doEvent(UIEvent& event) {
  if (event.type == UIEvent::kWheel) {
    const int notches = static_cast<short>(HIWORD(event.wParam)) / WHEEL_DELTA;
    setScrollPos(scrollPos_ - notches * 3 * lineStep());
    return;
  }
  if (event.type == UIEvent::kKeyDown) {
    switch (event.wParam) {
      case VK_UP: setScrollPos(scrollPos_ - lineStep()); return;
      case VK_DOWN: setScrollPos(scrollPos_ + lineStep()); return;
      case VK_PRIOR: setScrollPos(scrollPos_ - std::max(lineStep(), pageHeight_ - lineStep())); return;
      case VK_NEXT: setScrollPos(scrollPos_ + std::max(lineStep(), pageHeight_ - lineStep())); return;
      case VK_HOME: setScrollPos(0); return;
      case VK_END: setScrollPos(scrollRange_); return;
      default: break;
    }
  }
  CLabelUI::doEvent(event);
}

void CRichEditUI::paintText(HDC dc) {
  const std::wstring text = displayText();
  if (!host()) return;
  const RECT& padding = textPadding();
  RECT box{pos().left + padding.left, pos().top + padding.top, pos().right - padding.right - scaled(kThumbWidth + 2),
           pos().bottom - padding.bottom};
  if (box.right <= box.left || box.bottom <= box.top) return;
  const TextStyle style = textStyle(effectiveTextColor(), DT_NOPREFIX | DT_WORDBREAK | DT_TOP | DT_LEFT, markup());
  const SIZE line = measureText(dc, box.right - box.left, L"Ag", style);
  lineHeight_ = line.cy > 0 ? line.cy : 16;
  const SIZE whole = text.empty() ? SIZE{0, 0} : measureText(dc, box.right - box.left, text, style);
  pageHeight_ = box.bottom - box.top;
  scrollRange_ = std::max(0, static_cast<int>(whole.cy) - pageHeight_);
  scrollPos_ = std::min(scrollPos_, scrollRange_);
  if (text.empty()) return;

  SavedDc saved(dc);
  IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
  RECT shifted{box.left, box.top - scrollPos_, box.right, box.top - scrollPos_ + std::max<LONG>(whole.cy, pageHeight_)};
  drawText(dc, shifted, text, style);
  if (scrollRange_ > 0) {
    const int track = pageHeight_;
    const int thumb = std::max(scaled(12), track * pageHeight_ / static_cast<int>(whole.cy));
    const int top = box.top + (track - thumb) * scrollPos_ / scrollRange_;
    SelectClipRgn(dc, nullptr);
    fillColor(dc, {box.right + scaled(2), top, box.right + scaled(2 + kThumbWidth), top + thumb}, thumbColor_);
  }
}

}  // namespace toolkit
