#pragma once
// The check every downloaded setup passes before its route counts as a success, whichever
// route brought it.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "utility/unique_handle.h"

// What the check of a downloaded setup found: on success the file, held open so that it
// cannot be changed or swapped until the setup has been started.
struct SetupCheck {
  bool ok = false;
  std::wstring reason;
  DWORD code = 0;
  std::shared_ptr<utility::UniqueHandle> held;
};
using SetupChecker = std::function<SetupCheck(const std::wstring& path)>;

// The check every setup must pass: held, its MD5 when the document gives one (32 hex digits),
// its signature down to a trusted root and from publisher.
SetupCheck checkDownloadedSetup(const std::wstring& path, const std::wstring& md5, const std::wstring& publisher);
