#include "toolkit/paint/text_resolve.h"

#include "skin/language_table.h"

namespace toolkit {

std::wstring resolveDisplayText(const std::wstring& raw) {
  if (raw.size() < 2 || raw[0] != L'@') return raw;
  std::optional<std::wstring> text = lookupText(raw.substr(1));
  return text ? *text : raw;
}

}  // namespace toolkit
