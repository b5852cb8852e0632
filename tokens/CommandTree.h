// The command tree as a plain list of nodes, without widgets: the items below
// the tree's root item in depth-first order, each with its level (the root's
// children have level 1), label and value (a command's list item value; 0
// and `folder` for a folder). The token list file's "Command Tree" stream,
// the tree's text form and the tree control all go through this list.
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <vector>

class COrvoArchive;
class CQXCommandTable;

struct CQXCommandTreeNode {
  int level = 1;
  std::string label;
  DWORD value = 0;
  bool folder = true;

  bool operator==(const CQXCommandTreeNode&) const = default;
};
using CQXCommandTreeNodes = std::vector<CQXCommandTreeNode>;

// Labels in the stream are read with a 1024-byte buffer.
inline constexpr DWORD kTreeLabelMax = 1023;
// The deepest level a tree holds (the tree text's bound).
inline constexpr int kTreeLevelMax = 16;

// Writes the records (level, text length, text, value, 0) and the end mark
// -1. Throws COrvoArchiveException.
void WriteCommandTreeRecords(COrvoArchive& ar, const CQXCommandTreeNodes& nodes);
// Reads records up to the end mark and places them as the tree control
// does: a record whose level is below the current depth climbs that many
// folders (never above the root); one above it goes into the last folder
// inserted; nothing goes deeper than kTreeLevelMax (deeper records go at
// that level). `nodes` receives the placed tree with its real levels. Returns
// false, `nodes` holding what was read, when a text length is above 1023
// (the load ends there); throws COrvoArchiveException when the stream ends
// early.
bool ReadCommandTreeRecords(COrvoArchive& ar, CQXCommandTreeNodes* nodes);

// Reads tree text lines into the tree below `target` (the index of a node,
// or -1 for the root item) as the tree control's paste does: the first line
// gives the base level, later lines are placed relative to it, never below
// kTreeLevelMax; malformed lines are skipped. Returns the index of the first node inserted, or -1;
// `inserted` receives the indices of all nodes inserted.
int ReadTreeText(const std::vector<std::string>& lines, CQXCommandTreeNodes* nodes, int target = -1,
                 std::vector<int>* inserted = nullptr);
// The text lines of node `index` and, for a folder, of everything below it.
std::vector<std::string> WriteTreeText(const CQXCommandTreeNodes& nodes, int index);

// Brings the tree in line with a command table: a command whose value the
// table lacks is removed, one whose label differs from the command's
// characters is relabelled. `kept` receives the former index of every node
// that stays, in order.
void AlignTreeWithTable(CQXCommandTreeNodes* nodes, const CQXCommandTable& table, std::vector<int>* kept = nullptr);

// "Cmd Tree Last Item": the labels from the top-level item down to the
// selected one, each NUL-terminated, then one more NUL.
std::vector<BYTE> EncodeTreeSelectionPath(const std::vector<std::string>& labels);
// False for a value that does not end in the final NUL.
bool DecodeTreeSelectionPath(const std::vector<BYTE>& value, std::vector<std::string>* labels);
// Follows a label path from the root item (`rootLabel`, the top level) down
// the tree, matching labels exactly, and sets *matched to the node index of
// the deepest match (-1 for the root item, -2 for none). True when the last
// label looked up matched; an empty first label is true at once.
bool MatchTreeSelectionPath(const std::string& rootLabel, const CQXCommandTreeNodes& nodes,
                            const std::vector<std::string>& labels, int* matched);
