#pragma once
// Containers that stack their children top to bottom or left to right, with fixed and
// flexible sizes, child padding and the children's own margins.
#include "toolkit/container.h"

namespace toolkit {

class CVerticalLayoutUI : public ControlClass<CVerticalLayoutUI, CContainerUI> {
 public:
  static constexpr wchar_t kClassName[] = L"VerticalLayout";

 protected:
  std::vector<RECT> arrange(const RECT& area) const override;
};

class CHorizontalLayoutUI : public ControlClass<CHorizontalLayoutUI, CContainerUI> {
 public:
  static constexpr wchar_t kClassName[] = L"HorizontalLayout";

 protected:
  std::vector<RECT> arrange(const RECT& area) const override;
};

}  // namespace toolkit
