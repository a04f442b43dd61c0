#pragma once
// The contrast rule checked on rendered windows: every visible text sits on its background
// at 4.5:1 or more, and the rendering shows it in its colour.
#include <cstdint>

#include "tests/toolkit/gallery_window.h"
#include "toolkit/control.h"

namespace contrast {

double ratio(uint32_t rgbA, uint32_t rgbB);
// Checks each visible label-like control below root; returns how many were checked. The
// background of a control is the most common colour of its rectangle in the shot; a
// disabled control is checked with its disabled text colour.
int checkTexts(toolkit::CControlUI* root, const gallery::Shot& shot);

}  // namespace contrast
