// The stored command tree and command lists, read into and written from the
// controls that show them (the file and profile work is in TokenListFile.h
// and StoredCommandLists.h).
#pragma once

#include "platform/WinTypes.h"

#include <vector>

class CQXCmdListCtrl;
class CQXCmdTreeCtrl;
class CQXCommandTable;

// Replaces the tree by the root item and the file's command tree, the root
// expanded. On failure (message 61733 or 61706) the tree stays as it was.
BOOL ReadCommandTree(const char* path, CQXCmdTreeCtrl* tree);
// Writes the items below the root into the file's command tree.
BOOL WriteCommandTree(const char* path, CQXCmdTreeCtrl* tree);

// Replaces the rows by the commands of `values` that `table` holds, in
// that order; the row count.
int FillCommandValues(CQXCmdListCtrl* list, const CQXCommandTable& table, const std::vector<DWORD>& values);

void SaveUserCmdList(const CQXCmdListCtrl* list);
void SaveLastUsedCmdList(const CQXCmdListCtrl* list);
// Replaces the rows by the stored commands that `table` holds.
int LoadUserCmdList(CQXCmdListCtrl* list, const CQXCommandTable& table);
int LoadLastUsedCmdList(CQXCmdListCtrl* list, const CQXCommandTable& table);

// The label path of the selected item (from the root item down).
void SaveTreeSelectionPath(const CQXCmdTreeCtrl* tree, const char* section, const char* key);
// Selects, expands and shows the deepest item the stored path leads to;
// TRUE when the whole path matched. Nothing for an empty tree or no value.
BOOL RestoreTreeSelectionPath(CQXCmdTreeCtrl* tree, const char* section, const char* key);
