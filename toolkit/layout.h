#pragma once
// Box layout arithmetic, apart from any control or window so that it can be checked alone.
// A container hands its children's wishes in and gets one rectangle per child back.
#include <windows.h>

#include <vector>

namespace toolkit {

struct LayoutItem {
  bool visible = true;
  // 0 means flexible: the item takes a share of what the fixed items leave.
  int width = 0;
  int height = 0;
  // Outer margins: left, top, right, bottom.
  RECT padding{};
};

// Stacks the items from top to bottom (vertical) or from left to right (horizontal) inside
// area, which is the container's rectangle with its inset already taken off. childPadding
// separates two neighbouring visible items. Hidden items take no space and get an empty
// rectangle at the position where they would start. Flexible items share the free length
// equally; the pixels that do not divide go one each to the first flexible items. Across
// the stacking direction an item fills the area unless it has a fixed size, in which case
// it keeps it and sits at the start.
std::vector<RECT> layoutVertical(const RECT& area, const std::vector<LayoutItem>& items, int childPadding);
std::vector<RECT> layoutHorizontal(const RECT& area, const std::vector<LayoutItem>& items, int childPadding);

// The area minus an inset (left, top, right, bottom), never inverted.
RECT deflate(const RECT& area, const RECT& inset);

}  // namespace toolkit
