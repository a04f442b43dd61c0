#include "toolkit/option.h"

#include "toolkit/notify.h"
#include "toolkit/paint/attribute_parse.h"

namespace toolkit {

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
    setAndRepaint(selectedHotImage_, value);
  } else if (name == L"selectedtextcolor") {
    return setColorAttribute(selectedTextColor_, value);
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
    auto* option = controlAs<COptionUI>(control);
    if (option && option->group_ == group_ && option->selected_) option->selected(false, true);
  });
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
