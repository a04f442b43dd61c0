#include "toolkit/paint/text_layout.h"

#include <algorithm>
#include <cwctype>

#include "skin/language_table.h"
#include "toolkit/paint/font_fallback.h"
#include "toolkit/paint/gdi_handle.h"

namespace toolkit {
namespace {

constexpr wchar_t kEllipsis[] = L"\x2026";

// Characters that have no glyph of their own in any font: they never count as missing.
bool isInvisible(wchar_t c) {
  return c < 0x20 || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) ||
         c == 0xFEFF || c == 0x00AD;
}

// Hebrew, Arabic, Syriac, Thaana, NKo and the Arabic presentation forms read right to left.
bool isPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Where a path's last folder or file starts, with the separator before it ("\VelPlayer9\"
// in "C:\Games\VelPlayer9\"); begin when no separator comes after the first character.
int lastPathPart(const std::wstring& text, int begin, int end) {
  int at = end;
  while (at > begin && isPathSeparator(text[at - 1])) --at;
  while (at > begin && !isPathSeparator(text[at - 1])) --at;
  return at > begin + 1 ? at - 1 : begin;
}

// Hangul syllables and jamo: Korean is written with blanks between its words, and lines
// break at those, never inside a word (Windows' own Korean line breaking does the same).
bool isHangul(wchar_t c) {
  return (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F);
}

bool isIdeograph(wchar_t c) { return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF); }

// Chinese and Japanese have no blanks: a line may break between any two ideographs, which
// can split a word. A break after punctuation or a blank ends a phrase and is preferred.
bool endsPhrase(wchar_t c) {
  return iswspace(c) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) ||
         c == L',' || c == L'.' || c == L';' || c == L':' || c == L'!' || c == L'?';
}

// A phrase break is taken instead of one between two ideographs when the line keeps at least
// this share of its width.
constexpr int kPhraseBreakMinPercent = 60;

bool isRightToLeft(wchar_t c) {
  return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF);
}

// The paragraph's direction follows its first letter, as the reader expects.
bool startsRightToLeft(const wchar_t* chars, int length) {
  for (int i = 0; i < length; ++i) {
    if (isRightToLeft(chars[i])) return true;
    if (iswalpha(chars[i])) return false;
  }
  return false;
}

COLORREF toColorRef(uint32_t argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

}  // namespace

TextLayout::TextLayout(HDC dc, const std::wstring& text, const TextStyle& style, int maxWidth)
    : dc_(dc), format_(style.format), maxWidth_(maxWidth), locale_(currentLanguage()) {
  SavedDc saved(dc);
  font_ = style.font ? style.font : static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
  underlineFont_ = style.underlineFont ? style.underlineFont : derivedFont(font_, L"", true);
  if (!underlineFont_) underlineFont_ = font_;
  SelectObject(dc, font_);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  lineHeight_ = metrics.tmHeight;
  ascent_ = metrics.tmAscent;

  std::vector<TextRun> runs;
  if (style.markup) {
    runs = parseMarkup(text);
  } else {
    runs.push_back(TextRun{text});
  }
  for (const TextRun& run : runs) {
    TextRun span = run;
    span.text.clear();
    styles_.push_back(span);
    text_ += run.text;
    styleOf_.insert(styleOf_.end(), run.text.size(), styles_.size() - 1);
  }
  if (styles_.empty()) styles_.push_back(TextRun{});

  const bool singleLine = (format_ & DT_SINGLELINE) != 0;
  if (singleLine) {
    std::replace(text_.begin(), text_.end(), L'\r', L' ');
    std::replace(text_.begin(), text_.end(), L'\n', L' ');
    layoutParagraph(0, static_cast<int>(text_.size()));
    return;
  }
  int begin = 0;
  const int size = static_cast<int>(text_.size());
  while (true) {
    int end = begin;
    while (end < size && text_[end] != L'\n') ++end;
    int trimmed = end;
    if (trimmed > begin && text_[trimmed - 1] == L'\r') --trimmed;
    layoutParagraph(begin, trimmed);
    if (end >= size) break;
    begin = end + 1;
  }
}

TextLayout::~TextLayout() {
  for (auto& entry : caches_) ScriptFreeCache(&entry.second);
}

SCRIPT_CACHE* TextLayout::cacheFor(HFONT font) const { return &caches_[font]; }

int TextLayout::ascentOf(HFONT font) const {
  auto found = metrics_.find(font);
  if (found != metrics_.end()) return found->second.tmAscent;
  TEXTMETRICW metrics{};
  HGDIOBJ previous = SelectObject(dc_, font);
  GetTextMetricsW(dc_, &metrics);
  SelectObject(dc_, previous);
  metrics_[font] = metrics;
  return metrics.tmAscent;
}

std::vector<SCRIPT_ITEM> TextLayout::itemize(const wchar_t* chars, int length, bool rightToLeft) const {
  SCRIPT_CONTROL control{};
  SCRIPT_STATE state{};
  state.uBidiLevel = rightToLeft ? 1 : 0;
  int capacity = std::max(8, length + 1);
  std::vector<SCRIPT_ITEM> items;
  int count = 0;
  for (int attempt = 0; attempt < 4; ++attempt, capacity *= 2) {
    items.assign(capacity + 1, SCRIPT_ITEM{});
    HRESULT result = ScriptItemize(chars, length, capacity, &control, &state, items.data(), &count);
    if (SUCCEEDED(result)) {
      items.resize(count + 1);  // the last one marks the end
      return items;
    }
    if (result != E_OUTOFMEMORY) break;
  }
  // Itemising failed: one left-to-right item of undefined script still draws the text.
  items.assign(2, SCRIPT_ITEM{});
  items[1].iCharPos = length;
  return items;
}

GlyphRun TextLayout::shape(const wchar_t* chars, int length, const SCRIPT_ANALYSIS& analysis, HFONT font) const {
  GlyphRun run;
  run.text.assign(chars, length);
  run.font = font;
  run.analysis = analysis;
  run.missing = length;
  HGDIOBJ previous = SelectObject(dc_, font);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc_, LF_FACESIZE, face);
  run.face = face;
  SCRIPT_CACHE* cache = cacheFor(font);

  int capacity = length * 3 / 2 + 16;
  int count = 0;
  HRESULT result = E_FAIL;
  run.clusters.assign(length, 0);
  for (int attempt = 0; attempt < 4; ++attempt, capacity *= 2) {
    run.glyphs.assign(capacity, 0);
    run.visualAttributes.assign(capacity, SCRIPT_VISATTR{});
    result = ScriptShape(dc_, cache, chars, length, capacity, &run.analysis, run.glyphs.data(), run.clusters.data(),
                         run.visualAttributes.data(), &count);
    if (result != E_OUTOFMEMORY) break;
  }
  if (SUCCEEDED(result)) {
    run.glyphs.resize(count);
    run.visualAttributes.resize(count);
    run.advances.assign(count, 0);
    run.offsets.assign(count, GOFFSET{});
    ABC abc{};
    result = ScriptPlace(dc_, cache, run.glyphs.data(), count, run.visualAttributes.data(), &run.analysis,
                         run.advances.data(), run.offsets.data(), &abc);
  }
  if (SUCCEEDED(result)) {
    auto known = missingGlyph_.find(font);
    if (known == missingGlyph_.end()) {
      SCRIPT_FONTPROPERTIES properties{};
      properties.cBytes = sizeof(properties);
      WORD glyph = 0;
      if (SUCCEEDED(ScriptGetFontProperties(dc_, cache, &properties))) glyph = properties.wgDefault;
      known = missingGlyph_.emplace(font, glyph).first;
    }
    run.missing = 0;
    for (int i = 0; i < length; ++i) {
      WORD cluster = run.clusters[i];
      if (cluster < run.glyphs.size() && run.glyphs[cluster] == known->second && !isInvisible(chars[i])) ++run.missing;
    }
    for (int advance : run.advances) run.width += advance;
    run.shaped = true;
  } else {
    run.glyphs.clear();
    run.visualAttributes.clear();
    run.advances.clear();
    run.offsets.clear();
  }
  SelectObject(dc_, previous);
  return run;
}

GlyphRun TextLayout::shapeWithFallback(const wchar_t* chars, int length, const SCRIPT_ANALYSIS& analysis,
                                       size_t style) const {
  const bool underline = styles_[style].underline;
  HFONT base = underline ? underlineFont_ : font_;
  GlyphRun best = shape(chars, length, analysis, base);
  best.style = style;
  if (best.shaped && best.missing == 0) return best;
  for (const std::wstring& face : fallbackFaces(scriptGroupOf(chars, length), locale_)) {
    if (!fontFaceExists(face)) continue;
    HFONT font = derivedFont(base, face, underline);
    if (!font) continue;
    GlyphRun candidate = shape(chars, length, analysis, font);
    if (candidate.shaped && (!best.shaped || candidate.missing < best.missing)) best = std::move(candidate);
    if (best.shaped && best.missing == 0) break;
  }
  if (!best.shaped) {
    // No font knows the script: shaped as undefined script, the characters still show as boxes.
    SCRIPT_ANALYSIS plain = analysis;
    plain.eScript = SCRIPT_UNDEFINED;
    best = shape(chars, length, plain, base);
  }
  best.style = style;
  return best;
}

void TextLayout::layoutParagraph(int begin, int end) {
  const int length = end - begin;
  if (length <= 0) {
    lines_.push_back(TextLine{});
    return;
  }
  const wchar_t* chars = text_.data() + begin;
  const bool rightToLeft = startsRightToLeft(chars, length);
  std::vector<SCRIPT_ITEM> items = itemize(chars, length, rightToLeft);

  // Segments: the items cut where the style changes.
  std::vector<Segment> segments;
  std::vector<SCRIPT_LOGATTR> breaks(length, SCRIPT_LOGATTR{});
  for (size_t i = 0; i + 1 < items.size(); ++i) {
    const int itemStart = items[i].iCharPos, itemEnd = items[i + 1].iCharPos;
    if (itemEnd <= itemStart) continue;
    if (FAILED(ScriptBreak(chars + itemStart, itemEnd - itemStart, &items[i].a, breaks.data() + itemStart))) {
      for (int c = itemStart; c < itemEnd; ++c) {
        breaks[c].fCharStop = 1;
        breaks[c].fWhiteSpace = iswspace(chars[c]) ? 1 : 0;
        breaks[c].fSoftBreak = c > 0 && iswspace(chars[c - 1]) && !iswspace(chars[c]);
      }
    }
    for (int c = std::max(itemStart, 1); c < itemEnd; ++c) {
      if (isHangul(chars[c - 1]) && isHangul(chars[c])) breaks[c].fSoftBreak = 0;
    }
    // Each item is broken on its own, so its first character never gets a break; after a
    // blank or a Chinese or Japanese punctuation mark a new item may begin a line.
    if (itemStart > 0 && !iswspace(chars[itemStart]) && endsPhrase(chars[itemStart - 1]) &&
        !(chars[itemStart - 1] >= 0x20 && chars[itemStart - 1] < 0x7F && !iswspace(chars[itemStart - 1]))) {
      breaks[itemStart].fSoftBreak = 1;
    }
    int start = itemStart;
    while (start < itemEnd) {
      int stop = start + 1;
      while (stop < itemEnd && styleOf_[begin + stop] == styleOf_[begin + start]) ++stop;
      segments.push_back(Segment{begin + start, stop - start, items[i].a, styleOf_[begin + start]});
      start = stop;
    }
  }

  const bool singleLine = (format_ & DT_SINGLELINE) != 0;
  const bool wrap = !singleLine && (format_ & DT_WORDBREAK) && maxWidth_ > 0;
  const bool ellipsis = singleLine && (format_ & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) && maxWidth_ > 0;

  if (!wrap && !ellipsis) {
    lines_.push_back(buildLine(segments, begin, end, false, rightToLeft));
    return;
  }

  // Widths of the characters, from their clusters' advances.
  std::vector<int> widths(length, 0);
  for (const Segment& segment : segments) {
    GlyphRun run = shapeWithFallback(text_.data() + segment.start, segment.length, segment.analysis, segment.style);
    int* out = widths.data() + (segment.start - begin);
    if (!run.shaped || FAILED(ScriptGetLogicalWidths(&run.analysis, segment.length, static_cast<int>(run.glyphs.size()),
                                                     run.advances.data(), run.clusters.data(),
                                                     run.visualAttributes.data(), out))) {
      for (int c = 0; c < segment.length; ++c) out[c] = run.width / segment.length;
    }
  }
  auto sum = [&](int from, int to) {
    int total = 0;
    for (int c = from; c < to; ++c) total += widths[c - begin];
    return total;
  };
  auto trimEnd = [&](int from, int to) {
    while (to > from && (breaks[to - 1 - begin].fWhiteSpace || iswspace(text_[to - 1]))) --to;
    return to;
  };

  if (ellipsis) {
    if (sum(begin, trimEnd(begin, end)) <= maxWidth_) {
      lines_.push_back(buildLine(segments, begin, end, false, rightToLeft));
      return;
    }
    const size_t lastStyle = styleOf_.empty() ? 0 : styleOf_[begin];
    std::vector<SCRIPT_ITEM> dots = itemize(kEllipsis, 1, rightToLeft);
    const int dotsWidth = shapeWithFallback(kEllipsis, 1, dots[0].a, lastStyle).width;
    int tail = (format_ & DT_PATH_ELLIPSIS) ? lastPathPart(text_, begin, end) : end;
    // The last folder names where things go: it stays whole unless it alone is too wide.
    if (tail < end && sum(tail, end) + dotsWidth > maxWidth_) tail = end;
    const int room = maxWidth_ - sum(tail, end);
    int cut = begin;
    int width = 0;
    for (int c = begin; c < tail; ++c) {
      width += widths[c - begin];
      const bool stop = c + 1 == end || breaks[c + 1 - begin].fCharStop;
      if (width + dotsWidth > room) break;
      if (stop) cut = c + 1;
    }
    if (tail < end) {
      lines_.push_back(buildLine(segments, begin, cut, true, rightToLeft, tail, end));
    } else {
      lines_.push_back(buildLine(segments, begin, trimEnd(begin, cut), true, rightToLeft));
    }
    return;
  }

  int lineStart = begin;
  int lastBreak = -1;
  int lastPhraseBreak = -1;
  int width = 0;
  for (int c = begin; c < end; ++c) {
    const SCRIPT_LOGATTR& at = breaks[c - begin];
    if (c > lineStart && at.fSoftBreak) {
      lastBreak = c;
      if (endsPhrase(text_[c - 1])) lastPhraseBreak = c;
    }
    if (!at.fWhiteSpace && c > lineStart && width + widths[c - begin] > maxWidth_) {
      int cut = lastBreak > lineStart ? lastBreak : c;
      if (cut > lineStart && isIdeograph(text_[cut - 1]) && isIdeograph(text_[cut]) && lastPhraseBreak > lineStart &&
          sum(lineStart, lastPhraseBreak) * 100 >= maxWidth_ * kPhraseBreakMinPercent) {
        cut = lastPhraseBreak;
      }
      while (cut > lineStart + 1 && !breaks[cut - begin].fCharStop) --cut;
      TextLine line = buildLine(segments, lineStart, cut, false, rightToLeft);
      // Shaped as one line its width may round a pixel above the sum of its characters':
      // then the line ends at the break before.
      for (int earlier = cut - 1; line.width > maxWidth_ && earlier > lineStart; --earlier) {
        if (!breaks[earlier - begin].fSoftBreak) continue;
        cut = earlier;
        line = buildLine(segments, lineStart, cut, false, rightToLeft);
      }
      lines_.push_back(std::move(line));
      lineStart = cut;
      lastBreak = -1;
      lastPhraseBreak = -1;
      // The break points between the cut and here belong to the new line.
      for (int k = cut + 1; k < c; ++k) {
        if (!breaks[k - begin].fSoftBreak) continue;
        lastBreak = k;
        if (endsPhrase(text_[k - 1])) lastPhraseBreak = k;
      }
      width = sum(lineStart, c);
    }
    width += widths[c - begin];
  }
  lines_.push_back(buildLine(segments, lineStart, end, false, rightToLeft));
}

void TextLayout::appendRuns(const std::vector<Segment>& segments, int begin, int end, std::vector<GlyphRun>& logical,
                            size_t& lastStyle) const {
  for (const Segment& segment : segments) {
    const int from = std::max(begin, segment.start), to = std::min(end, segment.start + segment.length);
    if (from >= to) continue;
    logical.push_back(shapeWithFallback(text_.data() + from, to - from, segment.analysis, segment.style));
    lastStyle = segment.style;
  }
}

TextLine TextLayout::buildLine(const std::vector<Segment>& segments, int begin, int end, bool withEllipsis,
                               bool rightToLeft, int tailBegin, int tailEnd) const {
  TextLine line;
  std::vector<GlyphRun> logical;
  // Trailing blanks take no room: alignment and width ignore them.
  while (end > begin && iswspace(text_[end - 1])) --end;
  size_t lastStyle = begin < static_cast<int>(styleOf_.size()) ? styleOf_[begin] : 0;
  appendRuns(segments, begin, end, logical, lastStyle);
  if (withEllipsis) {
    std::vector<SCRIPT_ITEM> dots = itemize(kEllipsis, 1, rightToLeft);
    logical.push_back(shapeWithFallback(kEllipsis, 1, dots[0].a, lastStyle));
  }
  appendRuns(segments, tailBegin, tailEnd, logical, lastStyle);
  if (logical.empty()) return line;

  std::vector<BYTE> levels;
  for (const GlyphRun& run : logical) levels.push_back(static_cast<BYTE>(run.analysis.s.uBidiLevel));
  std::vector<int> visualToLogical(logical.size());
  if (FAILED(ScriptLayout(static_cast<int>(logical.size()), levels.data(), visualToLogical.data(), nullptr))) {
    for (size_t i = 0; i < visualToLogical.size(); ++i) visualToLogical[i] = static_cast<int>(i);
  }
  for (int index : visualToLogical) {
    line.width += logical[index].width;
    line.runs.push_back(std::move(logical[index]));
  }
  return line;
}

SIZE TextLayout::extent() const {
  SIZE size{0, static_cast<LONG>(lines_.size()) * lineHeight_};
  for (const TextLine& line : lines_) size.cx = std::max<LONG>(size.cx, line.width);
  return size;
}

int TextLayout::missingGlyphs() const {
  int missing = 0;
  for (const TextLine& line : lines_) {
    for (const GlyphRun& run : line.runs) missing += run.missing;
  }
  return missing;
}

void TextLayout::draw(HDC dc, const RECT& rect, uint32_t color) const {
  SavedDc saved(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  if (!(format_ & DT_NOCLIP)) IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
  const int total = static_cast<int>(lines_.size()) * lineHeight_;
  int y = rect.top;
  if (format_ & DT_VCENTER) {
    y = rect.top + (rect.bottom - rect.top - total) / 2;
  } else if (format_ & DT_BOTTOM) {
    y = rect.bottom - total;
  }
  for (const TextLine& line : lines_) {
    int x = rect.left;
    if (format_ & DT_CENTER) {
      x = rect.left + (rect.right - rect.left - line.width) / 2;
    } else if (format_ & DT_RIGHT) {
      x = rect.right - line.width;
    }
    const int baseline = y + ascent_;
    for (const GlyphRun& run : line.runs) {
      if (run.shaped && !run.glyphs.empty()) {
        const TextRun& style = styles_[run.style];
        SelectObject(dc, run.font);
        SetTextColor(dc, toColorRef(style.hasColor ? style.color : color));
        ScriptTextOut(dc, cacheFor(run.font), x, baseline - ascentOf(run.font), 0, nullptr, &run.analysis, nullptr, 0,
                      run.glyphs.data(), static_cast<int>(run.glyphs.size()), run.advances.data(), nullptr,
                      run.offsets.data());
      }
      x += run.width;
    }
    y += lineHeight_;
  }
}

}  // namespace toolkit
