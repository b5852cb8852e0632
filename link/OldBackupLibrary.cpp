#include "link/OldBackupLibrary.h"

namespace {

COldBackupLibrary libraryFunctions() { return {&qxl16_ReadBackupFile, &qxl16_Free}; }

COldBackupLibrary& current() {
  static COldBackupLibrary library = libraryFunctions();
  return library;
}

}  // namespace

const COldBackupLibrary& GetOldBackupLibrary() { return current(); }

COldBackupLibrary SetOldBackupLibrary(COldBackupLibrary library) {
  COldBackupLibrary previous = current();
  current() = (library.readBackupFile && library.free) ? std::move(library) : libraryFunctions();
  return previous;
}
