#include "toolkit/accessible_role.h"

#include <oleacc.h>

#include "toolkit/container.h"
#include "toolkit/control.h"
#include "toolkit/option.h"
#include "toolkit/paint/text_markup.h"
#include "toolkit/paint/text_resolve.h"
#include "toolkit/progress.h"

namespace toolkit {
namespace {

std::wstring plainText(const std::wstring& text) {
  std::wstring plain;
  for (const TextRun& run : parseMarkup(text)) plain += run.text;
  return plain;
}

bool isLink(CControlUI& control) { return controlAs<CButtonUI>(&control) && control.role() == L"link"; }

// A check box or an edit without text of its own is named by the label that follows it in
// tree order, before any other control that takes the focus: the layouts put the licence's
// text right after its check box.
std::wstring followingLabelText(CControlUI& control) {
  CControlUI* root = &control;
  while (root->parent()) root = root->parent();
  bool seen = false;
  std::wstring text;
  root->forEach([&](CControlUI* other) {
    if (!text.empty()) return;
    if (other == &control) {
      seen = true;
      return;
    }
    if (!seen || !other->isReallyVisible()) return;
    if (other->canFocus()) {
      seen = false;  // another control comes first: the label is not this one's
      return;
    }
    if (std::wstring(other->getClass()) == L"Label") text = plainText(other->displayText());
  });
  return text;
}

}  // namespace

LONG accessibleRole(CControlUI& control) {
  const std::wstring kind = control.getClass();
  if (kind == L"Option") {
    return controlAs<COptionUI>(&control)->group().empty() ? ROLE_SYSTEM_CHECKBUTTON
                                                                                     : ROLE_SYSTEM_RADIOBUTTON;
  }
  if (kind == L"Button") return isLink(control) ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_PUSHBUTTON;
  if (kind == L"Edit" || kind == L"RichEdit") return ROLE_SYSTEM_TEXT;
  if (kind == L"Combo") return ROLE_SYSTEM_COMBOBOX;
  if (kind == L"Progress") return ROLE_SYSTEM_PROGRESSBAR;
  if (kind == L"Label" && !plainText(control.displayText()).empty()) return ROLE_SYSTEM_STATICTEXT;
  return 0;
}

std::vector<CControlUI*> accessibleControls(CControlUI* root) {
  std::vector<CControlUI*> controls;
  if (!root) return controls;
  root->forEach([&](CControlUI* control) {
    if (control->isReallyVisible() && accessibleRole(*control) != 0) controls.push_back(control);
  });
  return controls;
}

std::wstring accessibleName(CControlUI& control) {
  const std::wstring kind = control.getClass();
  if (kind != L"Edit" && kind != L"RichEdit" && kind != L"Progress") {
    std::wstring text = plainText(control.displayText());
    if (!text.empty()) return text;
  }
  if (!control.toolTip().empty()) return plainText(resolveDisplayText(control.toolTip()));
  if (kind == L"Option" || kind == L"Edit") return followingLabelText(control);
  return std::wstring();
}

DWORD accessibleState(CControlUI& control, bool focused) {
  DWORD state = 0;
  if (!control.isReallyVisible()) state |= STATE_SYSTEM_INVISIBLE;
  if (!control.isEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
  if (control.canFocus() && control.isEnabled()) state |= STATE_SYSTEM_FOCUSABLE;
  if (focused) state |= STATE_SYSTEM_FOCUSED;
  if (auto* option = controlAs<COptionUI>(&control)) {
    if (option->isSelected()) state |= STATE_SYSTEM_CHECKED;
  }
  if (isLink(control)) state |= STATE_SYSTEM_LINKED;
  if (std::wstring(control.getClass()) == L"Label" || std::wstring(control.getClass()) == L"Progress" ||
      std::wstring(control.getClass()) == L"RichEdit") {
    state |= STATE_SYSTEM_READONLY;
  }
  return state;
}

std::wstring accessibleValue(CControlUI& control) {
  const std::wstring kind = control.getClass();
  if (kind == L"Edit" || kind == L"Combo") return control.getText();
  if (auto* progress = controlAs<CProgressUI>(&control)) {
    const int span = progress->getMaxValue() - progress->getMinValue();
    const int percent = span > 0 ? MulDiv(progress->getValue() - progress->getMinValue(), 100, span) : 0;
    return std::to_wstring(percent) + L"%";
  }
  return std::wstring();
}

std::wstring accessibleDefaultAction(CControlUI& control) {
  if (!control.isEnabled()) return std::wstring();
  if (auto* option = controlAs<COptionUI>(&control)) {
    return option->isSelected() && option->group().empty() ? L"Uncheck" : L"Check";
  }
  if (std::wstring(control.getClass()) == L"Button") return isLink(control) ? L"Jump" : L"Press";
  return std::wstring();
}

}  // namespace toolkit
