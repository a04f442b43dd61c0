#include "tests/ui/text_contrast.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>

#include "toolkit/label.h"

namespace contrast {

namespace {

double luminance(uint32_t rgb) {
  auto channel = [](uint32_t value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel((rgb >> 16) & 0xFF) + 0.7152 * channel((rgb >> 8) & 0xFF) + 0.0722 * channel(rgb & 0xFF);
}

int distance(uint32_t a, uint32_t b) {
  int sum = 0;
  for (int shift : {0, 8, 16}) sum += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
  return sum;
}

}  // namespace

double ratio(uint32_t a, uint32_t b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int checkTexts(toolkit::CControlUI* root, const gallery::Shot& shot) {
  int checked = 0;
  root->forEach([&](toolkit::CControlUI* control) {
    if (!control->isReallyVisible() || control->displayText().empty() || !toolkit::controlAs<toolkit::CLabelUI>(control)) return;
    SCOPED_TRACE(testing::PrintToString(control->name().empty() ? control->text() : control->name()));
    const RECT r = control->pos();
    std::map<uint32_t, int> histogram;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) ++histogram[shot.rgb(x, y)];
    }
    uint32_t background = 0;
    int most = 0;
    for (const auto& entry : histogram) {
      if (entry.second > most) most = entry.second, background = entry.first;
    }
    const uint32_t text = (control->isEnabled() ? control->textColor() : control->disabledTextColor()) & 0xFFFFFF;
    EXPECT_GE(ratio(background, text), 4.5) << std::hex << "text " << text << " on " << background;
    int ink = 0;
    for (const auto& entry : histogram) {
      if (distance(entry.first, text) < distance(entry.first, background)) ink += entry.second;
    }
    // A two-letter answer ("Ja") has little ink of its own.
    const int expectedInk = std::min<int>(15, 5 * static_cast<int>(control->displayText().size()));
    EXPECT_GT(ink, expectedInk) << "the text is not drawn in its colour";
    ++checked;
  });
  return checked;
}

}  // namespace contrast
