#include "skin/language_record.h"

LanguageRecord languageRecordFor(const std::wstring& code) {
  struct Row {
    const wchar_t* code;
    const wchar_t* shortCode;
    const wchar_t* locale;
    const wchar_t* face;
    const wchar_t* file;
  };
  static const Row kRows[] = {
      {L"tw", L"tw", L"zh_TW", L"Noto Sans", L"NotoSans-Regular.otf"},
      {L"kr", L"kr", L"ko_KR", L"Noto Sans", L"NotoSans-Regular.otf"},
      {L"jp", L"jp", L"ja_JP", L"Noto Sans", L"NotoSans-Regular.otf"},
      {L"vn", L"vn", L"vi_VN", L"Roboto", L"Roboto-Regular.otf"},
      {L"th", L"th", L"th_TH", L"Arial", L""},
      {L"pt", L"pt", L"pt_PT", L"Roboto", L"Roboto-Regular.otf"},
      {L"br", L"pt", L"pt_PT", L"Roboto", L"Roboto-Regular.otf"},
      {L"ru", L"ru", L"ru_RU", L"Roboto", L"Roboto-Regular.otf"},
      {L"es", L"es", L"es_ES", L"Roboto", L"Roboto-Regular.otf"},
      {L"ar", L"ar", L"ar_IL", L"Roboto", L"Roboto-Regular.otf"},
      {L"de", L"de", L"de_DE", L"Roboto", L"Roboto-Regular.otf"},
      {L"fr", L"fr", L"fr_FR", L"Roboto", L"Roboto-Regular.otf"},
      {L"id", L"id", L"in_ID", L"Roboto", L"Roboto-Regular.otf"},
  };
  for (const Row& row : kRows) {
    if (code == row.code) return {row.shortCode, row.locale, row.face, row.file};
  }
  return {L"en", L"en_US", L"Roboto", L"Roboto-Regular.otf"};
}
