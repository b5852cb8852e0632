// The folders and item slots of a new document, one table per calculator
// family. A row with a folder name (and no item prefix) makes that folder at
// its level; a row with an item prefix makes `count` slots in the folder of
// the level above, named prefix + number ("%c" from 48 on, "%d" below,
// nothing for start 0). Descriptions come from the string table, followed by
// the number when the row has a start.
#include "app/QXDoc.h"

#include "datamodel/OrvoItemStore.h"
#include "platform/LanguageLibrary.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct FolderRow {
  int level;
  const char* folder;
  const char* prefix;
  DWORD type;
  UINT descriptionId;  // 0: the model name
  int start;
  int count;
};

// The "File1" .. "File6" folders with their lists.
#define FILE_FOLDER(n, listType, lists) {2, "File" #n, nullptr, 0, 10342, n, 1}, {3, nullptr, "List", listType, 10306, 1, lists}

const FolderRow kNewerRows[] = {
    {0, "Calculator", nullptr, 0, 0, 0, 1},
    {1, "Program", nullptr, 4001, 10303, 0, 1},
    {1, "Matrix", nullptr, 0, 10305, 0, 1},
    {2, nullptr, "Mat_", 5004, 10304, 'A', 26},
    {1, "List", nullptr, 0, 10307, 0, 1},
    {2, nullptr, "List", 5005, 10306, 1, 20},
    {1, "Y=Data", nullptr, 0, 10308, 0, 1},
    {2, nullptr, "GraphFunctions", 5002, 10310, 0, 1},
    {2, nullptr, "VWin", 5006, 10312, 0, 1},
    {2, nullptr, "VWinRight", 5006, 10315, 0, 1},
    {2, nullptr, "GraphFactor", 5007, 10314, 0, 1},
    {2, nullptr, "TableRange", 5008, 10316, 0, 1},
    {2, nullptr, "Recursion", 5009, 10318, 0, 1},
    {1, "File", nullptr, 0, 10341, 0, 1},
    FILE_FOLDER(1, 5005, 20),
    FILE_FOLDER(2, 5005, 20),
    FILE_FOLDER(3, 5005, 20),
    FILE_FOLDER(4, 5005, 20),
    FILE_FOLDER(5, 5005, 20),
    FILE_FOLDER(6, 5005, 20),
    {1, "VWin", nullptr, 0, 10312, 0, 1},
    {2, nullptr, "VMem", 5006, 10312, 1, 6},
    {1, nullptr, "Variable", 5010, 10319, 0, 1},
    {1, nullptr, "FMemV5", 5012, 10324, 0, 1},
    {1, "Equation", nullptr, 0, 10327, 0, 1},
    {2, nullptr, "SimlEquation", 5025, 10344, 0, 1},
    {2, nullptr, "PolyEquation", 5026, 10345, 0, 1},
    {2, nullptr, "DiffEquation", 5027, 10350, 0, 1},
    {1, "Picture", nullptr, 0, 10332, 0, 1},
    {2, nullptr, "Picture", 5014, 10333, 1, 20},
    {1, "Memory", nullptr, 0, 10334, 0, 1},
    {2, "GMem", nullptr, 0, 10335, 0, 1},
    {3, nullptr, "GMem", 5015, 10335, 1, 20},
    {2, "AddIn", nullptr, 0, 10356, 0, 1},
    {2, nullptr, "DynMem", 5016, 10336, 0, 1},
    {2, nullptr, "CAS Memory", 5023, 10348, 0, 1},
    {2, nullptr, "Algebra Memory", 5024, 10349, 0, 1},
    {2, nullptr, "E-CON", 5028, 10351, 0, 1},
    {1, "Display", nullptr, 4017, 10338, 0, 1},
};

const FolderRow kFx9850Rows[] = {
    {0, "Calculator", nullptr, 0, 0, 0, 1},
    {1, "Program", nullptr, 4001, 10303, 0, 1},
    {1, "Matrix", nullptr, 0, 10305, 0, 1},
    {2, nullptr, "Mat", 4004, 10304, 'A', 26},
    {1, "List", nullptr, 0, 10307, 0, 1},
    {2, nullptr, "List", 4005, 10306, 1, 6},
    {1, "Y=Data", nullptr, 0, 10308, 0, 1},
    {2, nullptr, "GraphFunctions", 4003, 10310, 0, 1},
    {2, nullptr, "VWin", 4006, 10312, 0, 1},
    {2, nullptr, "GraphFactor", 4007, 10314, 0, 1},
    {2, nullptr, "TableRange", 4008, 10316, 0, 1},
    {2, nullptr, "Recursion", 4009, 10318, 0, 1},
    {1, "File", nullptr, 0, 10341, 0, 1},
    FILE_FOLDER(1, 4005, 6),
    FILE_FOLDER(2, 4005, 6),
    FILE_FOLDER(3, 4005, 6),
    FILE_FOLDER(4, 4005, 6),
    FILE_FOLDER(5, 4005, 6),
    FILE_FOLDER(6, 4005, 6),
    {1, "VWin", nullptr, 0, 10312, 0, 1},
    {2, nullptr, "VWin", 4006, 10312, 1, 6},
    {1, nullptr, "Variable", 4010, 10323, 0, 1},
    {1, nullptr, "FMem", 4012, 10324, 0, 1},
    {1, "Equation", nullptr, 0, 10327, 0, 1},
    {2, nullptr, "SimlEquation", 4019, 10328, 0, 1},
    {2, nullptr, "PolyEquation", 4020, 10329, 0, 1},
    {1, "Picture", nullptr, 0, 10332, 0, 1},
    {2, nullptr, "Picture", 4014, 10333, 1, 6},
    {1, "Memory", nullptr, 0, 10334, 0, 1},
    {2, "GMem", nullptr, 0, 10335, 0, 1},
    {3, nullptr, "GMem", 4015, 10335, 1, 6},
    {2, nullptr, "DynMem", 4016, 10336, 0, 1},
    {1, "Display", nullptr, 4017, 10338, 0, 1},
};

const FolderRow kFx7400Rows[] = {
    {0, "Calculator", nullptr, 0, 0, 0, 1},
    {1, "Program", nullptr, 4001, 10303, 0, 1},
    {1, "List", nullptr, 0, 10307, 0, 1},
    {2, nullptr, "List", 4005, 10306, 1, 6},
    {1, "Y=Data", nullptr, 0, 10308, 0, 1},
    {2, nullptr, "GraphFunctions", 4002, 10310, 0, 1},
    {2, nullptr, "VWin", 4006, 10312, 0, 1},
    {2, nullptr, "GraphFactor", 4007, 10314, 0, 1},
    {2, nullptr, "TableRange", 4008, 10316, 0, 1},
    {1, "VWin", nullptr, 0, 10312, 0, 1},
    {2, nullptr, "VWin", 4006, 10312, 1, 1},
    {1, "Display", nullptr, 4017, 10338, 0, 1},
    {1, nullptr, "Variable", 4011, 10323, 0, 1},
};

#undef FILE_FOLDER

std::string numbered(int number) {
  char text[16];
  std::snprintf(text, sizeof text, number > 47 ? "%c" : "%d", number);
  return text;
}

template <size_t N>
BOOL createRows(const FolderRow (&rows)[N], const char* model, COrvoItemStore* store) {
  std::string levels[8];
  for (const FolderRow& row : rows) {
    if (row.folder) levels[row.level] = row.folder;
    // A folder row lies at its own level, an item row in the folder above.
    const int depth = row.folder ? row.level : row.level - 1;
    std::string parent;
    for (int i = 0; i <= depth; ++i) parent += '\\' + levels[i];
    if (row.folder) parent.resize(parent.size() - levels[row.level].size() - 1);
    for (int n = 0; n < row.count; ++n) {
      OrvoNodeInfo node;
      std::string name = row.folder ? row.folder : row.prefix;
      if (!row.folder && row.start) name += numbered(row.start + n);
      std::string description = row.descriptionId ? CLanguageLibrary::LoadStringA(row.descriptionId) : model;
      if (row.start) description += ' ' + numbered(row.start + n);
      node.SetPath((parent + '\\' + name).c_str());
      node.SetDescription(description.c_str());
      node.flags = row.folder ? DWORD(kNodeFolder) : 0u;
      node.valueB = row.type;
      if (!store->AddNode(&node)) return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

BOOL CreateDefaultFolders(const char* model, const char* type, COrvoItemStore* store) {
  if (!type || !store) return FALSE;
  const char* name = model ? model : "";
  BOOL created = FALSE;
  if (!std::strcmp(type, "FXALGEBRA20") || !std::strcmp(type, "GRPH100P"))
    created = createRows(kNewerRows, name, store);
  else if (!std::strcmp(type, "FX9850"))
    created = createRows(kFx9850Rows, name, store);
  else if (!std::strcmp(type, "FX7400"))
    created = createRows(kFx7400Rows, name, store);
  if (!created) return FALSE;
  OrvoNodeInfo program;
  program.flags = kNodeSortAscending;
  return store->SetNodeInfo("\\Calculator\\Program", &program, ORVO_SET_ADDFLAGS);
}
