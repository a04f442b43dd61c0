#include "ui/message_box.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "skin/language_table.h"
#include "toolkit/container.h"
#include "toolkit/paint/gdi_handle.h"
#include "toolkit/label.h"
#include "toolkit/paint/dpi.h"
#include "toolkit/paint/text_painter.h"
#include "toolkit/paint/text_resolve.h"
#include "ui/button_fit.h"
#include "ui/open_boxes.h"
#include "ui/selection_ui.h"
#include "utility/log.h"

namespace msg {

namespace {

constexpr UINT kRunPending = WM_APP + 0x153;
constexpr const wchar_t* kBoxFont = L"微软雅黑";
// Buttons are as wide as their text and its padding, within these bounds.
constexpr int kMinButtonWidth = 88;
constexpr int kMaxButtonWidth = 200;
constexpr int kButtonTextPadding = 40;
constexpr int kMinTextPadding = 6;

struct IconKinds {
  std::vector<std::wstring> normal;
  std::vector<std::wstring> enlarged;
};

const IconKinds& iconKinds() {
  static const IconKinds kinds = {
      {L"common/msg_noice48.png", L"common/msg_noice48.png", L"common/msg_noice48.png", L"common/msg_ok48.png"},
      {L"commonEnalarge/msg_noice48.png", L"commonEnalarge/msg_noice48.png", L"commonEnalarge/msg_noice48.png",
       L"commonEnalarge/msg_ok48.png"}};
  return kinds;
}

}  // namespace

// The shipped table has no "confirm": its common OK text stands in rather than the raw key.
ButtonSpec confirmButton() {
  std::optional<std::wstring> text = lookupText(L"confirm");
  return ButtonSpec{text ? *text : lookupTextOrKey("sure"), nullptr, true};
}

std::wstring iconPath(int kind) {
  const IconKinds& kinds = iconKinds();
  if (kind < 0 || kind >= static_cast<int>(kinds.normal.size())) return std::wstring();
  return toolkit::enlargedImages() ? kinds.enlarged[kind] : kinds.normal[kind];
}

void setBoxFonts(toolkit::WindowImplBase& box) {
  box.setDefaultFont(kBoxFont, 12);
  for (int id = 0; id < 4; ++id) box.addFont(id, kBoxFont, 12 + 2 * id);
}

MessageBoxWindow::MessageBoxWindow(HWND owner, bool withIcon)
    : owner_(owner), withIcon_(withIcon), alive_(std::make_shared<bool>(true)) {
  if (owner_) EnableWindow(owner_, FALSE);
}

MessageBoxWindow::~MessageBoxWindow() {
  *alive_ = false;
  // Also when the window never existed: the owner must not stay disabled behind a box
  // that is gone.
  enableOwner();
  releaseKey();
}

void MessageBoxWindow::releaseKey() {
  if (!keyed_) return;
  keyed_ = false;
  if (ui::OpenBoxes* boxes = ui::OpenBoxes::of(owner_)) boxes->remove(key_, hwnd());
}

HWND MessageBoxWindow::open() {
  HWND window = create(owner_, L"", kStyle, kExStyle, 0, 0, 0, 0);
  if (!window) {
    delete this;
    return nullptr;
  }
  centerWindow();
  showWindow(true, true);
  return window;
}

std::wstring MessageBoxWindow::getSkinFile() {
  return withIcon_ ? L"common/xml_messagebox.xml" : L"common/xml_messagebox_noicon.xml";
}

void MessageBoxWindow::initWindow() { setBoxFonts(*this); }

void MessageBoxWindow::setIcon(const std::wstring& path) {
  toolkit::CControlUI* icon = findControl(L"msgiconimage");
  if (!path.empty()) {
    if (icon) icon->setBkImage(path);
    return;
  }
  if (icon) icon->setVisible(false);
  if (toolkit::CControlUI* text = findControl(L"descriptlabel")) text->setAttribute(L"width", L"340");
}

void MessageBoxWindow::setTitle(const std::wstring& text) {
  if (toolkit::CControlUI* title = findControl(L"titlelabel")) title->setText(text);
  // The window's own title too: the taskbar, Alt+Tab and screen readers name the box by it.
  if (hwnd()) SetWindowTextW(hwnd(), toolkit::resolveDisplayText(text).c_str());
}

toolkit::CControlUI* MessageBoxWindow::defaultButton() {
  auto* buttons = findControl<toolkit::CContainerUI>(L"bottombar");
  if (!buttons) return nullptr;
  toolkit::CControlUI* first = nullptr;
  for (int i = 0; i < buttons->getCount(); ++i) {
    toolkit::CControlUI* item = buttons->getItemAt(i);
    auto* selection = toolkit::controlAs<CSelectionUI>(item);
    if (!selection) continue;
    if (selection->highlighted()) return item;
    if (!first) first = item;
  }
  return first;
}

void MessageBoxWindow::setMessage(const std::wstring& text) {
  if (toolkit::CControlUI* label = findControl(L"descriptlabel")) {
    label->setAttribute(L"align", L"center");
    label->setAttribute(L"valign", L"vcenter");
    label->setAttribute(L"multiline", L"true");
    label->setText(text);
  }
  if (keyed_ && key_ == text) return;
  releaseKey();
  key_ = text;
  if (ui::OpenBoxes* boxes = ui::OpenBoxes::of(owner_)) keyed_ = boxes->add(key_, hwnd());
}

void MessageBoxWindow::setCloseAction(std::function<void()> action) { closeAction_ = std::move(action); }

void MessageBoxWindow::addButton(const ButtonSpec& button) { insertButton(std::make_unique<CSelectionUI>(button)); }

void MessageBoxWindow::addRemoteButton(const ButtonSpec& button) {
  insertButton(std::make_unique<CSelectionUIRemote>(button));
}

void MessageBoxWindow::insertButton(std::unique_ptr<toolkit::CControlUI> button) {
  auto* bar = findControl<toolkit::CContainerUI>(L"bottombar");
  if (!bar) {
    VEL_LOG(L"the box layout has no bottombar");
    return;
  }
  // As wide as the text needs in the box's font, so that long translations are not cut; a
  // text too long even then gives up some of its padding.
  const int width = ui::fittedButtonWidth(*button, fonts(), kButtonTextPadding, kMinButtonWidth, kMaxButtonWidth);
  button->setFixedWidth(width);
  const int text = ui::fittedButtonWidth(*button, fonts(), 0, 0, kMaxButtonWidth);
  if (text + kButtonTextPadding > width) {
    const int side = std::max(kMinTextPadding, (width - text) / 2);
    button->setAttribute(L"textpadding", std::to_wstring(side) + L",0," + std::to_wstring(side) + L",0");
  }
  bar->addAt(std::move(button), bar->getCount() - 1);
}

void MessageBoxWindow::enableOwner() {
  if (owner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
}

void MessageBoxWindow::runLater(std::function<void()> action, bool thenClose) {
  pending_ = std::move(action);
  pendingClose_ = thenClose;
  if (hwnd()) PostMessageW(hwnd(), kRunPending, 0, 0);
}

void MessageBoxWindow::notify(toolkit::TNotifyUI& msg) {
  if (msg.type == toolkit::notify_type::kClick && msg.sender) {
    if (msg.sender->name() == L"closebtn") {
      enableOwner();
      // The toolkit's default handling closes the box after this (a posted WM_CLOSE), so
      // the close action, posted first, runs before the box goes.
      if (closeAction_) runLater(closeAction_, false);
    } else if (auto* button = toolkit::controlAs<CSelectionUI>(msg.sender)) {
      enableOwner();
      showWindow(false, false);
      runLater(button->action(), true);
    }
  }
  WindowImplBase::notify(msg);
}

LRESULT MessageBoxWindow::messageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (message != kRunPending) return WindowImplBase::messageHandler(message, wParam, lParam, handled);
  handled = true;
  std::function<void()> action = std::move(pending_);
  pending_ = nullptr;
  const bool thenClose = pendingClose_;
  // The action may end the owner and with it this box: afterwards touch nothing of it
  // unless it still lives.
  std::shared_ptr<bool> alive = alive_;
  if (action) action();
  if (*alive && thenClose) close(IDOK);
  return 0;
}

void MessageBoxWindow::onWindowDestroyed() {
  enableOwner();
  releaseKey();
}

HWND showMessageBox(HWND owner, const MessageBoxParams& params, const ButtonSpec* second) {
  ui::OpenBoxes* boxes = ui::OpenBoxes::of(owner);
  if (boxes && boxes->isOpen(params.message)) return nullptr;
  auto* box = new MessageBoxWindow(owner, !params.icon.empty());
  HWND window = box->open();
  if (!window) return nullptr;
  box->setIcon(params.icon);
  box->setTitle(params.title);
  box->setMessage(params.message);
  box->setCloseAction(params.closeAction);
  box->addButton(params.button);
  if (second) box->addButton(*second);
  box->focusDefaultButton();
  return window;
}

HWND showErrorBox(HWND owner, const std::wstring& title, const std::wstring& message) {
  return showMessageBox(owner, MessageBoxParams{iconPath(2), title, message, nullptr, confirmButton()});
}

HWND showOneButtonBox(HWND owner, const std::wstring& title, const std::wstring& message, const ButtonSpec& button) {
  return showMessageBox(owner, MessageBoxParams{iconPath(0), title, message, nullptr, button});
}

HWND showTwoButtonBox(HWND owner, const std::wstring& title, const std::wstring& message, const ButtonSpec& first,
                      const ButtonSpec& second) {
  return showMessageBox(owner, MessageBoxParams{iconPath(0), title, message, nullptr, first}, &second);
}

HWND showAdviceBox(HWND owner, const std::wstring& title, const std::wstring& message, const ButtonSpec& first,
                   const ButtonSpec& second) {
  return showMessageBox(owner, MessageBoxParams{std::wstring(), title, message, nullptr, first}, &second);
}

}  // namespace msg
