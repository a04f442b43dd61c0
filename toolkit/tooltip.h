#pragma once
// The tooltip of a window: one tool whose rectangle and text follow the hot control.
#include <windows.h>

#include <string>

#include "toolkit/gdi_handles.h"

namespace toolkit {

class ToolTip {
 public:
  ToolTip() = default;
  ToolTip(const ToolTip&) = delete;
  ToolTip& operator=(const ToolTip&) = delete;

  // Shows text over area (client coordinates of owner); an empty text hides the tip.
  void show(HWND owner, const RECT& area, const std::wstring& text);
  void hide();
  void destroy() { window_.reset(); }
  HWND hwnd() const { return window_.get(); }

 private:
  bool ensure(HWND owner);
  UniqueWindow window_;
  HWND owner_ = nullptr;
  std::wstring text_;
};

}  // namespace toolkit
