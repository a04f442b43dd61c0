#include "toolkit/focus_order.h"

namespace toolkit {

int nextFocusIndex(const std::vector<bool>& candidates, int current, bool forward) {
  const int count = static_cast<int>(candidates.size());
  if (count == 0) return -1;
  if (current < -1 || current >= count) current = -1;
  int index = current;
  for (int step = 0; step < count; ++step) {
    if (forward) {
      index = index + 1 >= count ? 0 : index + 1;
    } else {
      index = index <= 0 ? count - 1 : index - 1;
    }
    if (candidates[index]) return index;
  }
  return -1;
}

}  // namespace toolkit
