#include "ui/open_boxes.h"

namespace ui {
namespace {
const wchar_t kProperty[] = L"VelOpenBoxes";
}  // namespace

void OpenBoxes::attach(HWND owner) {
  VEL_CHECK_THREAD(thread_);
  detach();
  if (owner && SetPropW(owner, kProperty, this)) owner_ = owner;
}

void OpenBoxes::detach() {
  VEL_CHECK_THREAD(thread_);
  if (owner_ && GetPropW(owner_, kProperty) == this) RemovePropW(owner_, kProperty);
  owner_ = nullptr;
  boxes_.clear();
}

OpenBoxes* OpenBoxes::of(HWND owner) {
  return owner ? static_cast<OpenBoxes*>(GetPropW(owner, kProperty)) : nullptr;
}

bool OpenBoxes::add(const std::wstring& key, HWND box) {
  VEL_CHECK_THREAD(thread_);
  HWND& slot = boxes_[key];
  // A box whose window went without saying so does not hold its key.
  if (slot && slot != box && IsWindow(slot)) return false;
  slot = box;
  return true;
}

void OpenBoxes::remove(const std::wstring& key, HWND box) {
  VEL_CHECK_THREAD(thread_);
  auto it = boxes_.find(key);
  if (it != boxes_.end() && it->second == box) boxes_.erase(it);
}

HWND OpenBoxes::find(const std::wstring& key) const {
  VEL_CHECK_THREAD(thread_);
  auto it = boxes_.find(key);
  return it == boxes_.end() ? nullptr : it->second;
}

}  // namespace ui
