#pragma once
// Text laid out with Uniscribe: itemised by script and direction, shaped with a fallback font
// where the chosen one lacks glyphs, broken into lines and put in display order. Used by the
// text painter; window thread only. The fallback fonts of a layout stay valid until the next
// drawText or measureText call, which may drop them.
#include <windows.h>
#include <usp10.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "toolkit/paint/text_markup.h"
#include "toolkit/paint/text_painter.h"

namespace toolkit {

// One shaped piece of a line: one script item, one style, one font.
struct GlyphRun {
  std::wstring text;
  HFONT font = nullptr;
  std::wstring face;  // the face the font really got
  SCRIPT_ANALYSIS analysis{};
  std::vector<WORD> glyphs;
  std::vector<WORD> clusters;
  std::vector<SCRIPT_VISATTR> visualAttributes;
  std::vector<int> advances;
  std::vector<GOFFSET> offsets;
  int width = 0;
  int missing = 0;  // characters shown as the font's missing glyph
  bool shaped = false;
  size_t style = 0;  // index into the layout's styles
};

struct TextLine {
  std::vector<GlyphRun> runs;  // display order, left to right
  int width = 0;
};

class TextLayout {
 public:
  // Lays out text (markup when style.markup) with style's fonts and format; lines wrap at
  // maxWidth with DT_WORDBREAK and a single line ends in an ellipsis with DT_END_ELLIPSIS,
  // or, with DT_PATH_ELLIPSIS, loses the middle of the path and keeps its start and its
  // last folder (maxWidth <= 0: no limit). The DC's state is as before when this returns.
  TextLayout(HDC dc, const std::wstring& text, const TextStyle& style, int maxWidth);
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  const std::vector<TextLine>& lines() const { return lines_; }
  int lineHeight() const { return lineHeight_; }
  // The widest line and the height of all lines.
  SIZE extent() const;
  // Characters no font could show.
  int missingGlyphs() const;
  // Draws into rect with the format's alignment on a transparent background, clipped to
  // rect unless DT_NOCLIP.
  void draw(HDC dc, const RECT& rect, uint32_t color) const;

 private:
  struct Segment {
    int start = 0;
    int length = 0;
    SCRIPT_ANALYSIS analysis{};
    size_t style = 0;
  };

  void layoutParagraph(int begin, int end);
  std::vector<SCRIPT_ITEM> itemize(const wchar_t* chars, int length, bool rightToLeft) const;
  GlyphRun shape(const wchar_t* chars, int length, const SCRIPT_ANALYSIS& analysis, HFONT font) const;
  // Shapes with the style's font, or with the first fallback face that shows every character.
  GlyphRun shapeWithFallback(const wchar_t* chars, int length, const SCRIPT_ANALYSIS& analysis, size_t style) const;
  // The characters begin to end, then the ellipsis when asked for, then the characters
  // tailBegin to tailEnd (a path's last folder), in display order.
  TextLine buildLine(const std::vector<Segment>& segments, int begin, int end, bool withEllipsis, bool rightToLeft,
                     int tailBegin = 0, int tailEnd = 0) const;
  void appendRuns(const std::vector<Segment>& segments, int begin, int end, std::vector<GlyphRun>& logical,
                  size_t& lastStyle) const;
  SCRIPT_CACHE* cacheFor(HFONT font) const;
  int ascentOf(HFONT font) const;

  HDC dc_;
  std::wstring text_;
  std::vector<TextRun> styles_;   // text unused: the style of each span
  std::vector<size_t> styleOf_;   // per character of text_
  HFONT font_ = nullptr;
  HFONT underlineFont_ = nullptr;
  UINT format_ = 0;
  int maxWidth_ = 0;
  int lineHeight_ = 0;
  int ascent_ = 0;
  std::wstring locale_;
  std::vector<TextLine> lines_;
  mutable std::map<HFONT, SCRIPT_CACHE> caches_;
  mutable std::map<HFONT, TEXTMETRICW> metrics_;
  mutable std::map<HFONT, WORD> missingGlyph_;
};

}  // namespace toolkit
