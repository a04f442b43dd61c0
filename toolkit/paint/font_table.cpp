#include "toolkit/paint/font_table.h"

#include "toolkit/paint/dpi.h"

namespace toolkit {
namespace {

constexpr int kDefaultId = -1;

}  // namespace

FontTable::FontTable() { default_.face = L"Tahoma"; }

void FontTable::setDefault(const FontSpec& font) {
  default_ = font;
  fonts_.erase({kDefaultId, false});
  fonts_.erase({kDefaultId, true});
}

void FontTable::add(int id, const FontSpec& font) {
  if (id == kDefaultId) {
    setDefault(font);
    return;
  }
  specs_[id] = font;
  fonts_.erase({id, false});
  fonts_.erase({id, true});
}

void FontTable::setDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  fonts_.clear();
}

const FontSpec& FontTable::describe(int id) const {
  auto found = specs_.find(id);
  return found == specs_.end() ? default_ : found->second;
}

HFONT FontTable::get(int id) const { return make(id, false); }

HFONT FontTable::underlined(int id) const { return make(id, true); }

HFONT FontTable::make(int id, bool underline) const {
  const int key = specs_.count(id) ? id : kDefaultId;
  const FontSpec& font = describe(key);
  const bool wantUnderline = underline || font.underline;
  auto found = fonts_.find({key, wantUnderline});
  if (found != fonts_.end()) return found->second.get();
  HFONT handle = CreateFontW(-scaleForDpi(font.size, dpi_), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, wantUnderline, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, font.face.c_str());
  if (!handle) return nullptr;
  return fonts_.emplace(std::make_pair(key, wantUnderline), UniqueFont(handle)).first->second.get();
}

}  // namespace toolkit
