#include "utility/window_ipc.h"

#include "utility/log.h"

namespace utility {

WindowIPC::~WindowIPC() {
  // A window that outlives this object must not call into it any more.
  if (window_ && handler_ && GetWindowLongPtrW(window_, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  }
}

bool WindowIPC::create(const std::wstring& identifier, IWindowIPCHandle* handler) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = &WindowIPC::windowProc;
  windowClass.hInstance = module;
  windowClass.lpszClassName = identifier.c_str();
  // A class left registered by an earlier endpoint of this process is used as it is.
  RegisterClassExW(&windowClass);

  HWND window = CreateWindowExW(0, identifier.c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, module, this);
  if (!window) return false;
  window_ = window;
  handler_ = handler;
  return true;
}

bool WindowIPC::open(const std::wstring& className, const std::wstring& windowName) {
  window_ = FindWindowExW(nullptr, nullptr, className.empty() ? nullptr : className.c_str(),
                          windowName.empty() ? nullptr : windowName.c_str());
  if (window_) return true;
  DWORD error = GetLastError();
  if (error != 0) {
    VEL_LOG(L"className:%s, windowName:%s, error:%d", className.c_str(), windowName.c_str(), static_cast<int>(error));
  }
  return false;
}

bool WindowIPC::post(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window_) return false;
  return PostMessageW(window_, message, wParam, lParam) != FALSE;
}

LRESULT CALLBACK WindowIPC::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTW* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    WindowIPC* endpoint = static_cast<WindowIPC*>(creation->lpCreateParams);
    if (endpoint) endpoint->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(endpoint));
    return DefWindowProcW(window, message, wParam, lParam);
  }
  if (message > WM_USER || message == WM_COPYDATA) {
    WindowIPC* endpoint = reinterpret_cast<WindowIPC*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (endpoint && endpoint->window_ == window && endpoint->handler_) {
      endpoint->handler_->onHandleWindowIPC(message, wParam, lParam);
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace utility
