#include "ui/text_format.h"

namespace ui {

std::wstring formatText(const std::wstring& format, const std::vector<std::wstring>& arguments, size_t limit) {
  std::wstring out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == L'%' && i + 1 < format.size()) {
      if (format[i + 1] == L's') {
        if (next < arguments.size()) out += arguments[next++];
        ++i;
        continue;
      }
      if (format[i + 1] == L'%') {
        out += L'%';
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  if (out.size() > limit) out.resize(limit);
  return out;
}

}  // namespace ui
