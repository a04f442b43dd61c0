#pragma once
// The fonts of one window, by the layout's font id. The window owns its table.
#include <windows.h>

#include <map>
#include <string>

#include "toolkit/paint/gdi_handle.h"

namespace toolkit {

struct FontSpec {
  std::wstring face;
  int size = 12;  // pixel height
  bool bold = false;
  bool underline = false;
  bool italic = false;
};

class FontTable {
 public:
  FontTable();
  FontTable(const FontTable&) = delete;
  FontTable& operator=(const FontTable&) = delete;

  // Replaces the default font (first: face "Tahoma", size 12); fonts made from it are dropped.
  void setDefault(const FontSpec& font);
  void add(int id, const FontSpec& font);
  bool has(int id) const { return specs_.count(id) != 0; }
  // The font of id; an unknown id or -1 gives the default. Made on first use and owned here:
  // the handle stays valid until that id's font is replaced or the table is destroyed.
  HFONT get(int id) const;
  // The same font with underline, for underlined markup runs.
  HFONT underlined(int id) const;
  // The font as it was added, its size in 96-DPI pixels.
  const FontSpec& describe(int id) const;
  // The DPI the fonts are made for (96 at first); a change drops the fonts made so far.
  void setDpi(int dpi);
  int dpi() const { return dpi_; }

 private:
  HFONT make(int id, bool underline) const;
  FontSpec default_;
  int dpi_ = 96;
  std::map<int, FontSpec> specs_;
  // Key: id (-1 for the default) and underline flag.
  mutable std::map<std::pair<int, bool>, UniqueFont> fonts_;
};

}  // namespace toolkit
