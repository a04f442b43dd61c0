#include "toolkit/tooltip.h"

#include <commctrl.h>

#include "toolkit/toolkit.h"

namespace toolkit {

namespace {

TOOLINFOW toolInfo(HWND owner, const RECT& area, const wchar_t* text) {
  TOOLINFOW info = {};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_SUBCLASS;
  info.hwnd = owner;
  info.uId = 1;
  info.rect = area;
  info.hinst = instance();
  info.lpszText = const_cast<wchar_t*>(text);
  return info;
}

}  // namespace

bool ToolTip::ensure(HWND owner) {
  if (window_ && owner_ == owner) return true;
  window_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance(),
                                nullptr));
  owner_ = owner;
  if (!window_) return false;
  TOOLINFOW info = toolInfo(owner, RECT{}, L"");
  SendMessageW(window_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageW(window_.get(), TTM_SETMAXTIPWIDTH, 0, 400);
  return true;
}

void ToolTip::show(HWND owner, const RECT& area, const std::wstring& text) {
  if (text.empty()) {
    hide();
    return;
  }
  if (!ensure(owner)) return;
  text_ = text;
  TOOLINFOW info = toolInfo(owner, area, text_.c_str());
  SendMessageW(window_.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageW(window_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageW(window_.get(), TTM_ACTIVATE, TRUE, 0);
}

void ToolTip::hide() {
  if (window_) SendMessageW(window_.get(), TTM_ACTIVATE, FALSE, 0);
}

}  // namespace toolkit
