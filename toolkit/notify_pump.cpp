#include "toolkit/notify_pump.h"

#include <algorithm>

#include "toolkit/control.h"

namespace toolkit {

void CNotifyPump::addNotify(const std::wstring& type, const std::wstring& name, Handler handler) {
  removeNotify(type, name);
  if (handler) entries_.push_back({type, name, std::move(handler)});
}

void CNotifyPump::removeNotify(const std::wstring& type, const std::wstring& name) {
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [&](const Entry& entry) { return entry.type == type && entry.name == name; }),
                 entries_.end());
}

const CNotifyPump::Entry* CNotifyPump::find(const std::wstring& type, const std::wstring& name) const {
  for (const Entry& entry : entries_) {
    if (entry.type == type && entry.name == name) return &entry;
  }
  return nullptr;
}

bool CNotifyPump::dispatchNotify(TNotifyUI& msg) const {
  const Entry* entry = nullptr;
  if (msg.sender && !msg.sender->name().empty()) entry = find(msg.type, msg.sender->name());
  if (!entry) entry = find(msg.type, std::wstring());
  if (!entry) return false;
  // A copy: the handler may change the map (or close the window) while it runs.
  Handler handler = entry->handler;
  handler(msg);
  return true;
}

}  // namespace toolkit
