#include "toolkit/combo.h"

#include "toolkit/combo_drop.h"
#include "toolkit/notify.h"
#include "toolkit/paint/attribute_parse.h"

namespace toolkit {

CComboUI::CComboUI() { setAttribute(L"align", L"left"); }

CComboUI::~CComboUI() { drop_.reset(); }

bool CComboUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"itemheight") {
    int height = 0;
    if (!parseInt(value, &height) || height <= 0) return false;
    itemHeight_ = height;
  } else if (name == L"dropbkcolor" || name == L"itemhotbkcolor") {
    uint32_t color = 0;
    if (!parseColor(value, &color)) return false;
    (name == L"dropbkcolor" ? dropBkColor_ : itemHotBkColor_) = color;
  } else if (name == L"selectedid") {
    int index = -1;
    if (!parseInt(value, &index) || index < -1) return false;
    if (!selectItem(index, false)) pendingSelection_ = index;
  } else {
    return CButtonUI::setAttribute(name, value);
  }
  return true;
}

int CComboUI::addItem(const std::wstring& text, const std::wstring& userData) {
  items_.push_back({text, userData});
  const int index = getItemCount() - 1;
  if (index == pendingSelection_) {
    pendingSelection_ = -1;
    selectItem(index, false);
  }
  invalidate();
  return index;
}

void CComboUI::removeAllItems() {
  closeDrop();
  items_.clear();
  selected_ = -1;
  invalidate();
}

const ComboItem* CComboUI::getItemAt(int index) const {
  if (index < 0 || index >= getItemCount()) return nullptr;
  return &items_[static_cast<size_t>(index)];
}

bool CComboUI::selectItem(int index, bool notify) {
  if (index < -1 || index >= getItemCount()) return false;
  if (index == selected_) return true;
  const int previous = selected_;
  selected_ = index;
  invalidate();
  if (notify) notifyHost(notify_type::kItemSelect, static_cast<WPARAM>(index), previous);
  return true;
}

std::wstring CComboUI::getText() const {
  if (const ComboItem* item = getItemAt(selected_)) return item->text;
  return CButtonUI::getText();
}

void CComboUI::doEvent(UIEvent& event) {
  if (event.type == UIEvent::kKeyDown && isEnabled()) {
    if (event.wParam == VK_DOWN && selected_ + 1 < getItemCount()) {
      selectItem(selected_ + 1);
      return;
    }
    if (event.wParam == VK_UP && selected_ > 0) {
      selectItem(selected_ - 1);
      return;
    }
  }
  CButtonUI::doEvent(event);
}

void CComboUI::activate() {
  if (!isEnabled() || !isReallyVisible()) return;
  if (drop_) {
    closeDrop();
  } else {
    openDrop();
  }
}

void CComboUI::setVisible(bool visible) {
  if (!visible) closeDrop();
  CButtonUI::setVisible(visible);
}

void CComboUI::setEnabled(bool enabled) {
  if (!enabled) closeDrop();
  CButtonUI::setEnabled(enabled);
}

HWND CComboUI::dropWindow() const { return drop_ ? drop_->hwnd() : nullptr; }

void CComboUI::openDrop() {
  if (drop_ || items_.empty() || !host() || !host()->hwnd()) return;
  drop_ = std::make_unique<ComboDropWindow>(this);
  if (!drop_->open()) drop_.reset();
}

void CComboUI::closeDrop() { drop_.reset(); }

}  // namespace toolkit
