#include "classlib/SettingsTable.h"

#include "classlib/ProfileSettings.h"

#include <cstring>

namespace tallix::settings {
namespace {

using T = SettingType;

SettingDefinition integer(const char* section, const char* key, int def) {
  return {section, key, T::Integer, true, def, nullptr, nullptr};
}
SettingDefinition text(const char* section, const char* key, const char* def) {
  return {section, key, T::String, def != nullptr, 0, def, nullptr};
}
SettingDefinition binary(const char* section, const char* key, const char* def) {
  return {section, key, T::Binary, def != nullptr, 0, nullptr, def};
}

std::vector<SettingDefinition> build() {
  return {
      // Window, frame and document.
      text(kSettings, "WndPosition", nullptr),
      integer(kSettings, "WndStatus", 0),
      integer(kSettings, "Query Snd Overwrite", 1),
      integer(kSettings, "Query Rcv Overwrite", 1),
      integer(kSettings, "Status Bar", 1),
      integer(kSettings, "Toolbar", 1),
      integer(kSettings, "Calc Pane width", 200),
      text(kSettings, "Menu File", ""),
      binary(kSettings, "Page Margin", "16-byte RECT of the page margins"),
      text(kSettings, "Language DLL", nullptr),
      integer(kSettings, "QXL Font Check", 1),
      text(kSettings, "Default Calculator", ""),
      integer(kSettings, "List Format", 1),
      integer(kSettings, "LV Col1 Width", 100),
      integer(kSettings, "LV Col2 Width", 200),
      // Data pages and printing.
      integer(kSettings, "Max Columns Rows", 255),
      integer(kSettings, "Round to 10 Digits", 1),
      integer(kSettings, "Data Page List Height", 114),
      integer(kSettings, "Use Calculator Width", 0),
      integer(kSettings, "Print Header", 1),
      integer(kSettings, "Print Footer", 1),
      text(kSettings, "Download Folder", ""),
      // The folder of the last file chosen in a file dialog, where the next
      // one starts; kept by platform/FileDialog.cpp through the profile.
      text(kSettings, "Last Folder", ""),
      binary(kSettings, "Program Editor Font", "long font record (76 bytes)"),
      binary(kSettings, "Desc Page Font", "short font record (72 bytes)"),
      // Picture colours, COLORREF 0x00BBGGRR.
      integer(kColors, "Green", 0x00FF00),
      integer(kColors, "Blue", 0xFF0000),
      integer(kColors, "Orange", 0x0000FF),
      integer(kColors, "BW", 0x000000),
      integer(kColors, "Background", 0xFFFFFF),
      integer(kColors, "Background BW", 0xFFFFFF),
      integer(kColors, "Orange min", 0x00005A),
      integer(kColors, "Orange max", 0x9696FF),
      integer(kColors, "Blue min", 0x000000),
      integer(kColors, "Blue max", 0xFF9696),
      integer(kColors, "Green min", 0x005A00),
      integer(kColors, "Green max", 0x96FF96),
      integer(kColors, "Background min", 0xFFFFFF),
      integer(kColors, "Background max", 0xFFFFFF),
      binary(kColors, "Custom Colors", "16 COLORREFs of the colour dialog (64 bytes)"),
      // Serial link.
      integer(kCommSettings, "DTR", 0),
      integer(kCommSettings, "RTS", 1),
      integer(kCommSettings, "Port", 1),
      text(kCommSettings, "Baud", "9600"),
      integer(kCommSettings, "Parity", 0),
      text(kCommSettings, "Cable", "TALLIX"),
      integer(kCommSettings, "Read Size", 1),
      integer(kCommSettings, "Write Size", 1),
      integer(kCommSettings, "SND char wait time", 0),
      // Token editing, command lists and macros.
      binary(kTokenView, "User def Cmds", nullptr),
      binary(kTokenView, "Last Used Cmds", nullptr),
      integer(kEditCmdList, "Last Command", 0),
      integer(kEditCmdList, "Cmd Font Select", 0),
      integer(kEditCmdList, "Cmd List Export", 0),
      integer(kEditCmdList, "Cmd Extended", 0),
      integer(kEditCmdList, "Cmd Hex Values", 0),
      integer(kEditCmdList, "Cmd Export Numerical", 0),
      integer(kEditCmdList, "Cmd Font Size Factor", 1),
      binary(kEditCmdList, "Cmd Font", "long font record (76 bytes)"),
      text(kEditMacroList, "Macro File", ""),
      text(kEditMacroList, "Last Selected Macro", ""),
      integer(kDisplayPage, "Zoom Factor", 1),
      // Column widths of the sensor list dialog (ListHelpers.h).
      text(kSensorDialog, "List Width", ""),
      // Property pages resize only with old common controls, which this
      // platform never has.
      integer(kCommonCtrl, "Property Page Resize", 0),
      // The recent files, most recent first; written at exit.
      text(kRecentFileList, "File1", ""),
      text(kRecentFileList, "File2", ""),
      text(kRecentFileList, "File3", ""),
      text(kRecentFileList, "File4", ""),
      // Keys of sections that the command panes and lists choose.
      integer(nullptr, "Last View", 0),
      integer(nullptr, "Sort List", 0),
      integer(nullptr, "Sort List Column", 0),
      integer(nullptr, "Last Selected Cmd", 0),
      integer(nullptr, "LUC max", 50),
      // The label path of a command tree's selected item.
      binary(nullptr, "Cmd Tree Last Item", nullptr),
      // Column widths of a list (ListHelpers.h): the key is the caller's too.
      text(nullptr, nullptr, ""),
  };
}

bool sameName(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

const std::vector<SettingDefinition>& definitions() {
  static const std::vector<SettingDefinition> table = build();
  return table;
}

const SettingDefinition* find(const char* section, const char* key) {
  for (const SettingDefinition& d : definitions())
    if (d.key && sameName(d.key, key) && (!d.section || sameName(d.section, section))) return &d;
  return nullptr;
}

int readInt(const char* section, const char* key) {
  const SettingDefinition* d = find(section, key);
  const int def = d && d->type == SettingType::Integer ? d->intDefault : 0;
  return AppGetProfileInt(section, key, def);
}

std::string readString(const char* section, const char* key) {
  const SettingDefinition* d = find(section, key);
  const char* def = d && d->type == SettingType::String ? d->stringDefault : nullptr;
  std::string out;
  AppGetProfileString(&out, section, key, def);
  return out;
}

}  // namespace tallix::settings
