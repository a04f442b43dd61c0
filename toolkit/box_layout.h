#pragma once
// Containers that stack their children top to bottom or left to right, with fixed and
// flexible sizes, child padding and the children's own margins.
#include "toolkit/container.h"

namespace toolkit {

class CVerticalLayoutUI : public CContainerUI {
 public:
  const wchar_t* getClass() const override;
  void* getInterface(const std::wstring& name) override;

 protected:
  std::vector<RECT> arrange(const RECT& area) const override;
};

class CHorizontalLayoutUI : public CContainerUI {
 public:
  const wchar_t* getClass() const override;
  void* getInterface(const std::wstring& name) override;

 protected:
  std::vector<RECT> arrange(const RECT& area) const override;
};

}  // namespace toolkit
