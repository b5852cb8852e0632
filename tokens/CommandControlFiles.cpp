#include "tokens/CommandControlFiles.h"

#include "tokens/CmdListCtrl.h"
#include "tokens/CmdTreeCtrl.h"
#include "tokens/StoredCommandLists.h"
#include "tokens/TokenListFile.h"

#include <algorithm>

BOOL ReadCommandTree(const char* path, CQXCmdTreeCtrl* tree) {
  if (!tree) return FALSE;
  CQXCommandTreeNodes nodes;
  if (!ReadCommandTree(path, &nodes)) return FALSE;
  tree->SetCommandNodes(nodes);
  return TRUE;
}

BOOL WriteCommandTree(const char* path, CQXCmdTreeCtrl* tree) {
  return tree ? WriteCommandTree(path, tree->GetCommandNodes()) : FALSE;
}

void SaveUserCmdList(const CQXCmdListCtrl* list) {
  if (list) SaveUserCmdList(list->GetCommandValues());
}

void SaveLastUsedCmdList(const CQXCmdListCtrl* list) {
  if (list) SaveLastUsedCmdList(list->GetCommandValues());
}

int FillCommandValues(CQXCmdListCtrl* list, const CQXCommandTable& table, const std::vector<DWORD>& values) {
  if (!list) return 0;
  list->DeleteAllItems();
  for (DWORD value : values)
    if (const CQXCommandTable::Entry* entry = table.FindCommand(CommandValueTable(value), CommandValueNumber(value)))
      list->InsertCommand(list->GetItemCount(), value, *entry);
  return list->GetItemCount();
}

int LoadUserCmdList(CQXCmdListCtrl* list, const CQXCommandTable& table) {
  return FillCommandValues(list, table, LoadUserCmdList(table));
}

int LoadLastUsedCmdList(CQXCmdListCtrl* list, const CQXCommandTable& table) {
  return FillCommandValues(list, table, LoadLastUsedCmdList(table));
}

void SaveTreeSelectionPath(const CQXCmdTreeCtrl* tree, const char* section, const char* key) {
  if (!tree) return;
  std::vector<std::string> labels;
  for (HTREEITEM item = tree->GetSelectedItem(); item; item = tree->GetParentItem(item))
    labels.insert(labels.begin(), tree->LabelBytes(item));
  SaveTreeSelectionPath(section, key, labels);
}

BOOL RestoreTreeSelectionPath(CQXCmdTreeCtrl* tree, const char* section, const char* key) {
  HTREEITEM root = tree ? tree->GetRootItem() : nullptr;
  std::vector<std::string> labels;
  if (!root || !LoadTreeSelectionPath(section, key, &labels)) return FALSE;
  std::vector<HTREEITEM> items;
  const CQXCommandTreeNodes nodes = tree->GetCommandNodes(&items);
  int matched = -2;
  const bool whole = MatchTreeSelectionPath(tree->LabelBytes(root), nodes, labels, &matched);
  if (matched >= -1) {
    HTREEITEM item = matched == -1 ? root : items[std::size_t(matched)];
    tree->SelectItem(item);
    tree->Expand(item, TVE_EXPAND);
    tree->EnsureVisible(item);
  }
  return whole;
}
