#pragma once
// Parsers for the attribute values of the skin's layouts: rectangles, colours, flags,
// numbers, sizes and image descriptions. Every parser returns false on malformed text and
// leaves *out unchanged then.
#include <windows.h>

#include <cstdint>
#include <string>

namespace toolkit {

// "l,t,r,b": four integers (may be negative), blanks allowed around each.
bool parseRect(const std::wstring& text, RECT* out);
// "#rrggbb" (alpha FF), "#aarrggbb", "0xrrggbb" (alpha FF), "0xaarrggbb"; any case.
bool parseColor(const std::wstring& text, uint32_t* argb);
// "true", "false", "1", "0" (any case, blanks around allowed).
bool parseBool(const std::wstring& text, bool* out);
// A decimal integer, optionally signed, blanks around allowed.
bool parseInt(const std::wstring& text, int* out);
// "cx,cy".
bool parseSize(const std::wstring& text, SIZE* out);

struct ImageSpec {
  std::wstring file;
  RECT source{};
  bool hasSource = false;
  RECT corner{};
  uint8_t fade = 255;
  // Where in the control the image goes (relative to the control's rectangle); else all of it.
  RECT dest{};
  bool hasDest = false;
};

// A bare file name ("btn.png") or the attribute form
// file='name.png' source='l,t,r,b' corner='l,t,r,b' fade='200' dest='l,t,r,b'
// (quotes ' or ", any order, unknown keys ignored, file names kept as written).
// False for empty text, a missing file name or a malformed known value.
bool parseImageSpec(const std::wstring& text, ImageSpec* out);

}  // namespace toolkit
