#pragma once
// The UI texts of the current language, by key, from the table "multi_language.tsv".
#include <map>
#include <optional>
#include <string>

namespace skin {

// Parses the table and keeps the column of languageCode (column 2 when there is none).
// An empty map when the header test fails.
std::map<std::wstring, std::wstring> parseLanguageTable(const std::string& bytes, const std::wstring& languageCode);

}  // namespace skin

// The current language code (a locale name such as "en_US"); fallback when code is empty.
void setCurrentLanguage(const std::wstring& code, const std::wstring& fallback);
const std::wstring& currentLanguage();
// Replaces the texts with those of the table in the current language.
void loadLanguageTable(const std::string& bytes);

std::optional<std::wstring> lookupText(const std::wstring& key);
// Never fails: a missing key is added as its own text and returned.
std::wstring lookupTextOrKey(const char* key);
