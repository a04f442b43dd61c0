#pragma once
// The window-message endpoint: a hidden top-level window whose class is a well-known
// identifier. The serving process creates it with a handler; a peer opens it by class name
// and posts plain window messages to it.
#include <windows.h>

#include <string>

namespace utility {

class IWindowIPCHandle {
 public:
  // Called on the thread that created the endpoint, for every message above WM_USER and
  // for WM_COPYDATA. The result is not used.
  virtual int onHandleWindowIPC(unsigned message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  ~IWindowIPCHandle() = default;
};

class WindowIPC {
 public:
  WindowIPC() = default;
  // The serving window is not destroyed here: it lives until its thread or process ends.
  ~WindowIPC();
  WindowIPC(const WindowIPC&) = delete;
  WindowIPC& operator=(const WindowIPC&) = delete;

  // Serving side: registers the class named identifier and creates the hidden window.
  bool create(const std::wstring& identifier, IWindowIPCHandle* handler);
  // Peer side: finds a top-level window; an empty text matches any class or window name.
  bool open(const std::wstring& className, const std::wstring& windowName);
  // Peer side: false when no window was found or posting failed.
  bool post(UINT message, WPARAM wParam, LPARAM lParam);

  HWND window() const { return window_; }

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  IWindowIPCHandle* handler_ = nullptr;
};

}  // namespace utility
