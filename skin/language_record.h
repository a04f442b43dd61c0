#pragma once
// The UI language's record: short code, locale name, font face and font file.
#include <string>

struct LanguageRecord {
  std::wstring shortCode;
  std::wstring localeName;
  std::wstring fontFace;
  std::wstring fontFile;  // empty: no font is added for this language
};

// By the model's UI language code, compared exactly; unknown codes get the English record.
LanguageRecord languageRecordFor(const std::wstring& code);
