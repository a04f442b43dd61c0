#pragma once
// The base of every control: a named rectangle of the window with text, colours, a font,
// a background image and user data, whose attributes can be set by name at run time.
// Controls live on the window thread, like the window that owns them.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>

#include "toolkit/control_host.h"

namespace toolkit {

class CContainerUI;
struct TextStyle;

// Mouse, keyboard and focus events the window routes to a control.
struct UIEvent {
  enum Type { kMouseEnter, kMouseLeave, kMouseMove, kButtonDown, kButtonUp, kDoubleClick, kWheel, kKeyDown, kSetFocus, kKillFocus };
  Type type = kMouseMove;
  POINT pt{};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class CControlUI {
 public:
  CControlUI();
  virtual ~CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  // The class name ("Control", "Button", ...) and the interface query by name: a control
  // answers its own class name and those of its bases with itself, null otherwise. Classes
  // derive through ControlClass for both; controlAs is the typed query.
  virtual const wchar_t* getClass() const;
  virtual void* getInterface(const std::wstring& name);

  // Applies one attribute as the layouts write it; false when the name is unknown or the
  // value does not parse, in which case nothing changes.
  virtual bool setAttribute(const std::wstring& name, const std::wstring& value);

  const std::wstring& name() const { return name_; }
  void setName(const std::wstring& name) { name_ = name; }
  // The text as stored ("@key" stays "@key"); displayText() resolves it for drawing.
  const std::wstring& text() const { return text_; }
  virtual std::wstring getText() const { return text_; }
  virtual void setText(const std::wstring& text);
  std::wstring displayText() const;
  const std::wstring& toolTip() const { return toolTip_; }
  void setToolTip(const std::wstring& text) { toolTip_ = text; }
  const std::wstring& userData() const { return userData_; }
  void setUserData(const std::wstring& data) { userData_ = data; }
  // What the control is to a screen reader where its class does not tell: "link" for a
  // button that opens a page or a document.
  const std::wstring& role() const { return role_; }
  void setRole(const std::wstring& role) { role_ = role; }
  UINT_PTR tag() const { return tag_; }
  void setTag(UINT_PTR tag) { tag_ = tag; }

  bool isVisible() const { return visible_; }
  virtual void setVisible(bool visible);
  // Visible with every ancestor.
  bool isReallyVisible() const;
  bool isEnabled() const { return enabled_; }
  virtual void setEnabled(bool enabled);
  bool isFocused() const { return focused_; }

  uint32_t textColor() const { return textColor_; }
  void setTextColor(uint32_t argb) { setAndRepaint(textColor_, argb); }
  uint32_t disabledTextColor() const { return disabledTextColor_; }
  void setDisabledTextColor(uint32_t argb) { setAndRepaint(disabledTextColor_, argb); }
  uint32_t bkColor() const { return bkColor_; }
  void setBkColor(uint32_t argb) { setAndRepaint(bkColor_, argb); }
  const std::wstring& bkImage() const { return bkImage_; }
  void setBkImage(const std::wstring& image);
  int font() const { return font_; }
  void setFont(int id) { setAndRepaint(font_, id); }

  // Fixed size; 0 means the layout decides.
  int fixedWidth() const { return width_; }
  int fixedHeight() const { return height_; }
  void setFixedWidth(int width);
  void setFixedHeight(int height);
  const RECT& padding() const { return padding_; }
  void setPadding(const RECT& padding);

  const RECT& pos() const { return pos_; }
  virtual void setPos(const RECT& pos);

  // The host window's DPI (96 without a host). Sizes, paddings and insets are kept in 96-DPI
  // pixels as the layouts write them; the layout and the painting scale them with scaled().
  int dpi() const { return host_ ? host_->dpi() : 96; }
  int scaled(int pixels) const;
  RECT scaled(const RECT& pixels) const;

  CContainerUI* parent() const { return parent_; }
  void setParent(CContainerUI* parent) { parent_ = parent; }
  ControlHost* host() const { return host_; }
  virtual void setHost(ControlHost* host);

  // The deepest visible control under the point (disabled ones included: they swallow the
  // mouse without reacting).
  virtual CControlUI* findControlAt(POINT pt);
  virtual CControlUI* findByName(const std::wstring& name);
  // This control, then its descendants, in tree order.
  virtual void forEach(const std::function<void(CControlUI*)>& visit);

  virtual void paint(HDC dc, const RECT& clip);
  virtual void doEvent(UIEvent& event);
  // Tab stops: buttons, options, edits, combos and the rich edit.
  virtual bool canFocus() const { return false; }
  // Reacts to the mouse: such a control is never part of the window's drag area.
  virtual bool isInteractive() const { return false; }
  // Enter or Space on the focused control.
  virtual void activate() {}
  // Called by the host when the focus arrives or leaves.
  virtual void setFocusState(bool focused);

 protected:
  void invalidate();
  // Stores a value the control's look depends on and repaints it.
  template <class T>
  void setAndRepaint(T& member, const T& value) {
    member = value;
    invalidate();
  }
  // An ARGB attribute value into member, repainted; false (and no change) when it does not parse.
  bool setColorAttribute(uint32_t& member, const std::wstring& value);
  void needLayout();
  void notifyHost(const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0);
  // Tells screen readers that this control's name, state or value changed (EVENT_OBJECT_*).
  void announce(DWORD winEvent);
  // The text style for this control's current state: its font, a colour and DT_ flags.
  TextStyle textStyle(uint32_t color, UINT format, bool markup) const;
  uint32_t effectiveTextColor() const;

  virtual void paintBkColor(HDC dc);
  virtual void paintBkImage(HDC dc);
  virtual void paintStatusImage(HDC dc) {}
  virtual void paintText(HDC dc) {}
  virtual void paintBorder(HDC dc);

 private:
  ControlHost* host_ = nullptr;
  CContainerUI* parent_ = nullptr;
  std::wstring name_;
  std::wstring text_;
  std::wstring toolTip_;
  std::wstring userData_;
  std::wstring role_;
  UINT_PTR tag_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  bool focused_ = false;
  uint32_t textColor_ = 0xFF000000;
  uint32_t disabledTextColor_ = 0xFFA7A6AA;
  uint32_t bkColor_ = 0;
  uint32_t borderColor_ = 0;
  int borderSize_ = 0;
  std::wstring bkImage_;
  int font_ = -1;
  int width_ = 0;
  int height_ = 0;
  RECT padding_{};
  RECT pos_{};
};

// The base a control class derives through to name itself: Self declares
// `static constexpr wchar_t kClassName[]`, and this answers getClass with it and the
// interface query for it with Self, the names of Base's classes through Base.
template <class Self, class Base>
class ControlClass : public Base {
 public:
  using ClassType = Self;
  const wchar_t* getClass() const override { return Self::kClassName; }
  void* getInterface(const std::wstring& name) override {
    if (name == Self::kClassName) return static_cast<Self*>(this);
    return Base::getInterface(name);
  }
};

// The control as a T (T's own class or one derived from it); null when it is none or null.
template <class T>
T* controlAs(CControlUI* control) {
  // A class that does not name itself would answer as its base does.
  static_assert(std::is_same<typename T::ClassType, T>::value, "T must derive through ControlClass<T, Base>");
  return control ? static_cast<T*>(control->getInterface(T::kClassName)) : nullptr;
}

// Draws an image attribute, resolving nothing: the attribute names the skin file itself.
// dpi is the window's (see drawImage).
bool paintImageAttribute(HDC dc, const RECT& dest, const std::wstring& attribute, int dpi = 96);
// Fills with an ARGB colour; a colour with alpha 0 draws nothing, a partial alpha blends.
void fillColor(HDC dc, const RECT& area, uint32_t argb);

}  // namespace toolkit
