// A window that stands where the installer's main window will stand, for the harness's own
// test: a top-level "cmainframe" window of another process, 400 x 300, filled with one colour.
// Each left click is recorded as "x y" (client coordinates) in the file given as the first
// argument; a click into the 20 x 20 square at the top left closes the window, and the
// program then ends with code 0.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring g_record;

void record(int x, int y) {
  std::string line = std::to_string(x) + " " + std::to_string(y) + "\n";
  HANDLE file = CreateFileW(g_record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONUP: {
      int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
      if (!g_record.empty()) record(x, y);
      if (x < 20 && y < 20) DestroyWindow(window);
      return 0;
    }
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      HBRUSH brush = CreateSolidBrush(RGB(0x26, 0x8F, 0xD6));
      FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
      DeleteObject(brush);
      return 1;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args && count > 1) g_record = args[1];
  LocalFree(args);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = L"cmainframe";
  if (!RegisterClassW(&windowClass)) return 2;
  HWND window = CreateWindowExW(0, L"cmainframe", L"probe", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 3;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
