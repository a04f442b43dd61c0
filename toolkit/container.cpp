#include "toolkit/container.h"

#include <algorithm>

#include "toolkit/paint/attribute_parse.h"
#include "utility/log.h"

namespace toolkit {

namespace {

// Levels from control down to its deepest descendant, control counted as 1.
int heightOf(CControlUI* control) {
  int height = 0;
  std::vector<std::pair<CControlUI*, int>> pending{{control, 1}};
  while (!pending.empty()) {
    const auto [at, level] = pending.back();
    pending.pop_back();
    height = std::max(height, level);
    if (auto* container = controlAs<CContainerUI>(at)) {
      for (int i = 0; i < container->getCount(); ++i) pending.emplace_back(container->getItemAt(i), level + 1);
    }
  }
  return height;
}

// Levels from the root down to control, control counted.
int depthOf(const CControlUI* control) {
  int depth = 0;
  for (; control; control = control->parent()) ++depth;
  return depth;
}

}  // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() { removeAll(); }

bool CContainerUI::setAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"inset") {
    RECT inset;
    if (!parseRect(value, &inset)) return false;
    setInset(inset);
    return true;
  }
  if (name == L"childpadding") {
    int padding = 0;
    if (!parseInt(value, &padding) || padding < 0) return false;
    setChildPadding(padding);
    return true;
  }
  return CControlUI::setAttribute(name, value);
}

CControlUI* CContainerUI::getItemAt(int index) const {
  if (index < 0 || index >= getCount()) return nullptr;
  return children_[static_cast<size_t>(index)].get();
}

int CContainerUI::getItemIndex(const CControlUI* control) const {
  for (size_t i = 0; i < children_.size(); ++i) {
    if (children_[i].get() == control) return static_cast<int>(i);
  }
  return -1;
}

CControlUI* CContainerUI::add(std::unique_ptr<CControlUI> control) { return addAt(std::move(control), getCount()); }

CControlUI* CContainerUI::addAt(std::unique_ptr<CControlUI> control, int index) {
  if (!control) return nullptr;
  if (depthOf(this) + heightOf(control.get()) > kMaxNestingDepth) {
    VEL_LOG(L"control %s nested deeper than %d levels refused", control->name().c_str(), kMaxNestingDepth);
    return nullptr;
  }
  index = std::max(0, std::min(index, getCount()));
  CControlUI* raw = control.get();
  raw->setParent(this);
  raw->setHost(host());
  children_.insert(children_.begin() + index, std::move(control));
  needLayout();
  return raw;
}

bool CContainerUI::remove(CControlUI* control) {
  for (auto it = children_.begin(); it != children_.end(); ++it) {
    if (it->get() != control) continue;
    // Detach before destroying, so that the host forgets the whole subtree first.
    std::unique_ptr<CControlUI> removed = std::move(*it);
    children_.erase(it);
    if (host()) removed->forEach([this](CControlUI* c) { host()->controlRemoved(c); });
    removed.reset();
    needLayout();
    return true;
  }
  return false;
}

void CContainerUI::removeAll() {
  std::vector<std::unique_ptr<CControlUI>> removed;
  removed.swap(children_);
  if (host()) {
    for (auto& child : removed) child->forEach([this](CControlUI* c) { host()->controlRemoved(c); });
  }
  removed.clear();
  needLayout();
}

void CContainerUI::setInset(const RECT& inset) {
  inset_ = inset;
  needLayout();
}

void CContainerUI::setChildPadding(int padding) {
  childPadding_ = padding;
  needLayout();
}

void CContainerUI::setPos(const RECT& pos) {
  CControlUI::setPos(pos);
  relayout();
}

void CContainerUI::relayout() {
  std::vector<RECT> rects = arrange(deflate(pos(), scaled(inset_)));
  if (host() && host()->mirrored()) {
    // Reflected in this container's own box: the first child of a row ends up rightmost,
    // and insets and paddings change sides with it.
    const LONG axis = pos().left + pos().right;
    for (RECT& rect : rects) rect = RECT{axis - rect.right, rect.top, axis - rect.left, rect.bottom};
  }
  for (size_t i = 0; i < children_.size() && i < rects.size(); ++i) children_[i]->setPos(rects[i]);
}

std::vector<LayoutItem> CContainerUI::layoutItems() const {
  std::vector<LayoutItem> items;
  items.reserve(children_.size());
  for (const auto& child : children_) {
    items.push_back({child->isVisible(), scaled(child->fixedWidth()), scaled(child->fixedHeight()),
                     scaled(child->padding())});
  }
  return items;
}

std::vector<RECT> CContainerUI::arrange(const RECT& area) const {
  std::vector<RECT> rects;
  rects.reserve(children_.size());
  for (const auto& child : children_) {
    RECT rect = deflate(area, scaled(child->padding()));
    if (child->fixedWidth() > 0) rect.right = std::min<LONG>(rect.right, rect.left + scaled(child->fixedWidth()));
    if (child->fixedHeight() > 0) rect.bottom = std::min<LONG>(rect.bottom, rect.top + scaled(child->fixedHeight()));
    rects.push_back(rect);
  }
  return rects;
}

void CContainerUI::setHost(ControlHost* host) {
  CControlUI::setHost(host);
  for (auto& child : children_) child->setHost(host);
}

CControlUI* CContainerUI::findControlAt(POINT pt) {
  if (!isVisible() || !PtInRect(&pos(), pt)) return nullptr;
  // Later children are drawn on top: they are asked first.
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    if (CControlUI* found = (*it)->findControlAt(pt)) return found;
  }
  return this;
}

CControlUI* CContainerUI::findByName(const std::wstring& name) {
  if (CControlUI* self = CControlUI::findByName(name)) return self;
  for (auto& child : children_) {
    if (CControlUI* found = child->findByName(name)) return found;
  }
  return nullptr;
}

void CContainerUI::forEach(const std::function<void(CControlUI*)>& visit) {
  visit(this);
  for (auto& child : children_) child->forEach(visit);
}

void CContainerUI::paint(HDC dc, const RECT& clip) {
  RECT overlap;
  if (!isVisible() || !IntersectRect(&overlap, &clip, &pos())) return;
  CControlUI::paint(dc, clip);
  for (auto& child : children_) child->paint(dc, overlap);
}

}  // namespace toolkit
