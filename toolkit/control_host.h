#pragma once
// What a control needs of the window it lives in. A control without a host (built but not
// attached yet, or in a test) keeps its state and simply draws and notifies nothing.
#include <windows.h>

#include <string>

namespace toolkit {

class CControlUI;
class FontTable;

class ControlHost {
 public:
  virtual ~ControlHost() = default;
  virtual HWND hwnd() const = 0;
  virtual const FontTable& fonts() const = 0;
  virtual void invalidate(const RECT& area) = 0;
  // Sizes or visibility changed: lay the whole tree out again before the next paint.
  virtual void needLayout() = 0;
  virtual void sendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0) = 0;
  virtual CControlUI* focusedControl() const = 0;
  // Null takes the focus off every control.
  virtual void setFocusedControl(CControlUI* control) = 0;
  virtual CControlUI* rootControl() const = 0;
  // Laid out right to left, as Windows mirrors a window for a right-to-left language: rows
  // run from the right, texts align right, bars fill from the right.
  virtual bool mirrored() const { return false; }
  // A control's name, state or value changed: screen readers are told (EVENT_OBJECT_*).
  virtual void accessibleChange(CControlUI* control, DWORD winEvent) {}
  // The window's dots per inch; the layouts' pixels are 96-DPI pixels.
  virtual int dpi() const { return 96; }
  // A control leaves the tree (or dies): the host forgets it as hot, pushed or focused.
  virtual void controlRemoved(CControlUI* control) = 0;
};

}  // namespace toolkit
