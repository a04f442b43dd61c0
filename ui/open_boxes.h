#pragma once
// The boxes open over one window, each under the key of what it is about (a message's
// text, "exit", the download or the install error): at most one box per key. The window the
// boxes belong to owns this object and attaches it to its handle; a box finds it through its
// owner's handle when it opens and again when it goes, so it never holds a pointer that could
// outlive the owner. A box over a window without one is never refused. Window thread only.
#include <windows.h>

#include <map>
#include <string>

#include "core/thread_checker.h"

namespace ui {

class OpenBoxes {
 public:
  // The keys of the installer's own boxes; a message box's key is its message.
  static constexpr const wchar_t* kExitConfirmation = L"box:exit";
  static constexpr const wchar_t* kDownloadError = L"box:download error";
  static constexpr const wchar_t* kInstallError = L"box:install error";

  OpenBoxes() = default;
  ~OpenBoxes() { detach(); }
  OpenBoxes(const OpenBoxes&) = delete;
  OpenBoxes& operator=(const OpenBoxes&) = delete;

  // The boxes over owner are kept here from now on, until detach (at the latest when the
  // owner's window is destroyed: its owned boxes go first).
  void attach(HWND owner);
  void detach();
  // The set attached to owner, or null.
  static OpenBoxes* of(HWND owner);

  // False, and nothing kept, when a box of key is open already.
  bool add(const std::wstring& key, HWND box);
  // Forgets key only while it names this box.
  void remove(const std::wstring& key, HWND box);
  HWND find(const std::wstring& key) const;
  bool isOpen(const std::wstring& key) const { return find(key) != nullptr; }
  bool empty() const { return boxes_.empty(); }
  size_t size() const { return boxes_.size(); }

 private:
  ThreadChecker thread_;
  HWND owner_ = nullptr;
  std::map<std::wstring, HWND> boxes_;
};

}  // namespace ui
