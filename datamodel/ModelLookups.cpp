#include "datamodel/ModelLookups.h"

#include "app/ProgramServices.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/PrivateProfile.h"

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
  // Entry 255 is never filled: the calculator has no character to type there.
  for (int i = 0; i < 255; ++i) {
    const std::string prefix = std::to_string(i);
    const int c = int(GetPrivateProfileInt(section.c_str(), (prefix + " Char").c_str(), -1, file.c_str()));
    if (c < 0 || c > 255) continue;
    int t = int(GetPrivateProfileInt(section.c_str(), (prefix + " Table").c_str(), -1, file.c_str()));
    if (t < 0 || t > 255) t = 0;
    table[i] = DWORD(t) << 16 | DWORD(c);
  }
  return TRUE;
}
