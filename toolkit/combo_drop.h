#pragma once
// The drop list of a combo: a pop-up below it that lists the items. A click on an item
// selects it; a click elsewhere (the pop-up loses activation) or Esc closes the list.
// Owned by its combo; the window thread only.
#include <windows.h>

#include "toolkit/gdi_handles.h"

namespace toolkit {

class CComboUI;

class ComboDropWindow {
 public:
  explicit ComboDropWindow(CComboUI* combo);
  ~ComboDropWindow();
  ComboDropWindow(const ComboDropWindow&) = delete;
  ComboDropWindow& operator=(const ComboDropWindow&) = delete;

  bool open();
  HWND hwnd() const { return window_.get(); }
  // The item under a point of the pop-up's client area, or -1.
  int itemAt(POINT pt) const;

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void paint(HDC dc, const RECT& client);
  CComboUI* combo_;
  UniqueWindow window_;
  int hot_ = -1;
};

}  // namespace toolkit
