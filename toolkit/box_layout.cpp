#include "toolkit/box_layout.h"

namespace toolkit {

std::vector<RECT> CVerticalLayoutUI::arrange(const RECT& area) const {
  return layoutVertical(area, layoutItems(), scaled(childPadding()));
}

std::vector<RECT> CHorizontalLayoutUI::arrange(const RECT& area) const {
  return layoutHorizontal(area, layoutItems(), scaled(childPadding()));
}

}  // namespace toolkit
