// Building the records that carry old data to the caller: programs, screen
// copies, transfer chains and backup files. Records come from the C
// allocator; a failure releases whatever was built and hands nothing out.
#pragma once

#include "olddata/OldListItems.h"
#include "olddata/QXL16Data.h"

#include <memory>

namespace qxl16 {

void FreeChain(qxl16_Record* first);

struct ChainDeleter {
  void operator()(qxl16_Record* first) const { FreeChain(first); }
};
using RecordChain = std::unique_ptr<qxl16_Record, ChainDeleter>;

// A program record of the older (NP) or newer (MCS) family; codes 5 and 9.
int MakeProgramRecord(const CObject* entry, RecordChain& out);
// A screen copy; the entry may be of any list-item class, else 5.
int MakeHardCopyRecord(const CObject* entry, RecordChain& out);
// The title record, then one record per block record; codes 5 and 9.
int MakeTransferChain(const CObject* entry, RecordChain& out);
// A backup file of either kind; codes 1, 2, 5, 6.
int ReadBackupFile(const char* path, RecordChain& out);

}  // namespace qxl16
