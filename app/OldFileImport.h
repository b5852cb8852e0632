// How the document reaches the older version's files: the old-data library
// (open, name and type of the calculator, close) and the two converters
// that file its items into a new document. The library's binding installs
// one; without it no old file can be read.
#pragma once

#include "platform/WinTypes.h"

class CQXDoc;

class CQXOldFileImport {
 public:
  virtual ~CQXOldFileImport() = default;

  // Each answers 0 for success, else the library's error code.
  virtual int Open(const char* path, void** handle) = 0;
  virtual int GetCalcName(void* handle, char* buffer, UINT size) = 0;
  virtual int GetCalcType(void* handle, char* buffer, UINT size) = 0;
  virtual void Close(void* handle) = 0;
  // Files the old document's items into `doc`, with the converter of the
  // older family (`newer` FALSE) or of the newer one: 1 success, 4 out of
  // memory, anything else a failure. `skipped` receives the number of
  // entries that could not be imported.
  virtual int Convert(void* handle, BOOL newer, CQXDoc* doc, int* skipped) = 0;
};

// The installed import, or null.
CQXOldFileImport* GetOldFileImport();
// Returns the previous one.
CQXOldFileImport* SetOldFileImport(CQXOldFileImport* import);
