#pragma once
// Pages on top of each other: only the selected child is visible, and it fills the area.
#include "toolkit/container.h"

namespace toolkit {

class CTabLayoutUI : public ControlClass<CTabLayoutUI, CContainerUI> {
 public:
  static constexpr wchar_t kClassName[] = L"TabLayout";
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;

  int getCurSel() const { return selected_; }
  // False (and no change) for an index out of range.
  bool selectItem(int index);

 protected:
  std::vector<RECT> arrange(const RECT& area) const override;

 private:
  void applySelection();
  int selected_ = 0;
};

}  // namespace toolkit
