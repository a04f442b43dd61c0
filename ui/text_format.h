#pragma once
// Texts of the language table that take arguments ("%s"). The table's texts are filled by
// plain substitution, never handed to printf as a format: a stray "%n" or "%d" in a
// translation stays as it is instead of reading arguments that are not there.
#include <string>
#include <vector>

namespace ui {

// The formatted advice messages are at most this long.
constexpr size_t kAdviceMessageLimit = 255;

// Each "%s" takes the next argument (an "%s" without one is dropped); "%%" is a "%". The
// result is cut to `limit` characters.
std::wstring formatText(const std::wstring& format, const std::vector<std::wstring>& arguments,
                        size_t limit = std::wstring::npos);

}  // namespace ui
