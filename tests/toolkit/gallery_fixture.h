#pragma once
// A fresh gallery window for each test, shown at the screen's origin; the window is gone
// (its object deleted) when the test ends.
#include <gtest/gtest.h>

#include "tests/toolkit/gallery_window.h"

namespace gallery {

class GalleryFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    setUp();
    window_ = new GalleryWindow(&observer_);
    hwnd_ = window_->open(0, 0);
    ASSERT_NE(nullptr, hwnd_);
    pumpFor(50);
  }
  void TearDown() override {
    if (!observer_.deleted && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    pump([this] { return observer_.deleted; }, 2000);
  }

  GalleryWindow::Observer observer_;
  GalleryWindow* window_ = nullptr;
  HWND hwnd_ = nullptr;
};

}  // namespace gallery
