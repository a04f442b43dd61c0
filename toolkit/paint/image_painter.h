#pragma once
// Draws skin images: a source part, nine-sliced by its corner, blended with per-pixel alpha
// and the fade as constant alpha. Window thread only (it uses the image cache).
#include <windows.h>

#include <string>

#include "toolkit/paint/attribute_parse.h"

namespace toolkit {

// The source defaults to the whole image and is clipped to it. False when the file is
// missing or fails to decode, or the source lies outside the image.
bool drawImage(HDC dc, const RECT& dest, const ImageSpec& request);
// Parses the attribute (see parseImageSpec) and draws it; false when it does not parse.
bool drawImage(HDC dc, const RECT& dest, const std::wstring& attribute);

}  // namespace toolkit
