#pragma once
// The notification map of a window: (type, control name) pairs routed to handlers.
#include <functional>
#include <string>
#include <vector>

#include "toolkit/notify.h"

namespace toolkit {

class CNotifyPump {
 public:
  using Handler = std::function<void(TNotifyUI&)>;

  virtual ~CNotifyPump() = default;

  // An empty name matches any sender. A later entry for the same pair replaces the earlier.
  void addNotify(const std::wstring& type, const std::wstring& name, Handler handler);
  // Binds a member handler of the window that derives from this pump.
  template <class Window>
  void addNotify(const std::wstring& type, const std::wstring& name, void (Window::*handler)(TNotifyUI&)) {
    Window* window = static_cast<Window*>(this);
    addNotify(type, name, [window, handler](TNotifyUI& msg) { (window->*handler)(msg); });
  }
  void removeNotify(const std::wstring& type, const std::wstring& name);

  // Runs the handler of the sender's name, else the type's catch-all; true when one ran.
  bool dispatchNotify(TNotifyUI& msg) const;

 private:
  struct Entry {
    std::wstring type;
    std::wstring name;
    Handler handler;
  };
  const Entry* find(const std::wstring& type, const std::wstring& name) const;
  std::vector<Entry> entries_;
};

}  // namespace toolkit
