#include "datamodel/ModelLookups.h"

#include "services/ProgramServices.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/PrivateProfile.h"

#include <cstdio>
#include <cstring>
#include <string>

BOOL IsKnownCalculatorType(const char* type) {
  if (!type) return FALSE;
  for (const char* known : {"FXALGEBRA20", "GRPH100P", "FX9850", "FX7400"})
    if (std::strcmp(type, known) == 0) return TRUE;
  return FALSE;
}

BOOL GetDefaultCalculator(std::string* out) {
  if (!out) return FALSE;
  AppGetProfileString(out, tallix::settings::kSettings, "Default Calculator", "");
  return out->empty() ? FALSE : TRUE;
}

void ReadCalculatorSetting(const char* model, std::string* out) {
  if (out) ReadModelType(model, out);
}

BOOL LoadCharConvertTable(const char* model, DWORD* table, UINT entries) {
  if (!table || entries < kCharConvertEntries) return FALSE;
  std::string section;
  ReadModelString(&section, model, "Char Convert Table", "Default Char Convert Table");
  if (section.empty()) return FALSE;
  const std::string file = GetProgramFilePath("CharCnv.lst");

  for (UINT i = 0; i < entries; ++i) table[i] = 0;
  // The list is read once for all its questions.
  const tallix::IniSnapshot list(file);
  // Entry 255 is never filled: the calculator has no character to type there.
  for (int i = 0; i < 255; ++i) {
    const std::string prefix = std::to_string(i);
    const int c = int(list.readInt(section, prefix + " Char", -1));
    if (c < 0 || c > 255) continue;
    int t = int(list.readInt(section, prefix + " Table", -1));
    if (t < 0 || t > 255) t = 0;
    table[i] = DWORD(t) << 16 | DWORD(c);
  }
  return TRUE;
}

BOOL ReadScreenFormat(const char* model, ScreenFormat* out) {
  std::string picture;
  ReadModelString(&picture, model, "Picture Format", "");
  if (picture.empty() || picture.size() > 60) return FALSE;
  // Fields the text does not supply stay 0.
  int planes = 0, extra = 0, origin = 0;
  char scan = 0, ink = 0, bitOrder = 0;
  std::sscanf(picture.c_str(), "%d,%d,%d,%c,%c,%c", &planes, &extra, &origin, &scan, &ink, &bitOrder);
  std::string screen;
  ReadModelString(&screen, model, "Screen Size", "");
  if (screen.empty() || screen.size() > 60) return FALSE;
  int width = 128, height = 64;
  std::sscanf(screen.c_str(), "%d,%d", &width, &height);

  out->size = 48;
  out->flags = 1;
  out->reserved = 0;
  out->height = height;
  out->width = width;
  out->origin = origin;
  out->scan = static_cast<signed char>(scan);
  out->bitOrder = static_cast<signed char>(bitOrder);
  out->ink = static_cast<signed char>(ink);
  out->planes = planes;
  out->extra = extra;
  out->data = nullptr;
  out->dataSize = 0;
  return TRUE;
}
