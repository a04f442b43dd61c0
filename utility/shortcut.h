#pragma once
// Desktop shortcuts. COM must be initialised on the calling thread.
#include <string>

namespace helper {
namespace disk {

struct ShortcutRequest {
  std::wstring name;  // the link's file name on the desktop, without ".lnk"
  std::wstring icon;
  std::wstring workingDir;
  std::wstring target;
  std::wstring arguments;  // may be empty
};

// Failures are logged; nothing is reported to the caller.
void createShortcut(const ShortcutRequest& request);

}  // namespace disk
}  // namespace helper
