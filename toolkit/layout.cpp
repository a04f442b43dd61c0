#include "toolkit/layout.h"

#include <algorithm>

namespace toolkit {

namespace {

// One axis of the stacking, so that both directions share the arithmetic. "Main" is the
// stacking direction, "cross" the other one.
struct Axis {
  int mainStart, mainEnd, crossStart, crossEnd;
};

struct AxisItem {
  bool visible;
  int mainSize, crossSize;  // 0 = flexible
  int mainBefore, mainAfter, crossBefore, crossAfter;
};

std::vector<std::pair<int, int>> stackAxis(const Axis& axis, const std::vector<AxisItem>& items, int childPadding,
                                           std::vector<std::pair<int, int>>* cross) {
  const int available = std::max(0, axis.mainEnd - axis.mainStart);
  int used = 0;
  int flexible = 0;
  int visible = 0;
  for (const AxisItem& item : items) {
    if (!item.visible) continue;
    ++visible;
    used += item.mainBefore + item.mainAfter + std::max(0, item.mainSize);
    if (item.mainSize <= 0) ++flexible;
  }
  if (visible > 1) used += childPadding * (visible - 1);
  const int free = std::max(0, available - used);
  const int share = flexible > 0 ? free / flexible : 0;
  int remainder = flexible > 0 ? free % flexible : 0;

  std::vector<std::pair<int, int>> main;
  main.reserve(items.size());
  cross->clear();
  cross->reserve(items.size());
  int position = axis.mainStart;
  bool first = true;
  for (const AxisItem& item : items) {
    if (!item.visible) {
      main.emplace_back(position, position);
      cross->emplace_back(axis.crossStart, axis.crossStart);
      continue;
    }
    if (!first) position += childPadding;
    first = false;
    position += item.mainBefore;
    int length = item.mainSize;
    if (length <= 0) {
      length = share;
      if (remainder > 0) {
        ++length;
        --remainder;
      }
    }
    main.emplace_back(position, position + length);
    position += length + item.mainAfter;

    const int crossFrom = axis.crossStart + item.crossBefore;
    int crossTo = axis.crossEnd - item.crossAfter;
    if (item.crossSize > 0) crossTo = crossFrom + item.crossSize;
    cross->emplace_back(crossFrom, std::max(crossFrom, crossTo));
  }
  return main;
}

}  // namespace

RECT deflate(const RECT& area, const RECT& inset) {
  RECT result{area.left + inset.left, area.top + inset.top, area.right - inset.right, area.bottom - inset.bottom};
  if (result.right < result.left) result.right = result.left;
  if (result.bottom < result.top) result.bottom = result.top;
  return result;
}

std::vector<RECT> layoutVertical(const RECT& area, const std::vector<LayoutItem>& items, int childPadding) {
  std::vector<AxisItem> axisItems;
  axisItems.reserve(items.size());
  for (const LayoutItem& item : items) {
    axisItems.push_back({item.visible, item.height, item.width, static_cast<int>(item.padding.top),
                         static_cast<int>(item.padding.bottom), static_cast<int>(item.padding.left),
                         static_cast<int>(item.padding.right)});
  }
  std::vector<std::pair<int, int>> cross;
  auto main = stackAxis({area.top, area.bottom, area.left, area.right}, axisItems, childPadding, &cross);
  std::vector<RECT> result;
  result.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i) result.push_back({cross[i].first, main[i].first, cross[i].second, main[i].second});
  return result;
}

std::vector<RECT> layoutHorizontal(const RECT& area, const std::vector<LayoutItem>& items, int childPadding) {
  std::vector<AxisItem> axisItems;
  axisItems.reserve(items.size());
  for (const LayoutItem& item : items) {
    axisItems.push_back({item.visible, item.width, item.height, static_cast<int>(item.padding.left),
                         static_cast<int>(item.padding.right), static_cast<int>(item.padding.top),
                         static_cast<int>(item.padding.bottom)});
  }
  std::vector<std::pair<int, int>> cross;
  auto main = stackAxis({area.left, area.right, area.top, area.bottom}, axisItems, childPadding, &cross);
  std::vector<RECT> result;
  result.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i) result.push_back({main[i].first, cross[i].first, main[i].second, cross[i].second});
  return result;
}

}  // namespace toolkit
