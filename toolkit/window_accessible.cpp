#include "toolkit/window_accessible.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/accessible_role.h"
#include "toolkit/container.h"
#include "toolkit/control.h"
#include "toolkit/window_impl_base.h"

namespace toolkit {

const IID kAccessibleInterfaceId = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

namespace {

// {00020400-0000-0000-C000-000000000046} and {00000000-0000-0000-C000-000000000046}.
const IID kDispatchInterfaceId = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kUnknownInterfaceId = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

HRESULT textResult(const std::wstring& text, BSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

void setChildId(VARIANT* out, LONG id) {
  out->vt = VT_I4;
  out->lVal = id;
}

}  // namespace

WindowAccessible::WindowAccessible(WindowImplBase* window) : window_(window) {}

void WindowAccessible::disconnect() {
  window_ = nullptr;
  CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

LONG WindowAccessible::childIdOf(CControlUI* root, CControlUI* control) {
  const std::vector<CControlUI*> controls = accessibleControls(root);
  const auto found = std::find(controls.begin(), controls.end(), control);
  return found == controls.end() ? CHILDID_SELF : static_cast<LONG>(found - controls.begin()) + 1;
}

HRESULT WindowAccessible::QueryInterface(REFIID id, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(id, kUnknownInterfaceId) || IsEqualIID(id, kDispatchInterfaceId) ||
      IsEqualIID(id, kAccessibleInterfaceId)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG WindowAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG WindowAccessible::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT WindowAccessible::GetTypeInfoCount(UINT* count) {
  if (!count) return E_INVALIDARG;
  *count = 0;
  return S_OK;
}

HRESULT WindowAccessible::resolve(const VARIANT& child, CControlUI** control) const {
  *control = nullptr;
  if (!window_ || !window_->hwnd()) return RPC_E_DISCONNECTED;
  if (child.vt != VT_I4) return E_INVALIDARG;
  if (child.lVal == CHILDID_SELF) return S_OK;
  const std::vector<CControlUI*> controls = accessibleControls(window_->rootControl());
  if (child.lVal < 1 || static_cast<size_t>(child.lVal) > controls.size()) return E_INVALIDARG;
  *control = controls[static_cast<size_t>(child.lVal) - 1];
  return S_OK;
}

HRESULT WindowAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_INVALIDARG;
  *parent = nullptr;
  if (!window_ || !window_->hwnd()) return RPC_E_DISCONNECTED;
  return AccessibleObjectFromWindow(window_->hwnd(), static_cast<DWORD>(OBJID_WINDOW), kDispatchInterfaceId,
                                    reinterpret_cast<void**>(parent));
}

HRESULT WindowAccessible::get_accChildCount(long* count) {
  if (!count) return E_INVALIDARG;
  *count = 0;
  if (!window_ || !window_->hwnd()) return RPC_E_DISCONNECTED;
  *count = static_cast<long>(accessibleControls(window_->rootControl()).size());
  return S_OK;
}

HRESULT WindowAccessible::get_accChild(VARIANT child, IDispatch** object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  CControlUI* control = nullptr;
  const HRESULT resolved = resolve(child, &control);
  if (FAILED(resolved)) return resolved;
  // The controls are simple elements of this object, not objects of their own.
  return control ? S_FALSE : E_INVALIDARG;
}

HRESULT WindowAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_INVALIDARG;
  *name = nullptr;
  CControlUI* control = nullptr;
  const HRESULT resolved = resolve(child, &control);
  if (FAILED(resolved)) return resolved;
  if (control) return textResult(accessibleName(*control), name);
  wchar_t title[256] = {};
  GetWindowTextW(window_->hwnd(), title, 256);
  return textResult(title, name);
}

HRESULT WindowAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (!value) return E_INVALIDARG;
  *value = nullptr;
  CControlUI* control = nullptr;
  const HRESULT resolved = resolve(child, &control);
  if (FAILED(resolved)) return resolved;
  return control ? textResult(accessibleValue(*control), value) : S_FALSE;
}

HRESULT WindowAccessible::get_accDescription(VARIANT child, BSTR* description) {
  if (!description) return E_INVALIDARG;
  *description = nullptr;
  CControlUI* control = nullptr;
  const HRESULT resolved = resolve(child, &control);
  return FAILED(resolved) ? resolved : S_FALSE;
}

HRESULT WindowAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_INVALIDARG;
  VariantInit(role);
  CControlUI* control = nullptr;
  const HRESULT resolved = resolve(child, &control);
  if (FAILED(resolved)) return resolved;
  setChildId(role, control ? accessibleRole(*control) : ROLE_SYSTEM_CLIENT);
  return S_OK;
}

HRESULT WindowAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_INVALIDARG;
  VariantInit(state);
  CControlUI* control = nullptr;
  const HRESULT resolved = resolve(child, &control);
  if (FAILED(resolved)) return resolved;
  if (control) {
    setChildId(state, static_cast<LONG>(accessibleState(*control, control == window_->focusedControl())));
  } else {
    const bool focused = GetFocus() == window_->hwnd() && !window_->focusedControl();
    setChildId(state, static_cast<LONG>(STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0)));
  }
  return S_OK;
}

HRESULT WindowAccessible::get_accHelp(VARIANT child, BSTR* help) { return get_accDescription(child, help); }

HRESULT WindowAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
  if (file) *file = nullptr;
  if (topic) *topic = 0;
  return S_FALSE;
}

HRESULT WindowAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return get_accDescription(child, shortcut);
}

HRESULT WindowAccessible::get_accFocus(VARIANT* child) {
  if (!child) return E_INVALIDARG;
  VariantInit(child);
  if (!window_ || !window_->hwnd()) return RPC_E_DISCONNECTED;
  const LONG id = childIdOf(window_->rootControl(), window_->focusedControl());
  if (id != CHILDID_SELF) {
    setChildId(child, id);
  } else if (GetFocus() == window_->hwnd()) {
    setChildId(child, CHILDID_SELF);
  } else {
    return S_FALSE;
  }
  return S_OK;
}

HRESULT WindowAccessible::get_accSelection(VARIANT* children) {
  if (!children) return E_INVALIDARG;
  VariantInit(children);
  return window_ && window_->hwnd() ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT WindowAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!action) return E_INVALIDARG;
  *action = nullptr;
  CControlUI* control = nullptr;
  const HRESULT resolved = resolve(child, &control);
  if (FAILED(resolved)) return resolved;
  return control ? textResult(accessibleDefaultAction(*control), action) : S_FALSE;
}

HRESULT WindowAccessible::accSelect(long flags, VARIANT child) {
  CControlUI* control = nullptr;
  const HRESULT resolved = resolve(child, &control);
  if (FAILED(resolved)) return resolved;
  if (flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
  if (control && !control->canFocus()) return S_FALSE;
  SetFocus(window_->hwnd());
  window_->setFocusedControl(control);
  return S_OK;
}

HRESULT WindowAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_INVALIDARG;
  *left = *top = *width = *height = 0;
  CControlUI* control = nullptr;
  const HRESULT resolved = resolve(child, &control);
  if (FAILED(resolved)) return resolved;
  RECT area{};
  if (control) {
    area = control->pos();
  } else {
    GetClientRect(window_->hwnd(), &area);
  }
  // Maps a mirrored window's client area too: the rectangle comes back normalised.
  MapWindowPoints(window_->hwnd(), nullptr, reinterpret_cast<POINT*>(&area), 2);
  *left = std::min(area.left, area.right);
  *top = area.top;
  *width = std::abs(area.right - area.left);
  *height = area.bottom - area.top;
  return S_OK;
}

HRESULT WindowAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (!end) return E_INVALIDARG;
  VariantInit(end);
  CControlUI* control = nullptr;
  const HRESULT resolved = resolve(start, &control);
  if (FAILED(resolved)) return resolved;
  const LONG count = static_cast<LONG>(accessibleControls(window_->rootControl()).size());
  LONG target = 0;
  if (!control && direction == NAVDIR_FIRSTCHILD) {
    target = count > 0 ? 1 : 0;
  } else if (!control && direction == NAVDIR_LASTCHILD) {
    target = count;
  } else if (control && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN)) {
    target = start.lVal < count ? start.lVal + 1 : 0;
  } else if (control && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP)) {
    target = start.lVal > 1 ? start.lVal - 1 : 0;
  }
  if (target == 0) return S_FALSE;
  setChildId(end, target);
  return S_OK;
}

HRESULT WindowAccessible::accHitTest(long left, long top, VARIANT* child) {
  if (!child) return E_INVALIDARG;
  VariantInit(child);
  if (!window_ || !window_->hwnd()) return RPC_E_DISCONNECTED;
  POINT point{left, top};
  ScreenToClient(window_->hwnd(), &point);
  RECT client{};
  GetClientRect(window_->hwnd(), &client);
  if (!PtInRect(&client, point)) return S_FALSE;
  CControlUI* root = window_->rootControl();
  for (CControlUI* control = window_->findControlAt(point); control; control = control->parent()) {
    const LONG id = childIdOf(root, control);
    if (id != CHILDID_SELF) {
      setChildId(child, id);
      return S_OK;
    }
  }
  setChildId(child, CHILDID_SELF);
  return S_OK;
}

HRESULT WindowAccessible::accDoDefaultAction(VARIANT child) {
  CControlUI* control = nullptr;
  const HRESULT resolved = resolve(child, &control);
  if (FAILED(resolved)) return resolved;
  if (!control || accessibleDefaultAction(*control).empty()) return DISP_E_MEMBERNOTFOUND;
  // Later, from the window's own loop: the action may open a box with a loop of its own,
  // which must not run inside a screen reader's call.
  return window_->postAccessibleAction(control) ? S_OK : E_FAIL;
}

}  // namespace toolkit
