#pragma once
// Text in a rectangle: single or multi-line, aligned horizontally ("align": left, center,
// right) and vertically ("valign": top, vcenter, bottom), with text padding and, when
// "markup" is on, the inline underline and colour tags. A single line too long for its box
// ends in an ellipsis ("endellipsis"), or, for paths, loses its middle ("pathellipsis").
#include "toolkit/control.h"

namespace toolkit {

class CLabelUI : public ControlClass<CLabelUI, CControlUI> {
 public:
  static constexpr wchar_t kClassName[] = L"Label";
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;

  enum class Align { kLeft, kCenter, kRight };
  enum class VAlign { kTop, kCenter, kBottom };
  Align align() const { return align_; }
  VAlign valign() const { return valign_; }
  bool multiLine() const { return multiLine_; }
  void setMultiLine(bool multiLine) { setAndRepaint(multiLine_, multiLine); }
  bool markup() const { return markup_; }
  void setMarkup(bool markup) { setAndRepaint(markup_, markup); }
  // At the window's DPI.
  RECT textPadding() const { return scaled(textPadding_); }
  void setTextPadding(const RECT& padding) { setAndRepaint(textPadding_, padding); }

 protected:
  void paintText(HDC dc) override;
  // Draws the display text in the colour given, with this label's alignment rules.
  void drawLabelText(HDC dc, const RECT& area, uint32_t color);

 private:
  Align align_ = Align::kLeft;
  VAlign valign_ = VAlign::kCenter;
  bool multiLine_ = false;
  bool markup_ = false;
  bool endEllipsis_ = false;
  // A path too long for one line loses its middle, not the folder it ends in.
  bool pathEllipsis_ = false;
  RECT textPadding_{};
};

}  // namespace toolkit
