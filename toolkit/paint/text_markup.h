#pragma once
// The inline markup of the skin's texts: "<u>...</u>" underlines, "<c #rrggbb>...</c>"
// colours; both nest. Anything else that looks like a tag stays literal text.
#include <cstdint>
#include <string>
#include <vector>

namespace toolkit {

struct TextRun {
  std::wstring text;
  bool underline = false;
  bool hasColor = false;
  uint32_t color = 0;  // argb
};

// Splits text into runs of one style; adjacent runs of the same style are merged.
// Unknown or unbalanced tags, and a "<c>" with a bad colour, are kept as literal text,
// so the characters of the runs always add up to the visible text.
std::vector<TextRun> parseMarkup(const std::wstring& text);

}  // namespace toolkit
