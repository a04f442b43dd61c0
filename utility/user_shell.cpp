#include "utility/user_shell.h"

#include <windows.h>
// Before shldisp.h: its ShellExecute method is renamed by the same macro as the call below.
#include <shellapi.h>
#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "utility/com_ptr.h"
#include "utility/log.h"

namespace utility {
namespace user_shell {
namespace {

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(const std::wstring& text) {
    VariantInit(&value_);
    value_.vt = VT_BSTR;
    value_.bstrVal = SysAllocString(text.c_str());
  }
  explicit Variant(int number) {
    VariantInit(&value_);
    value_.vt = VT_I4;
    value_.lVal = number;
  }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT& get() { return value_; }

 private:
  VARIANT value_;
};

class Bstr {
 public:
  explicit Bstr(const std::wstring& text) : value_(SysAllocString(text.c_str())) {}
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }

 private:
  BSTR value_;
};

// The desktop's shell dispatch object, living in the shell's process.
HRESULT desktopShellDispatch(ComPtr<IShellDispatch2>& dispatch) {
  ComPtr<IShellWindows> windows;
  HRESULT result = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, windows.receive());
  if (FAILED(result)) return result;
  Variant location(CSIDL_DESKTOP);
  Variant empty;
  long window = 0;
  ComPtr<IDispatch> desktop;
  result = windows->FindWindowSW(&location.get(), &empty.get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                 reinterpret_cast<IDispatch**>(desktop.receive()));
  if (result != S_OK || !desktop) return FAILED(result) ? result : E_FAIL;
  ComPtr<IServiceProvider> services;
  result = desktop->QueryInterface(IID_IServiceProvider, services.receive());
  if (FAILED(result)) return result;
  ComPtr<IShellBrowser> browser;
  result = services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.receive());
  if (FAILED(result)) return result;
  ComPtr<IShellView> view;
  result = browser->QueryActiveShellView(reinterpret_cast<IShellView**>(view.receive()));
  if (FAILED(result) || !view) return FAILED(result) ? result : E_FAIL;
  ComPtr<IDispatch> background;
  result = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.receive());
  if (FAILED(result)) return result;
  ComPtr<IShellFolderViewDual> folderView;
  result = background->QueryInterface(IID_IShellFolderViewDual, folderView.receive());
  if (FAILED(result)) return result;
  ComPtr<IDispatch> application;
  result = folderView->get_Application(reinterpret_cast<IDispatch**>(application.receive()));
  if (FAILED(result) || !application) return FAILED(result) ? result : E_FAIL;
  return application->QueryInterface(IID_IShellDispatch2, dispatch.receive());
}

}  // namespace

bool shellExecute(const std::wstring& file, const std::wstring& parameters, bool show) {
  ComPtr<IShellDispatch2> dispatch;
  HRESULT result = desktopShellDispatch(dispatch);
  if (SUCCEEDED(result)) {
    Bstr target(file);
    Variant arguments(parameters), directory, operation(std::wstring(L"open")), showCommand(show ? SW_SHOWNORMAL : SW_HIDE);
    result = dispatch->ShellExecute(target.get(), arguments.get(), directory.get(), operation.get(), showCommand.get());
  }
  if (FAILED(result)) {
    VEL_LOG(L"user shell start failed 0x%08x: %s", static_cast<unsigned>(result), file.c_str());
    return false;
  }
  VEL_LOG(L"user shell start: %s", file.c_str());
  return true;
}

}  // namespace user_shell
}  // namespace utility
