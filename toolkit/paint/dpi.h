#pragma once
// Whether the skin's enlarged images are used (high-DPI screens). Window thread state.
namespace toolkit {

bool enlargedImages();
void setEnlargedImages(bool on);
// Turns enlarged images on when the screen's DPI is 144 (150%) or more; never turns them off.
void detectEnlargedImages();

}  // namespace toolkit
