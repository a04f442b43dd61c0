#pragma once
// A control that owns child controls. The plain container gives every visible child its
// whole area (minus the inset); the box and tab layouts arrange them differently.
#include <memory>
#include <vector>

#include "toolkit/control.h"
#include "toolkit/layout.h"

namespace toolkit {

// The deepest nesting a control tree may have, its root counted as 1. Laying out, painting,
// searching and destroying the tree recurse once per level, so the depth bounds the stack.
constexpr int kMaxNestingDepth = 256;

class CContainerUI : public ControlClass<CContainerUI, CControlUI> {
 public:
  static constexpr wchar_t kClassName[] = L"Container";
  CContainerUI();
  ~CContainerUI() override;

  bool setAttribute(const std::wstring& name, const std::wstring& value) override;

  int getCount() const { return static_cast<int>(children_.size()); }
  CControlUI* getItemAt(int index) const;
  int getItemIndex(const CControlUI* control) const;
  // Takes ownership. add() appends; addAt() inserts before index (clamped to 0..count).
  // Both return the control, or null (and drop it) when it was null or would end deeper
  // than kMaxNestingDepth.
  CControlUI* add(std::unique_ptr<CControlUI> control);
  CControlUI* addAt(std::unique_ptr<CControlUI> control, int index);
  // Destroys the child; false when it is not a child of this container.
  bool remove(CControlUI* control);
  void removeAll();

  const RECT& inset() const { return inset_; }
  void setInset(const RECT& inset);
  int childPadding() const { return childPadding_; }
  void setChildPadding(int padding);

  void setPos(const RECT& pos) override;
  void setHost(ControlHost* host) override;
  CControlUI* findControlAt(POINT pt) override;
  CControlUI* findByName(const std::wstring& name) override;
  void forEach(const std::function<void(CControlUI*)>& visit) override;
  void paint(HDC dc, const RECT& clip) override;

 protected:
  // The children's rectangles for the given area (the container's own, inset taken off).
  virtual std::vector<RECT> arrange(const RECT& area) const;
  std::vector<LayoutItem> layoutItems() const;
  const std::vector<std::unique_ptr<CControlUI>>& children() const { return children_; }
  void relayout();

 private:
  std::vector<std::unique_ptr<CControlUI>> children_;
  RECT inset_{};
  int childPadding_ = 0;
};

}  // namespace toolkit
