// Fuzz target of reading backup files: whatever the file holds, reading its
// description and its entry (a ".qxm", or an older backup through the
// old-data library) fails cleanly or gives an entry that stores again.
// Starting inputs: two ".qxm" files written by WriteBackupFile (one of each
// family) and the old-data library's two backup starting files.
#include "datamodel/QXDocEntry.h"
#include "link/BackupFiles.h"
#include "platform/MessageBox.h"
#include "tests/olddata/FuzzFile.h"
#include "tests/support/MemoryArchive.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    SetMessageBoxHandler([](const MessageBoxRequest&) { return IDOK; });
    return true;
  }();
  (void)quiet;

  tallix::test::FuzzFile file(data, size);
  std::string description;
  ReadBackupDescription(file.path(), &description);
  CQXDocEntry* loaded = nullptr;
  if (!ReadBackupFile(file.path(), &loaded)) return 0;
  std::unique_ptr<CQXDocEntry> entry(loaded);
  tallix::test::MemoryArchive ar;
  try {
    entry->Store(ar);
  } catch (const COrvoArchiveException&) {
    __builtin_trap();
  }
  return 0;
}
