#pragma once
// A check or radio button: a button with a selected state and its own images. Without a
// group a click toggles it; in a group a click selects it and unselects the others of the
// group in the same window. A change of state sends "selectchanged", then "click" follows.
#include "toolkit/button.h"

namespace toolkit {

class COptionUI : public ControlClass<COptionUI, CButtonUI> {
 public:
  static constexpr wchar_t kClassName[] = L"Option";
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;

  bool isSelected() const { return selected_; }
  // notify: whether a change sends "selectchanged".
  void selected(bool selected, bool notify = true);
  const std::wstring& group() const { return group_; }
  void setGroup(const std::wstring& group) { group_ = group; }
  void setSelectedImage(const std::wstring& image) { setAndRepaint(selectedImage_, image); }

  void activate() override;

 protected:
  const std::wstring& stateImage() const override;
  uint32_t stateTextColor() const override;

 private:
  void unselectGroupPeers();
  bool selected_ = false;
  std::wstring group_;
  std::wstring selectedImage_;
  std::wstring selectedHotImage_;
  uint32_t selectedTextColor_ = 0;
};

}  // namespace toolkit
