#pragma once
// A horizontal progress bar: the fore image (or colour) covers the part of the bar that
// the value reaches, from the left; the value is kept within min..max (0..100 by default).
#include "toolkit/label.h"

namespace toolkit {

class CProgressUI : public ControlClass<CProgressUI, CLabelUI> {
 public:
  static constexpr wchar_t kClassName[] = L"Progress";
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;

  int getValue() const { return value_; }
  void setValue(int value);
  int getMinValue() const { return min_; }
  int getMaxValue() const { return max_; }
  // Ignored unless min < max; the value is clamped again.
  void setRange(int min, int max);
  void setForeImage(const std::wstring& image) { setAndRepaint(foreImage_, image); }
  // The part of the bar the value covers (left to right).
  RECT foreRect() const;

 protected:
  void paintStatusImage(HDC dc) override;

 private:
  int value_ = 0;
  int min_ = 0;
  int max_ = 100;
  std::wstring foreImage_;
  uint32_t foreColor_ = 0;
};

}  // namespace toolkit
