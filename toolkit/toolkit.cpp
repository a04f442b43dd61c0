#include "toolkit/toolkit.h"

#include <commctrl.h>

#include "toolkit/paint/dpi.h"
#include "toolkit/window_impl_base.h"

namespace toolkit {

namespace {
HINSTANCE g_instance = nullptr;
}

void initialise(HINSTANCE instance) {
  g_instance = instance;
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  detectEnlargedImages();
}

bool isRightToLeftLanguage(const std::wstring& locale) {
  const std::wstring language = locale.substr(0, locale.find(L'_'));
  return language == L"ar" || language == L"fa";
}

HINSTANCE instance() { return g_instance ? g_instance : GetModuleHandleW(nullptr); }

bool preTranslateMessage(MSG* message) {
  if (!message || message->message != WM_KEYDOWN) return false;
  // The key may come to a native child (the edit box): its skinned window is an ancestor.
  for (HWND window = message->hwnd; window; window = GetParent(window)) {
    if (WindowImplBase* owner = WindowImplBase::fromHandle(window)) return owner->preTranslateKey(*message);
    if (!(GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) break;
  }
  return false;
}

}  // namespace toolkit
