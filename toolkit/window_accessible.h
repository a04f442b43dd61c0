#pragma once
// The accessibility object of a skinned window (MSAA): the window's client area, whose
// children are the controls a screen reader is shown (toolkit/accessible_role.h), numbered
// from 1 in tree order. The window hands it out on WM_GETOBJECT and disconnects it when it is
// destroyed; a screen reader that still holds it then gets errors, never a dead window.
// Calls arrive on the window thread: COM brings another process's calls there.
#include <windows.h>
#include <oleacc.h>

namespace toolkit {

class CControlUI;
class WindowImplBase;

// MinGW-w64's IID_IAccessible from its import library resolves to an import thunk, not the
// GUID, so the interface id is spelled out here.
extern const IID kAccessibleInterfaceId;

class WindowAccessible final : public IAccessible {
 public:
  explicit WindowAccessible(WindowImplBase* window);
  WindowAccessible(const WindowAccessible&) = delete;
  WindowAccessible& operator=(const WindowAccessible&) = delete;

  // The window is going: every call fails from now on, and remote holders are let go.
  void disconnect();
  // 1-based; CHILDID_SELF for a control a screen reader does not see.
  static LONG childIdOf(CControlUI* root, CControlUI* control);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: not offered (clients use the IAccessible methods directly).
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~WindowAccessible() = default;
  // Resolves a child id: S_OK with *control (null for the window itself), or the error.
  HRESULT resolve(const VARIANT& child, CControlUI** control) const;

  LONG references_ = 1;
  WindowImplBase* window_;
};

}  // namespace toolkit
