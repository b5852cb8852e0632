// The command pane's lists kept in the profile section "Token View":
// "User def Cmds" and "Last Used Cmds" hold 16-bit little-endian token codes
// (table byte low, number byte high), two bytes per command, in list order.
// The lists themselves carry list item values (number << 16 | table).
#pragma once

#include "tokens/CommandTree.h"
#include "tokens/QXCommandTable.h"

#include <string>
#include <vector>

void SaveUserCmdList(const std::vector<DWORD>& values);
void SaveLastUsedCmdList(const std::vector<DWORD>& values);
// The stored commands that `table` holds, as list item values; codes the
// table lacks are dropped, a value shorter than two bytes is an empty list.
std::vector<DWORD> LoadUserCmdList(const CQXCommandTable& table);
std::vector<DWORD> LoadLastUsedCmdList(const CQXCommandTable& table);

// "Cmd Tree Last Item" of a section: the label path of the selected tree
// item (see EncodeTreeSelectionPath).
void SaveTreeSelectionPath(const char* section, const char* key, const std::vector<std::string>& labels);
// False when the value is missing or malformed.
bool LoadTreeSelectionPath(const char* section, const char* key, std::vector<std::string>* labels);
