#pragma once
// Pages on top of each other: only the selected child is visible, and it fills the area.
#include "toolkit/container.h"

namespace toolkit {

class CTabLayoutUI : public CContainerUI {
 public:
  const wchar_t* getClass() const override;
  void* getInterface(const std::wstring& name) override;
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
