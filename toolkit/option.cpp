#include "toolkit/option.h"

#include "toolkit/notify.h"
#include "toolkit/paint/attribute_parse.h"

namespace toolkit {

const wchar_t* COptionUI::getClass() const { return L"Option"; }

void* COptionUI::getInterface(const std::wstring& name) {
  if (name == L"Option") return this;
  return CButtonUI::getInterface(name);
}

bool COptionUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"selected") {
    bool on = false;
    if (!parseBool(value, &on)) return false;
    selected(on, false);
  } else if (name == L"group") {
    setGroup(value);
  } else if (name == L"selectedimage") {
    setSelectedImage(value);
  } else if (name == L"selectedhotimage") {
    selectedHotImage_ = value;
    invalidate();
  } else if (name == L"selectedtextcolor") {
    uint32_t color = 0;
    if (!parseColor(value, &color)) return false;
    selectedTextColor_ = color;
    invalidate();
  } else {
    return CButtonUI::setAttribute(name, value);
  }
  return true;
}

void COptionUI::selected(bool selected, bool notify) {
  if (selected_ == selected) return;
  selected_ = selected;
  if (selected_) unselectGroupPeers();
  invalidate();
  announce(EVENT_OBJECT_STATECHANGE);
  if (notify) notifyHost(notify_type::kSelectChanged);
}

void COptionUI::unselectGroupPeers() {
  if (group_.empty() || !host() || !host()->rootControl()) return;
  host()->rootControl()->forEach([this](CControlUI* control) {
    if (control == this) return;
    auto* option = static_cast<COptionUI*>(control->getInterface(L"Option"));
    if (option && option->group_ == group_ && option->selected_) option->selected(false, true);
  });
}

void COptionUI::setSelectedImage(const std::wstring& image) {
  selectedImage_ = image;
  invalidate();
}

void COptionUI::activate() {
  if (!isEnabled() || !isReallyVisible()) return;
  if (group_.empty()) {
    selected(!selected_);
  } else {
    selected(true);
  }
  CButtonUI::activate();
}

const std::wstring& COptionUI::stateImage() const {
  if (selected_ && isEnabled()) {
    if (isHot() && !selectedHotImage_.empty()) return selectedHotImage_;
    if (!selectedImage_.empty()) return selectedImage_;
  }
  return CButtonUI::stateImage();
}

uint32_t COptionUI::stateTextColor() const {
  if (selected_ && isEnabled() && selectedTextColor_) return selectedTextColor_;
  return CButtonUI::stateTextColor();
}

}  // namespace toolkit
