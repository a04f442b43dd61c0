#pragma once
// Texts of the layouts: "@Key" names an entry of the language table.
#include <string>

namespace toolkit {

// "@Key" (more than the "@") is looked up in the current language table on every call, so a
// language change shows at the next paint; a missing key keeps "@Key" as written. Any other
// text is returned unchanged.
std::wstring resolveDisplayText(const std::wstring& raw);

}  // namespace toolkit
