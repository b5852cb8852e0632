#include "app/OldDataLibraryImport.h"

#include "app/OldDataImporter.h"
#include "app/QXDoc.h"
#include "olddata/QXL16Data.h"

#include <climits>
#include <memory>
#include <new>

namespace {

qxl16_Handle handleOf(void* handle) { return static_cast<qxl16_Handle>(handle); }
int sizeOf(UINT size) { return size > UINT(INT_MAX) ? INT_MAX : int(size); }

}  // namespace

int CQXOldDataLibraryImport::Open(const char* path, void** handle) {
  qxl16_Handle opened = nullptr;
  const int result = qxl16_Open(path, &opened);
  *handle = opened;
  return result;
}

int CQXOldDataLibraryImport::GetCalcName(void* handle, char* buffer, UINT size) {
  return qxl16_GetCalcName(handleOf(handle), buffer, sizeOf(size));
}

int CQXOldDataLibraryImport::GetCalcType(void* handle, char* buffer, UINT size) {
  return qxl16_GetCalcType(handleOf(handle), buffer, sizeOf(size));
}

void CQXOldDataLibraryImport::Close(void* handle) { qxl16_Close(handleOf(handle)); }

int CQXOldDataLibraryImport::Convert(void* handle, BOOL newer, CQXDoc* doc, int* skipped) {
  if (skipped) *skipped = 0;
  try {
    std::unique_ptr<CQXOldDataImporter> importer;
    if (newer)
      importer = std::make_unique<CQXOldDataImporterAlgebra>(doc);
    else
      importer = std::make_unique<CQXOldDataImporterFX9850>(doc);
    const int result = importer->Run(handleOf(handle));
    if (skipped) *skipped = importer->GetSkippedCount();
    return result;
  } catch (const std::bad_alloc&) {
    return CQXOldDataImporter::kNoMemory;
  }
}
