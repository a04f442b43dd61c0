#pragma once
// What a screen reader is told about a control: whether it is shown to it at all, and its
// role, name, state, value and default action in MSAA's terms. Layout containers are not
// shown; their controls appear as the window's direct children, in tree order, which is the
// Tab order.
#include <windows.h>

#include <string>
#include <vector>

namespace toolkit {

class CControlUI;

// The controls a screen reader sees in a tree: visible ones with a role.
std::vector<CControlUI*> accessibleControls(CControlUI* root);

// ROLE_SYSTEM_*; 0 for a control that is not shown (a layout, an empty label).
LONG accessibleRole(CControlUI& control);
// The text, else the tool tip, else (for a check box without text) the label that follows
// it, markup taken out.
std::wstring accessibleName(CControlUI& control);
// STATE_SYSTEM_* flags.
DWORD accessibleState(CControlUI& control, bool focused);
// An edit's text, a progress bar's percent; empty for the rest.
std::wstring accessibleValue(CControlUI& control);
// "Press", "Check", "Uncheck", "Jump"; empty when the control has none.
std::wstring accessibleDefaultAction(CControlUI& control);

}  // namespace toolkit
