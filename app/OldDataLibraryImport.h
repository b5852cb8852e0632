// The document's import of old files through the old-data library QXL16Data
// and the two importers; the program installs it at start-up.
#pragma once

#include "app/OldFileImport.h"

class CQXOldDataLibraryImport : public CQXOldFileImport {
 public:
  int Open(const char* path, void** handle) override;
  int GetCalcName(void* handle, char* buffer, UINT size) override;
  int GetCalcType(void* handle, char* buffer, UINT size) override;
  void Close(void* handle) override;
  int Convert(void* handle, BOOL newer, CQXDoc* doc, int* skipped) override;
};
