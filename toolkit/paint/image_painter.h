#pragma once
// Draws skin images: a source part, nine-sliced by its corner, blended with per-pixel alpha
// and the fade as constant alpha. Window thread only (it uses the image cache).
#include <windows.h>

#include <string>

#include "toolkit/paint/attribute_parse.h"
#include "toolkit/paint/dpi.h"

namespace toolkit {

// The source defaults to the whole image and is clipped to it. False when the file is
// missing or fails to decode, or the source lies outside the image. The request's source,
// corner and dest are in the 1x image's and the 96-DPI layout's pixels; at another dpi the
// dest offsets and the drawn corners scale, and from kEnlargedDpi on the skin's 2x image of
// the same name under commonEnalarge/ is drawn instead, when there is one exactly twice the
// 1x image's size.
bool drawImage(HDC dc, const RECT& dest, const ImageSpec& request, int dpi = kBaseDpi);
// Parses the attribute (see parseImageSpec) and draws it; false when it does not parse.
bool drawImage(HDC dc, const RECT& dest, const std::wstring& attribute, int dpi = kBaseDpi);
// The 2x image's file for a 1x one: "commonEnalarge/" and the base name.
std::wstring enlargedImageFile(const std::wstring& file);

}  // namespace toolkit
