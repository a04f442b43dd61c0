#pragma once
// Sees a window's messages before the toolkit handles them.
#include <windows.h>

namespace toolkit {

class IMessageFilterUI {
 public:
  virtual ~IMessageFilterUI() = default;
  // Set handled to keep the toolkit from handling the message; the result is then returned.
  virtual LRESULT messageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

}  // namespace toolkit
