// Services of the document and main window that the lower layers use without
// depending on the window classes: paths in the program directory, item
// paths of the item store, and the calculator model list "QXGraph.lst".
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <vector>

// The program directory joined with `fileName`; FALSE (and `out` emptied)
// when the result does not fit `size` characters with its NUL.
BOOL GetProgramFilePath(const char* fileName, char* out, UINT size);
std::string GetProgramFilePath(const char* fileName);

// The folder part of an item path ("\A\B" -> "\A", "\A" -> "\"): 0 when the
// path is empty, does not begin with a backslash, `size` is at most 1 or the
// result does not fit; else its length.
UINT GetItemFolderPath(const char* path, char* out, UINT size);
// The text after the last backslash: 0 when the path is empty, has no
// backslash or the name does not fit; else its length.
UINT GetItemNameFromPath(const char* path, char* out, UINT size);

// Readers of the model list, read anew on every call: a missing file or
// section gives the defaults.
BOOL ReadModelType(const char* model, std::string* out);       // "Calculator Type", default "FX9850"
// Program-directory path of "Token List"; FALSE and empty for a name that
// leaves the directory.
BOOL ReadModelTokenList(const char* model, std::string* out);
// "Token List" as a relative path with '/' separators (the file name the
// program directory and the data folder share); FALSE for a name with a
// ".." part, which would lead out of them.
BOOL ReadModelTokenListName(const char* model, std::string* out);
int ReadModelInt(const char* model, const char* key, int defaultValue);
// Any string key, at most 259 characters; a null default stands for "".
std::string* ReadModelString(std::string* out, const char* model, const char* key, const char* defaultValue);

// The model names of the list's [Calculator] section, in file order.
class CalculatorModelList {
 public:
  BOOL Load(const char* filePath);
  int GetCount() const { return int(models_.size()); }
  BOOL GetAt(int index, std::string* out) const;

 private:
  std::vector<std::string> models_;
};
