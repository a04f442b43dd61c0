#pragma once
// A text box. While it has the focus a real Win32 edit child sits over its text area, so
// typing, the caret, selection and the clipboard are the system's; otherwise the control
// draws its text itself. Losing the focus (to another control, another window or the Tab
// key) takes the typed text back and sends "killfocus".
#include "toolkit/gdi_handles.h"
#include "toolkit/label.h"

namespace toolkit {

class CEditUI : public ControlClass<CEditUI, CLabelUI> {
 public:
  static constexpr wchar_t kClassName[] = L"Edit";
  CEditUI();
  ~CEditUI() override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;

  // While typing, the text is the edit child's.
  std::wstring getText() const override;
  void setText(const std::wstring& text) override;
  void setNormalImage(const std::wstring& image) { setAndRepaint(normalImage_, image); }
  void setHotImage(const std::wstring& image) { setAndRepaint(hotImage_, image); }
  void setFocusedImage(const std::wstring& image) { setAndRepaint(focusedImage_, image); }
  void setDisabledImage(const std::wstring& image) { setAndRepaint(disabledImage_, image); }
  const std::wstring& normalImage() const { return normalImage_; }
  const std::wstring& hotImage() const { return hotImage_; }
  const std::wstring& focusedImage() const { return focusedImage_; }
  void setMaxChar(int count);
  bool isEditing() const { return editing_; }
  HWND nativeWindow() const { return native_.get(); }

  void setPos(const RECT& pos) override;
  void setHost(ControlHost* host) override;
  void doEvent(UIEvent& event) override;
  bool canFocus() const override { return true; }
  bool isInteractive() const override { return true; }
  void setFocusState(bool focused) override;

  // The window's share of the edit child's messages: its colours, and its loss of focus.
  static CEditUI* fromNative(HWND window);
  HBRUSH nativeBackground(HDC dc);
  void nativeFocusLost();

 protected:
  void paintStatusImage(HDC dc) override;
  void paintText(HDC dc) override;

 private:
  void beginEdit();
  void destroyNative();
  void endEdit();
  RECT nativeRect() const;
  std::wstring normalImage_;
  std::wstring hotImage_;
  std::wstring focusedImage_;
  std::wstring disabledImage_;
  uint32_t nativeBkColor_ = 0xFFFFFFFF;
  UniqueBrush nativeBrush_;
  UniqueWindow native_;
  int maxChar_ = 255;
  bool password_ = false;
  bool readOnly_ = false;
  bool hot_ = false;
  bool editing_ = false;
};

}  // namespace toolkit
