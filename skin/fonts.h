#pragma once
// The fonts archive and the language's private font.
#include <windows.h>

#include <string>

#include "skin/language_record.h"

namespace skin {

// The user's fonts folder: application data + "\veldownloader_en\fonts\".
std::wstring fontsFolder();
// Writes every entry below folder, replacing existing files, except a file already there with
// the entry's size and CRC, which is kept as it is. Returns the files written or kept; a
// damaged entry, a file that cannot be opened or a failed write stops it.
size_t unpackFontArchive(const void* data, size_t size, const std::wstring& folder);

}  // namespace skin

// Unpacks archive 130 of module into the fonts folder and adds the record's font privately.
void installFonts(HMODULE module, const LanguageRecord& record);
// Removes what installFonts added (called once at the end of the process).
void removeInstalledFont(const LanguageRecord& record);
