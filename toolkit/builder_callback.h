#pragma once
// Lets a window make its own controls for tags the toolkit does not know.
#include <string>

namespace toolkit {

class CControlUI;

class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  // A new control for the tag, owned by the caller from then on; null when the tag is not
  // the window's either (the element and its children are then skipped).
  virtual CControlUI* createControl(const std::wstring& tag) = 0;
};

}  // namespace toolkit
