// The two functions of the old-data library QXL16Data that backup files use:
// reading an older backup file (".qxb") into a record chain and freeing the
// chain. Backup files reach them only through here, so that tests can hand
// in record chains built by hand.
#pragma once

#include "olddata/QXL16Data.h"

#include <functional>

struct COldBackupLibrary {
  std::function<int(const char* path, qxl16_Record** out)> readBackupFile;
  std::function<int(qxl16_Record* first)> free;
};

// The functions in use: the library's own unless a test replaced them.
const COldBackupLibrary& GetOldBackupLibrary();
// Replaces them; an object with an empty function restores the library's
// own. Returns the previous pair.
COldBackupLibrary SetOldBackupLibrary(COldBackupLibrary library);
