// Every section, key, type and default of the program's profile in one
// table. The owners of the settings read them through the profile wrappers
// (ProfileSettings.h) with the defaults listed here; the table is the single
// place that says what the profile may hold.
#pragma once

#include <string>
#include <vector>

namespace tallix::settings {

// Sections of the profile.
inline constexpr char kSettings[] = "Settings";
inline constexpr char kColors[] = "Colors";
inline constexpr char kCommSettings[] = "Comm Settings";
inline constexpr char kTokenView[] = "Token View";
inline constexpr char kEditCmdList[] = "Edit Cmd List";
inline constexpr char kEditMacroList[] = "Edit Macro List";
inline constexpr char kDisplayPage[] = "Display Page";
inline constexpr char kCommonCtrl[] = "Common Ctrl";
inline constexpr char kSensorDialog[] = "Sensor Dialog";
// Kept by the application object (platform/WinApp.h), which reads it
// through the profile directly.
inline constexpr char kRecentFileList[] = "Recent File List";

enum class SettingType { Integer, String, Binary };

struct SettingDefinition {
  const char* section;  // null: a section the caller chooses (lists, command panes)
  const char* key;
  SettingType type;
  bool hasDefault;            // false: absent until written, the owner copes ("WndPosition")
  int intDefault;             // integers
  const char* stringDefault;  // texts
  const char* binaryDefault;  // binaries: what the owner uses when the value is absent
};

const std::vector<SettingDefinition>& definitions();

// The definition of `key` in `section`; a key of a caller-chosen section is
// found under any section. Null when the profile has no such setting.
const SettingDefinition* find(const char* section, const char* key);

// The stored value, or the table's default when absent. A key that is not
// in the table, or not of the type asked, reads as 0 or "".
int readInt(const char* section, const char* key);
std::string readString(const char* section, const char* key);

}  // namespace tallix::settings
