#include "toolkit/tab_layout.h"

#include "toolkit/paint/attribute_parse.h"

namespace toolkit {

bool CTabLayoutUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"selectedid") {
    int index = 0;
    if (!parseInt(value, &index) || index < 0) return false;
    // The layout names the page before the pages exist: keep it, apply it as they arrive.
    selected_ = index;
    applySelection();
    return true;
  }
  return CContainerUI::setAttribute(name, value);
}

bool CTabLayoutUI::selectItem(int index) {
  if (index < 0 || index >= getCount()) return false;
  selected_ = index;
  applySelection();
  return true;
}

void CTabLayoutUI::applySelection() {
  for (int i = 0; i < getCount(); ++i) getItemAt(i)->setVisible(i == selected_);
  needLayout();
  invalidate();
}

std::vector<RECT> CTabLayoutUI::arrange(const RECT& area) const {
  // Pages added after the selection was set are shown or hidden here, at layout time.
  for (int i = 0; i < getCount(); ++i) getItemAt(i)->setVisible(i == selected_);
  return CContainerUI::arrange(area);
}

}  // namespace toolkit
