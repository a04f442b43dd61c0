#pragma once
// The base of every skinned window. A subclass names its window class, class style and
// layout file; the base registers the class, builds the controls from the layout (read
// through getSkinFile), paints them double-buffered, routes the mouse and the keyboard to
// them, drags the window by its caption area, and calls the hooks:
//   initWindow        once the controls exist (WM_CREATE), to set fonts and texts;
//   messageHandler    every message before the toolkit handles it (WM_TIMER among them);
//   onWindowDestroyed on WM_DESTROY, while the controls still exist;
//   onFinalMessage    after the last message; by default the object deletes itself, so
//                     windows are made with new and never deleted by their creator.
// Notifications go through the window's notification map first, then to the toolkit's
// default handling (the close button closes, the minimise button minimises).
// Window thread only: the thread that makes the object creates the window, handles its
// messages and reaches its controls (checked).
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/thread_checker.h"
#include "toolkit/builder_callback.h"
#include "toolkit/control.h"
#include "toolkit/control_host.h"
#include "toolkit/gdi_handles.h"
#include "toolkit/message_filter.h"
#include "toolkit/notify.h"
#include "toolkit/notify_pump.h"
#include "toolkit/paint/font_table.h"
#include "toolkit/tooltip.h"
#include "toolkit/window_accessible.h"

namespace toolkit {

class WindowImplBase : public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       public ControlHost {
 public:
  WindowImplBase();
  ~WindowImplBase() override;

  // The toolkit window behind a handle, or null.
  static WindowImplBase* fromHandle(HWND window);

  // Registers the class on first use and creates the window; null on failure. The layout's
  // size, when it has one, replaces cx and cy.
  HWND create(HWND owner, const std::wstring& title, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
              int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT);
  HWND hwnd() const override { return hwnd_; }
  void showWindow(bool show = true, bool takeFocus = true);
  // Centres on the owner when it is visible, else on the work area of the window's screen.
  void centerWindow();
  // Closes the window later (WM_CLOSE): the result stays readable until the final message.
  void close(UINT result = IDOK);
  UINT closeResult() const { return closeResult_; }
  // WM_TIMER with this id then reaches messageHandler.
  bool setTimer(UINT_PTR id, UINT milliseconds);
  void killTimer(UINT_PTR id);

  CControlUI* findControl(const std::wstring& name) const;
  // The named control as a T; null when there is none or it is not a T.
  template <class T>
  T* findControl(const std::wstring& name) const {
    return controlAs<T>(findControl(name));
  }
  CControlUI* findControlAt(POINT clientPoint);
  CControlUI* rootControl() const override { return root_.get(); }
  // Mirrored when the window is made while a right-to-left language (Arabic, Persian) is
  // the UI language.
  bool mirrored() const override { return mirrored_; }
  // The window's DPI: taken when it is made and followed through WM_DPICHANGED. The layout's
  // sizes, the fonts, the corners, the caption and the focus ring scale with it.
  int dpi() const override { return dpi_; }
  // The drag area as the layout gives it, in 96-DPI pixels.
  const RECT& captionRect() const { return caption_; }
  void setCaptionRect(const RECT& caption) { caption_ = caption; }

  // Fonts, usually set in initWindow; "font" attributes refer to the ids.
  void setDefaultFont(const std::wstring& face, int size, bool bold = false, bool underline = false, bool italic = false);
  void addFont(int id, const std::wstring& face, int size, bool bold = false, bool underline = false,
               bool italic = false);
  const FontTable& fonts() const override { return fonts_; }

  // Other objects may see the window's messages before the toolkit (after the window itself).
  void addMessageFilter(IMessageFilterUI* filter);
  void removeMessageFilter(IMessageFilterUI* filter);

  CControlUI* focusedControl() const override { return focused_; }
  void setFocusedControl(CControlUI* control) override;
  // Tab order: the next (or previous) enabled, visible control that takes the focus.
  void focusNext(bool forward);
  // Puts the focus on the default button when no control has it: the page's main action,
  // or a box's default answer. Done when the window is shown; windows whose default button
  // appears later (a new page, buttons added after showing) call it again.
  void focusDefaultButton();
  // The button Enter presses when the focus is on no push button; null when there is none.
  virtual CControlUI* defaultButton() { return nullptr; }
  // Whether the focus ring is drawn: from the first use of the keyboard in the window on
  // (or always, when the system is set to show keyboard cues), as Windows does.
  bool focusCuesShown() const { return focusCues_; }

  // A screen reader's "default action" on a control, run from the window's own loop.
  bool postAccessibleAction(CControlUI* control);

  // The keyboard share of the message loop (see toolkit::preTranslateMessage).
  bool preTranslateKey(const MSG& message);
  // Paints the whole client area into dc, as WM_PAINT does into its back buffer.
  void paintTo(HDC dc);

  // ControlHost
  void invalidate(const RECT& area) override;
  void needLayout() override;
  void sendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0) override;
  void controlRemoved(CControlUI* control) override;
  void accessibleChange(CControlUI* control, DWORD winEvent) override;

  // INotifyUI: the notification map, then onDefaultNotify when no entry took it.
  void notify(TNotifyUI& msg) override;
  // IMessageFilterUI: the window's own message handler; the default handles nothing.
  LRESULT messageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  // IDialogBuilderCallback: no custom controls by default.
  CControlUI* createControl(const std::wstring& tag) override { return nullptr; }

 protected:
  virtual const wchar_t* getWindowClassName() const = 0;
  virtual UINT getClassStyle() const { return CS_HREDRAW | CS_VREDRAW; }
  virtual std::wstring getSkinFile() = 0;
  // The control whose click Esc stands for.
  virtual std::wstring closeButtonName() const { return L"closebtn"; }

  virtual void initWindow() {}
  virtual void onWindowDestroyed() {}
  virtual void onFinalMessage(HWND window);
  virtual void onDefaultNotify(TNotifyUI& msg);
  // Esc: a click of the close button when it is there, visible and enabled; without such a
  // control the window closes with IDCANCEL.
  virtual void onEscape();
  // The toolkit's handling of a message the filters left alone.
  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT route(UINT message, WPARAM wParam, LPARAM lParam);
  bool registerClass();
  void buildControls();
  void ensureLayout();
  void updateRegion();
  void paintWindow();
  void onMouseMove(POINT pt);
  void onButtonDown(POINT pt, bool doubleClick);
  void onButtonUp(POINT pt);
  void setHot(CControlUI* control);
  LRESULT hitTest(POINT screenPoint);
  void showFocusCues();
  void invalidateFocusRing(CControlUI* control);
  void paintFocusRing(HDC dc);
  LRESULT answerObjectRequest(WPARAM wParam, LPARAM lParam);
  void releaseAccessible();
  void onDpiChanged(int dpi, const RECT& suggested);

  ThreadChecker thread_;
  HWND hwnd_ = nullptr;
  UINT closeResult_ = 0;
  RECT caption_{};
  SIZE roundCorner_{};
  uint32_t bkColor_ = 0xFFFFFFFF;
  bool layoutPending_ = true;
  bool trackingLeave_ = false;
  bool destroying_ = false;
  bool focusCues_ = false;
  bool mirrored_ = false;
  int dpi_ = 96;
  POINT lastMouse_{};
  FontTable fonts_;
  std::vector<IMessageFilterUI*> filters_;
  CControlUI* hot_ = nullptr;
  CControlUI* captured_ = nullptr;
  CControlUI* focused_ = nullptr;
  ToolTip toolTip_;
  std::unique_ptr<CControlUI> root_;
  // Made on the first WM_GETOBJECT, disconnected with the window.
  WindowAccessible* accessible_ = nullptr;
};

}  // namespace toolkit
