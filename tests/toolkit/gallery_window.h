#pragma once
// The gallery window of the toolkit's window tests, screenshots and benchmark, and the
// helpers that drive it with real input messages.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/window_impl_base.h"

namespace gallery {

// Points the skin at the gallery's folder and initialises the toolkit; call before a window.
void setUp();

struct Note {
  std::wstring type;
  std::wstring name;
  WPARAM wParam;
};

// Records every notification, the timer ticks and its own end. "textbtn" clicks also go
// through the notification map to a member handler.
class GalleryWindow : public toolkit::WindowImplBase {
 public:
  struct Observer {
    bool destroyedHook = false;
    bool deleted = false;
    UINT result = 0;
  };
  explicit GalleryWindow(Observer* observer = nullptr);
  ~GalleryWindow() override;

  // A top-level pop-up at (x, y), shown without the system frame.
  HWND open(int x = 0, int y = 0);
  int count(const std::wstring& type, const std::wstring& name) const;

  std::vector<Note> notes;
  // The control Enter presses when no push button has the focus.
  std::wstring defaultName;
  int mappedClicks = 0;
  int timerTicks = 0;
  UINT_PTR timerId = 0;

 protected:
  const wchar_t* getWindowClassName() const override { return L"VelGalleryWindow"; }
  UINT getClassStyle() const override { return CS_DBLCLKS; }
  std::wstring getSkinFile() override { return L"gallery.xml"; }
  void notify(toolkit::TNotifyUI& msg) override;
  LRESULT messageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void onWindowDestroyed() override;
  toolkit::CControlUI* defaultButton() override { return findControl(defaultName); }

 private:
  void onTextButton(toolkit::TNotifyUI& msg);
  Observer* observer_;
};

// Pumps this thread's messages through the toolkit's pre-translation, as the installer's
// message loop does, until done() or the time runs out.
bool pump(const std::function<bool()>& done, DWORD timeoutMilliseconds = 3000);
void pumpFor(DWORD milliseconds);

POINT centreOf(const toolkit::CControlUI* control);
// A left click (button down, then up) posted to the window at a client point.
void click(HWND window, POINT pt);
// A key press posted to a window; the message loop offers it to the pre-translation.
void key(HWND window, WPARAM virtualKey);

// The window as PrintWindow draws it: BGRA rows, top-down.
struct Shot {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgra;
  uint32_t rgb(int x, int y) const;  // 0xRRGGBB
};
Shot capture(HWND window);
// Saved as PNG into the build tree's screenshot folder; false on failure.
bool save(const Shot& shot, const std::wstring& fileName);

}  // namespace gallery
