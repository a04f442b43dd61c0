#include "toolkit/paint/font_fallback.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <tuple>

#include "toolkit/paint/gdi_handle.h"

namespace toolkit {
namespace {

constexpr size_t kMaxDerivedFonts = 64;

bool inRange(wchar_t c, wchar_t low, wchar_t high) { return c >= low && c <= high; }

ScriptGroup groupOf(wchar_t c) {
  if (inRange(c, 0x3040, 0x30FF) || inRange(c, 0x31F0, 0x31FF) || inRange(c, 0xFF66, 0xFF9F)) return ScriptGroup::Kana;
  if (inRange(c, 0x1100, 0x11FF) || inRange(c, 0x3130, 0x318F) || inRange(c, 0xAC00, 0xD7AF)) return ScriptGroup::Hangul;
  if (inRange(c, 0x2E80, 0x2FDF) || inRange(c, 0x3000, 0x303F) || inRange(c, 0x3400, 0x4DBF) ||
      inRange(c, 0x4E00, 0x9FFF) || inRange(c, 0xF900, 0xFAFF) || inRange(c, 0xFF00, 0xFF65) ||
      inRange(c, 0xD840, 0xD87F)) {  // the last: high surrogates of the supplementary ideographs
    return ScriptGroup::Han;
  }
  if (inRange(c, 0x0E00, 0x0E7F)) return ScriptGroup::Thai;
  if (inRange(c, 0x0600, 0x06FF) || inRange(c, 0x0750, 0x077F) || inRange(c, 0x08A0, 0x08FF) ||
      inRange(c, 0xFB50, 0xFDFF) || inRange(c, 0xFE70, 0xFEFF)) {
    return ScriptGroup::Arabic;
  }
  return ScriptGroup::Other;
}

bool startsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

void append(std::vector<std::wstring>* faces, std::initializer_list<const wchar_t*> more) {
  for (const wchar_t* face : more) faces->emplace_back(face);
}

int CALLBACK noteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

using FontKey = std::tuple<std::wstring, LONG, LONG, BYTE, BYTE, BYTE>;

std::map<FontKey, UniqueFont>& derivedFonts() {
  static std::map<FontKey, UniqueFont> fonts;
  return fonts;
}

}  // namespace

ScriptGroup scriptGroupOf(const wchar_t* text, int length) {
  for (int i = 0; i < length; ++i) {
    ScriptGroup group = groupOf(text[i]);
    if (group != ScriptGroup::Other) return group;
  }
  return ScriptGroup::Other;
}

std::vector<std::wstring> fallbackFaces(ScriptGroup group, const std::wstring& localeName) {
  std::vector<std::wstring> faces;
  const bool japanese = startsWith(localeName, L"ja");
  const bool traditional = localeName == L"zh_TW" || localeName == L"zh_HK" || localeName == L"zh_MO";
  const bool korean = startsWith(localeName, L"ko");
  switch (group) {
    case ScriptGroup::Kana:
      append(&faces, {L"Meiryo UI", L"Meiryo", L"Yu Gothic UI", L"MS UI Gothic", L"MS Gothic", L"Noto Sans CJK JP",
                      L"Noto Sans JP", L"IPAPGothic", L"TakaoPGothic"});
      break;
    case ScriptGroup::Hangul:
      append(&faces, {L"Malgun Gothic", L"Gulim", L"Dotum", L"NanumGothic", L"Noto Sans CJK KR", L"Noto Sans KR",
                      L"UnDotum"});
      break;
    case ScriptGroup::Han:
      if (japanese) {
        append(&faces, {L"Meiryo UI", L"Meiryo", L"Yu Gothic UI", L"MS UI Gothic", L"MS Gothic", L"Noto Sans CJK JP"});
      } else if (traditional) {
        append(&faces, {L"Microsoft JhengHei UI", L"Microsoft JhengHei", L"PMingLiU", L"MingLiU", L"Noto Sans CJK TC"});
      } else if (korean) {
        append(&faces, {L"Malgun Gothic", L"Gulim", L"Noto Sans CJK KR"});
      }
      append(&faces, {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun", L"NSimSun", L"Noto Sans CJK SC",
                      L"Noto Sans SC", L"Microsoft JhengHei", L"PMingLiU", L"Noto Sans CJK TC", L"Meiryo",
                      L"MS Gothic", L"Noto Sans CJK JP", L"Noto Sans CJK KR", L"WenQuanYi Zen Hei",
                      L"Droid Sans Fallback"});
      break;
    case ScriptGroup::Thai:
      append(&faces, {L"Leelawadee UI", L"Leelawadee", L"Tahoma", L"Microsoft Sans Serif", L"Noto Sans Thai UI",
                      L"Noto Sans Thai", L"Noto Looped Thai", L"Noto Serif Thai", L"Loma", L"Garuda"});
      break;
    case ScriptGroup::Arabic:
      append(&faces, {L"Segoe UI", L"Tahoma", L"Arial", L"Microsoft Sans Serif", L"Noto Sans Arabic UI",
                      L"Noto Sans Arabic", L"Noto Naskh Arabic", L"Noto Kufi Arabic", L"DejaVu Sans"});
      break;
    case ScriptGroup::Other:
      append(&faces, {L"Segoe UI", L"Tahoma", L"Arial", L"Microsoft Sans Serif", L"Noto Sans", L"DejaVu Sans",
                      L"Liberation Sans"});
      break;
  }
  return faces;
}

bool fontFaceExists(const std::wstring& face) {
  static std::map<std::wstring, bool> known;
  auto found = known.find(face);
  if (found != known.end()) return found->second;
  bool exists = false;
  if (!face.empty() && face.size() < LF_FACESIZE) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, LF_FACESIZE - 1);
    ScreenDc screen;
    if (screen.get()) EnumFontFamiliesExW(screen.get(), &query, noteFamily, reinterpret_cast<LPARAM>(&exists), 0);
  }
  known.emplace(face, exists);
  return exists;
}

HFONT derivedFont(HFONT base, const std::wstring& face, bool underline) {
  LOGFONTW font{};
  if (!base || GetObjectW(base, sizeof(font), &font) <= 0) {
    font = LOGFONTW{};
    font.lfHeight = -12;
    font.lfWeight = FW_NORMAL;
  }
  if (face.size() >= LF_FACESIZE) return nullptr;
  if (!face.empty()) {
    std::fill(std::begin(font.lfFaceName), std::end(font.lfFaceName), L'\0');
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
  }
  font.lfUnderline = underline ? TRUE : FALSE;
  font.lfCharSet = DEFAULT_CHARSET;
  FontKey key{font.lfFaceName, font.lfHeight, font.lfWeight, font.lfItalic, font.lfUnderline, font.lfQuality};
  auto& fonts = derivedFonts();
  auto found = fonts.find(key);
  if (found != fonts.end()) return found->second.get();
  HFONT made = CreateFontIndirectW(&font);
  if (!made) return nullptr;
  return fonts.emplace(key, UniqueFont(made)).first->second.get();
}

void trimFallbackFonts() {
  if (derivedFonts().size() > kMaxDerivedFonts) derivedFonts().clear();
}

}  // namespace toolkit
