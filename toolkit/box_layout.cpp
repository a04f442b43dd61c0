#include "toolkit/box_layout.h"

namespace toolkit {

const wchar_t* CVerticalLayoutUI::getClass() const { return L"VerticalLayout"; }

void* CVerticalLayoutUI::getInterface(const std::wstring& name) {
  if (name == L"VerticalLayout") return this;
  return CContainerUI::getInterface(name);
}

std::vector<RECT> CVerticalLayoutUI::arrange(const RECT& area) const {
  return layoutVertical(area, layoutItems(), scaled(childPadding()));
}

const wchar_t* CHorizontalLayoutUI::getClass() const { return L"HorizontalLayout"; }

void* CHorizontalLayoutUI::getInterface(const std::wstring& name) {
  if (name == L"HorizontalLayout") return this;
  return CContainerUI::getInterface(name);
}

std::vector<RECT> CHorizontalLayoutUI::arrange(const RECT& area) const {
  return layoutHorizontal(area, layoutItems(), scaled(childPadding()));
}

}  // namespace toolkit
