#include "toolkit/paint/text_markup.h"

#include <cwctype>

#include "toolkit/paint/attribute_parse.h"

namespace toolkit {
namespace {

enum class TagKind { Underline, Color };

struct Tag {
  size_t begin = 0;  // position of "<"
  size_t end = 0;    // one past ">"
  TagKind kind = TagKind::Underline;
  bool closing = false;
  uint32_t color = 0;
  bool matched = false;
};

bool equalsIgnoreCase(const std::wstring& text, const wchar_t* word) {
  size_t i = 0;
  for (; word[i]; ++i) {
    if (i >= text.size() || towlower(text[i]) != towlower(word[i])) return false;
  }
  return i == text.size();
}

// Reads the tag at position (text[position] == '<'); false when it is none of ours.
bool readTag(const std::wstring& text, size_t position, Tag* tag) {
  size_t close = text.find(L'>', position);
  if (close == std::wstring::npos) return false;
  std::wstring inner = text.substr(position + 1, close - position - 1);
  tag->begin = position;
  tag->end = close + 1;
  if (equalsIgnoreCase(inner, L"u") || equalsIgnoreCase(inner, L"/u")) {
    tag->kind = TagKind::Underline;
    tag->closing = inner[0] == L'/';
    return true;
  }
  if (equalsIgnoreCase(inner, L"/c")) {
    tag->kind = TagKind::Color;
    tag->closing = true;
    return true;
  }
  if (inner.size() > 2 && towlower(inner[0]) == L'c' && (inner[1] == L' ' || inner[1] == L'\t')) {
    tag->kind = TagKind::Color;
    tag->closing = false;
    return parseColor(inner.substr(2), &tag->color);
  }
  return false;
}

void append(std::vector<TextRun>* runs, const TextRun& style, const std::wstring& text, size_t from, size_t to) {
  if (from >= to) return;
  if (!runs->empty()) {
    TextRun& last = runs->back();
    if (last.underline == style.underline && last.hasColor == style.hasColor &&
        (!style.hasColor || last.color == style.color)) {
      last.text.append(text, from, to - from);
      return;
    }
  }
  TextRun run = style;
  run.text = text.substr(from, to - from);
  runs->push_back(run);
}

}  // namespace

std::vector<TextRun> parseMarkup(const std::wstring& text) {
  // First pass: find our tags and pair each closing tag with the innermost open one of its
  // kind; crossed or lone tags stay unmatched and are shown as text.
  std::vector<Tag> tags;
  std::vector<size_t> open;
  for (size_t at = text.find(L'<'); at != std::wstring::npos; at = text.find(L'<', at + 1)) {
    Tag tag;
    if (!readTag(text, at, &tag)) continue;
    if (!tag.closing) {
      open.push_back(tags.size());
    } else if (!open.empty() && tags[open.back()].kind == tag.kind) {
      tags[open.back()].matched = true;
      tag.matched = true;
      open.pop_back();
    }
    tags.push_back(tag);
    at = tag.end - 1;
  }

  // Second pass: apply the matched tags with a stack of styles.
  std::vector<TextRun> runs;
  std::vector<TextRun> styles(1);
  size_t textStart = 0;
  for (const Tag& tag : tags) {
    if (!tag.matched) continue;
    append(&runs, styles.back(), text, textStart, tag.begin);
    textStart = tag.end;
    if (tag.closing) {
      styles.pop_back();
      continue;
    }
    TextRun style = styles.back();
    if (tag.kind == TagKind::Underline) {
      style.underline = true;
    } else {
      style.hasColor = true;
      style.color = tag.color;
    }
    styles.push_back(style);
  }
  append(&runs, styles.back(), text, textStart, text.size());
  return runs;
}

}  // namespace toolkit
