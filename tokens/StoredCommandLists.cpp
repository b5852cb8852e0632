#include "tokens/StoredCommandLists.h"

#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"

namespace {

void saveList(const char* key, const std::vector<DWORD>& values) {
  std::vector<BYTE> bytes;
  bytes.reserve(values.size() * 2);
  for (DWORD value : values) {
    bytes.push_back(BYTE(CommandValueTable(value)));
    bytes.push_back(BYTE(CommandValueNumber(value)));
  }
  AppWriteProfileBinary(tallix::settings::kTokenView, key, bytes.data(), UINT(bytes.size()));
}

std::vector<DWORD> loadList(const char* key, const CQXCommandTable& table) {
  std::vector<DWORD> values;
  std::vector<BYTE> bytes;
  if (!tallix::profileBinary(tallix::settings::kTokenView, key, &bytes)) return values;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (table.FindCommand(bytes[i], bytes[i + 1])) values.push_back(MakeCommandValue(bytes[i], bytes[i + 1]));
  }
  return values;
}

}  // namespace

void SaveUserCmdList(const std::vector<DWORD>& values) { saveList("User def Cmds", values); }
void SaveLastUsedCmdList(const std::vector<DWORD>& values) { saveList("Last Used Cmds", values); }
std::vector<DWORD> LoadUserCmdList(const CQXCommandTable& table) { return loadList("User def Cmds", table); }
std::vector<DWORD> LoadLastUsedCmdList(const CQXCommandTable& table) { return loadList("Last Used Cmds", table); }

void SaveTreeSelectionPath(const char* section, const char* key, const std::vector<std::string>& labels) {
  const std::vector<BYTE> value = EncodeTreeSelectionPath(labels);
  AppWriteProfileBinary(section, key, value.data(), UINT(value.size()));
}

bool LoadTreeSelectionPath(const char* section, const char* key, std::vector<std::string>* labels) {
  std::vector<BYTE> value;
  return tallix::profileBinary(section, key, &value) && DecodeTreeSelectionPath(value, labels);
}
