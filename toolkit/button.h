#pragma once
// A push button: a label with state images (normal, hot, pushed, focused, disabled) and
// state text colours, that sends "click" when pressed and released over it, or on Enter
// or Space while focused.
#include "toolkit/label.h"

namespace toolkit {

class CButtonUI : public ControlClass<CButtonUI, CLabelUI> {
 public:
  static constexpr wchar_t kClassName[] = L"Button";
  CButtonUI();
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;

  const std::wstring& normalImage() const { return normalImage_; }
  void setNormalImage(const std::wstring& image) { setAndRepaint(normalImage_, image); }
  void setHotImage(const std::wstring& image) { setAndRepaint(hotImage_, image); }
  void setPushedImage(const std::wstring& image) { setAndRepaint(pushedImage_, image); }
  void setDisabledImage(const std::wstring& image) { setAndRepaint(disabledImage_, image); }
  void setHotTextColor(uint32_t argb) { setAndRepaint(hotTextColor_, argb); }
  void setPushedTextColor(uint32_t argb) { setAndRepaint(pushedTextColor_, argb); }

  bool isHot() const { return hot_; }
  bool isPushed() const { return pushed_; }

  void doEvent(UIEvent& event) override;
  bool canFocus() const override { return true; }
  bool isInteractive() const override { return true; }
  void activate() override;

 protected:
  void paintStatusImage(HDC dc) override;
  void paintText(HDC dc) override;
  // The image for the current state; empty when none applies.
  virtual const std::wstring& stateImage() const;
  virtual uint32_t stateTextColor() const;

 private:
  std::wstring normalImage_;
  std::wstring hotImage_;
  std::wstring pushedImage_;
  std::wstring focusedImage_;
  std::wstring disabledImage_;
  uint32_t hotTextColor_ = 0;
  uint32_t pushedTextColor_ = 0;
  uint32_t focusedTextColor_ = 0;
  bool hot_ = false;
  bool pushed_ = false;
};

}  // namespace toolkit
