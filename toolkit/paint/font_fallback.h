#pragma once
// Fonts for the scripts a chosen face lacks: per script group a fixed list of faces, Windows'
// own first, then faces found on other systems, of which the first installed one that has the
// glyphs is taken. Window thread only (the caches are not locked).
#include <windows.h>

#include <string>
#include <vector>

namespace toolkit {

enum class ScriptGroup { Other, Han, Kana, Hangul, Thai, Arabic };

// The group of the first character of text that belongs to one of the groups; Other when none.
ScriptGroup scriptGroupOf(const wchar_t* text, int length);

// The faces to try for group, in order; Han's order follows the UI language (a locale name
// such as "ja_JP" or "zh_TW") so Japanese and traditional Chinese get their own glyph forms.
std::vector<std::wstring> fallbackFaces(ScriptGroup group, const std::wstring& localeName);

// Whether a font family of that name is installed (private fonts of the process included).
bool fontFaceExists(const std::wstring& face);

// A font like base (height, weight, italic, quality) with another face (empty: base's own)
// and the given underline.
// Owned by a process-wide cache; valid until trimFallbackFonts() drops it.
HFONT derivedFont(HFONT base, const std::wstring& face, bool underline);
// Keeps the cache small; called where no derived font is selected into any DC.
void trimFallbackFonts();

}  // namespace toolkit
