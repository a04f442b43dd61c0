#pragma once
// The fit rule checked on laid-out windows: every visible text of a label, button or edit
// is whole in its box (a single line within its width, wrapped lines within its height),
// never cut or ended in an ellipsis. Shared by the main window's and the boxes' tests.
#include "toolkit/window_impl_base.h"

namespace textfit {

// Checks each visible text below the window's root; returns how many were checked.
int expectTextsFit(toolkit::WindowImplBase& window);

}  // namespace textfit
