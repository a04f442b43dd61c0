#pragma once
// Notifications: what a control tells its window (a click, a changed selection, ...).
#include <windows.h>

#include <string>

namespace toolkit {

class CControlUI;

// The notification types the controls send.
namespace notify_type {
constexpr const wchar_t* kClick = L"click";
constexpr const wchar_t* kKillFocus = L"killfocus";
constexpr const wchar_t* kSelectChanged = L"selectchanged";
constexpr const wchar_t* kItemSelect = L"itemselect";
}  // namespace notify_type

struct TNotifyUI {
  std::wstring type;
  CControlUI* sender = nullptr;
  DWORD timestamp = 0;
  POINT ptMouse{};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// Receives every notification of a window's controls, on the window thread.
class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void notify(TNotifyUI& msg) = 0;
};

}  // namespace toolkit
