#pragma once
// A drop-down choice: items with a text and user data. A click opens the drop list (a
// pop-up owned by the window); choosing an item there, or Up and Down while the combo has
// the focus, selects it and sends "itemselect" (wParam: new index, lParam: old index).
#include <memory>
#include <vector>

#include "toolkit/button.h"

namespace toolkit {

class ComboDropWindow;

struct ComboItem {
  std::wstring text;
  std::wstring userData;
};

class CComboUI : public ControlClass<CComboUI, CButtonUI> {
 public:
  static constexpr wchar_t kClassName[] = L"Combo";
  CComboUI();
  ~CComboUI() override;
  bool setAttribute(const std::wstring& name, const std::wstring& value) override;

  int addItem(const std::wstring& text, const std::wstring& userData);
  void removeAllItems();
  int getItemCount() const { return static_cast<int>(items_.size()); }
  // Null for an index out of range.
  const ComboItem* getItemAt(int index) const;
  int getCurSel() const { return selected_; }
  // False for an index out of range; a change sends "itemselect" when notify is set.
  bool selectItem(int index, bool notify = true);
  // The combo shows its selected item's text (its own text when none is selected).
  std::wstring getText() const override;

  int itemHeight() const { return scaled(itemHeight_); }
  uint32_t dropBkColor() const { return dropBkColor_; }
  uint32_t itemHotBkColor() const { return itemHotBkColor_; }

  void doEvent(UIEvent& event) override;
  void activate() override;
  void setVisible(bool visible) override;
  void setEnabled(bool enabled) override;

  bool isDropOpen() const { return drop_ != nullptr; }
  HWND dropWindow() const;
  void closeDrop();

 private:
  void openDrop();
  std::vector<ComboItem> items_;
  int selected_ = -1;
  int pendingSelection_ = -1;  // "selectedid" of the layout, applied when the item arrives
  int itemHeight_ = 24;
  uint32_t dropBkColor_ = 0xFFFFFFFF;
  uint32_t itemHotBkColor_ = 0xFFE5F1FB;
  std::unique_ptr<ComboDropWindow> drop_;
};

}  // namespace toolkit
