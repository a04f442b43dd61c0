#include "tests/toolkit/gallery_window.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_WINDOWS_UTF8
#include <stb_image_write.h>

#include "skin/skin_files.h"
#include "toolkit/gdi_handles.h"
#include "toolkit/toolkit.h"
#include "utility/encoding.h"

namespace gallery {

void setUp() {
  toolkit::initialise(GetModuleHandleW(nullptr));
  setResourceFolder(VEL_GALLERY_DIR);
}

GalleryWindow::GalleryWindow(Observer* observer) : observer_(observer) {
  addNotify(L"click", L"textbtn", &GalleryWindow::onTextButton);
}

GalleryWindow::~GalleryWindow() {
  if (observer_) observer_->deleted = true;
}

HWND GalleryWindow::open(int x, int y) {
  HWND window = create(nullptr, L"Gallery", WS_POPUP | WS_CLIPCHILDREN, 0, x, y, 100, 100);
  if (window) {
    showWindow(true, true);
    UpdateWindow(window);
  }
  return window;
}

int GalleryWindow::count(const std::wstring& type, const std::wstring& name) const {
  int found = 0;
  for (const Note& note : notes) found += note.type == type && note.name == name;
  return found;
}

void GalleryWindow::notify(toolkit::TNotifyUI& msg) {
  notes.push_back({msg.type, msg.sender ? msg.sender->name() : std::wstring(), msg.wParam});
  WindowImplBase::notify(msg);
}

void GalleryWindow::onTextButton(toolkit::TNotifyUI&) { ++mappedClicks; }

LRESULT GalleryWindow::messageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled) {
  if (message == WM_TIMER && wParam == timerId) ++timerTicks;
  handled = false;
  return 0;
}

void GalleryWindow::onWindowDestroyed() {
  if (!observer_) return;
  observer_->destroyedHook = true;
  observer_->result = closeResult();
}

bool pump(const std::function<bool()>& done, DWORD timeoutMilliseconds) {
  const DWORD started = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (toolkit::preTranslateMessage(&message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (GetTickCount() - started >= timeoutMilliseconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void pumpFor(DWORD milliseconds) { pump([] { return false; }, milliseconds); }

POINT centreOf(const toolkit::CControlUI* control) {
  const RECT& r = control->pos();
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void click(HWND window, POINT pt) {
  PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

void key(HWND window, WPARAM virtualKey) {
  PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
  PostMessageW(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

uint32_t Shot::rgb(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFFu;
  const uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
  return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
}

Shot capture(HWND window) {
  Shot shot;
  RECT client;
  GetClientRect(window, &client);
  HDC screen = GetDC(window);
  toolkit::MemoryCanvas canvas(screen, client.right, client.bottom);
  ReleaseDC(window, screen);
  if (!canvas.valid() || !PrintWindow(window, canvas.dc(), 0)) return shot;
  GdiFlush();
  shot.width = canvas.width();
  shot.height = canvas.height();
  shot.bgra.assign(canvas.pixels(), canvas.pixels() + static_cast<size_t>(shot.width) * shot.height * 4);
  return shot;
}

bool save(const Shot& shot, const std::wstring& fileName) {
  if (shot.width == 0) return false;
  std::vector<uint8_t> rgba(shot.bgra.size());
  for (size_t i = 0; i < shot.bgra.size(); i += 4) {
    rgba[i] = shot.bgra[i + 2];
    rgba[i + 1] = shot.bgra[i + 1];
    rgba[i + 2] = shot.bgra[i];
    rgba[i + 3] = 255;
  }
  const std::string path = utility::toUtf8(std::wstring(VEL_SCREENS_DIR) + fileName);
  return stbi_write_png(path.c_str(), shot.width, shot.height, 4, rgba.data(), shot.width * 4) != 0;
}

}  // namespace gallery
