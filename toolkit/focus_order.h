#pragma once
// Tab order: the next control that can take the focus, in tree order, wrapping around.
#include <vector>

namespace toolkit {

// candidates[i] tells whether the i-th control in tree order can take the focus now
// (focusable kind, enabled, visible with all its ancestors). current is the index of the
// focused control, or -1 when none is. Returns the index to focus, or -1 when no control
// can take it. With no current control, forward starts at the first and backward at the last.
int nextFocusIndex(const std::vector<bool>& candidates, int current, bool forward);

}  // namespace toolkit
