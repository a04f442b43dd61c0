#pragma once
// The generic skinned message box: icon, title, text and any number of buttons, each button
// carrying its own action. The installer never uses the system message box; every question
// goes through the builders below. Window thread only: nothing here is locked.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "toolkit/window_impl_base.h"

namespace msg {

// One button of a box. The action may be empty: such a button only closes its box.
struct ButtonSpec {
  std::wstring text;
  std::function<void()> action;
  bool highlighted = false;
};

// The standard confirmation button: text of key "confirm" (of "sure" when the table has no
// "confirm"), no action, highlighted.
ButtonSpec confirmButton();

// One box: icon path (empty: no icon), title, message, close action and the first button.
struct MessageBoxParams {
  std::wstring icon;
  std::wstring title;
  std::wstring message;
  std::function<void()> closeAction;
  ButtonSpec button;
};

// Icon kinds 0 to 2: the notice icon, 3: the success icon; the enlarged images when the
// toolkit uses them. Any other kind gives an empty path.
std::wstring iconPath(int kind);

// The fonts every box draws with.
void setBoxFonts(toolkit::WindowImplBase& box);

class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  virtual void setIcon(const std::wstring& path) = 0;
  virtual void setTitle(const std::wstring& text) = 0;
  virtual void setMessage(const std::wstring& text) = 0;
  virtual void setCloseAction(std::function<void()> action) = 0;
  virtual void addButton(const ButtonSpec& button) = 0;
  virtual void addRemoteButton(const ButtonSpec& button) = 0;
};

class MessageBoxWindow : public toolkit::WindowImplBase, public IMessageBox {
 public:
  // Disables the owner: it stays disabled until a button, the close button or the end of
  // the box enables it again.
  MessageBoxWindow(HWND owner, bool withIcon);
  ~MessageBoxWindow() override;

  // Creates the window over its owner, centred, shown and activated; null on failure (the
  // object is then already deleted and the owner enabled again).
  HWND open();

  void setIcon(const std::wstring& path) override;
  void setTitle(const std::wstring& text) override;
  void setMessage(const std::wstring& text) override;
  void setCloseAction(std::function<void()> action) override;
  void addButton(const ButtonSpec& button) override;
  void addRemoteButton(const ButtonSpec& button) override;
  // The highlighted button, else the first.
  toolkit::CControlUI* defaultButton() override;

  HWND owner() const { return owner_; }
  const std::wstring& key() const { return key_; }

  static constexpr DWORD kStyle = 0x80880000;  // WS_POPUP | WS_BORDER | WS_SYSMENU
  static constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;

 protected:
  const wchar_t* getWindowClassName() const override { return L"MessageBoxWindow"; }
  UINT getClassStyle() const override { return CS_HREDRAW | CS_VREDRAW; }
  std::wstring getSkinFile() override;
  void initWindow() override;
  void notify(toolkit::TNotifyUI& msg) override;
  LRESULT messageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void onWindowDestroyed() override;

 private:
  void enableOwner();
  // The box's key (its message) in its owner's open boxes (ui/open_boxes.h).
  void releaseKey();
  void insertButton(std::unique_ptr<toolkit::CControlUI> button);
  // Runs an action from the box's own message rather than from inside the click: an action
  // may destroy the owner, and the box with it, which must not happen under the toolkit's
  // feet while it is still delivering the click.
  void runLater(std::function<void()> action, bool thenClose);

  HWND owner_;
  bool withIcon_;
  std::wstring key_;
  bool keyed_ = false;  // key_ is held in the owner's open boxes
  std::function<void()> closeAction_;
  std::function<void()> pending_;
  bool pendingClose_ = false;
  std::shared_ptr<bool> alive_;
};

// The builders; owner is the main window. Each returns the box's window, or null when a box
// with the same message is open over owner already or the window could not be made.
HWND showMessageBox(HWND owner, const MessageBoxParams& params, const ButtonSpec* second = nullptr);
// Notice icon, one "confirm" button.
HWND showErrorBox(HWND owner, const std::wstring& title, const std::wstring& message);
HWND showOneButtonBox(HWND owner, const std::wstring& title, const std::wstring& message, const ButtonSpec& button);
HWND showTwoButtonBox(HWND owner, const std::wstring& title, const std::wstring& message, const ButtonSpec& first,
                      const ButtonSpec& second);
// No icon: the text takes the icon's room.
HWND showAdviceBox(HWND owner, const std::wstring& title, const std::wstring& message, const ButtonSpec& first,
                   const ButtonSpec& second);

}  // namespace msg
