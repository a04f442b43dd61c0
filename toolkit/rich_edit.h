#pragma once
// Read-only multi-line text (a licence, for one) that scrolls with the wheel, the arrow and
// page keys while focused, and shows a thin scroll thumb when the text is taller than the
// box. Drawn by the toolkit itself, markup included, so it needs no rich-edit library.
#include "toolkit/label.h"

namespace toolkit {

class CRichEditUI : public ControlClass<CRichEditUI, CLabelUI> {
 public:
  static constexpr wchar_t kClassName[] = L"RichEdit";
  CRichEditUI();
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;

  void setText(const std::wstring& text) override;
  int scrollPos() const { return scrollPos_; }
  // Clamped to 0..scrollRange(); scrollRange() is known after the first paint.
  void setScrollPos(int pos);
  int scrollRange() const { return scrollRange_; }

  void doEvent(UIEvent& event) override;
  bool canFocus() const override { return true; }
  bool isInteractive() const override { return true; }

 protected:
  void paintText(HDC dc) override;

 private:
  int lineStep() const;
  int scrollPos_ = 0;
  int scrollRange_ = 0;
  int lineHeight_ = 16;
  int pageHeight_ = 0;
  uint32_t thumbColor_ = 0x80808080;
};

}  // namespace toolkit
