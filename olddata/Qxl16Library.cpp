// The nine exported functions of the old-data provider library QXL16Data.
//
// Nothing is thrown across this interface: every function catches what the
// reader throws and returns a code.
#include "olddata/QXL16Data.h"

#include "olddata/OldDataFile.h"
#include "olddata/OldModelTable.h"
#include "olddata/Qxl16Records.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <new>

using namespace qxl16;

namespace {

// The open documents by handle. Handles count up and are never given out
// twice, so a closed or made-up handle is recognised instead of read.
struct OpenFiles {
  std::map<std::uintptr_t, std::unique_ptr<CQXOldDataFile>> files;
  std::uintptr_t next = 1;
};

OpenFiles& Documents() {
  static OpenFiles open;
  return open;
}

CQXOldDataFile* Lookup(qxl16_Handle handle) {
  const auto found = Documents().files.find(reinterpret_cast<std::uintptr_t>(handle));
  return found == Documents().files.end() ? nullptr : found->second.get();
}

// Runs `body`, turning what escapes it into a code.
template <class F>
int Guarded(F body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return qxl16_OutOfMemory;
  } catch (const OldDataError& error) {
    return error.code;
  } catch (...) {
    return qxl16_BadContent;
  }
}

// A position is the number of the entry it stands at (1 = the first).
int Advance(const std::vector<CObject*>& list, qxl16_Position* position, const CObject** entry) {
  if (list.empty()) return qxl16_Empty;
  const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(*position);
  if (at > list.size()) return qxl16_BadArgument;
  if (at == list.size()) return qxl16_EndOfList;
  *position = reinterpret_cast<qxl16_Position>(at + 1);
  *entry = list[at];
  return *entry ? qxl16_Ok : qxl16_BadContent;
}

using ListOf = const std::vector<CObject*>& (CQXOldDataFile::*)() const;
using Maker = int (*)(const CObject*, RecordChain&);

int GetNext(qxl16_Handle handle, qxl16_Position* position, qxl16_Record** out, ListOf list, Maker make) {
  CQXOldDataFile* file = Lookup(handle);
  if (!file || !out || !position) return qxl16_BadArgument;
  *out = nullptr;
  return Guarded([&] {
    const CObject* entry = nullptr;
    if (const int result = Advance((file->*list)(), position, &entry)) return result;
    RecordChain chain;
    const int result = make(entry, chain);
    if (result == qxl16_Ok) *out = chain.release();
    return result;
  });
}

// Copies the model's name or calculator type into the caller's buffer.
int GetCalcText(qxl16_Handle handle, char* buffer, int size, bool type) {
  CQXOldDataFile* file = Lookup(handle);
  if (!file || !buffer) return qxl16_BadArgument;
  const COrvoQXListItem* info = file->GetCalcInfo();
  const OldModelRow* row = info ? FindOldModel(DWORD(info->m_nModel)) : nullptr;
  if (!row) return qxl16_UnknownCalc;
  if (!row->supported) return qxl16_NotSupported;
  const char* text = type ? row->calcType : row->name;
  const std::size_t length = std::strlen(text);
  if (size <= 0 || length >= std::size_t(size)) return qxl16_BufferTooSmall;
  std::memcpy(buffer, text, length + 1);
  return qxl16_Ok;
}

}  // namespace

QXL16_API int qxl16_Open(const char* path, qxl16_Handle* out) {
  if (!out) return qxl16_BadArgument;
  *out = nullptr;
  if (!path) return qxl16_BadArgument;
  return Guarded([&] {
    auto file = std::make_unique<CQXOldDataFile>();
    if (const int result = file->Open(path)) return result;
    OpenFiles& open = Documents();
    const std::uintptr_t id = open.next++;
    open.files.emplace(id, std::move(file));
    *out = reinterpret_cast<qxl16_Handle>(id);
    return int(qxl16_Ok);
  });
}

QXL16_API int qxl16_Close(qxl16_Handle handle) {
  if (!Lookup(handle)) return qxl16_BadArgument;
  Documents().files.erase(reinterpret_cast<std::uintptr_t>(handle));
  return qxl16_Ok;
}

QXL16_API int qxl16_GetCalcName(qxl16_Handle handle, char* buffer, int size) {
  return GetCalcText(handle, buffer, size, false);
}

QXL16_API int qxl16_GetCalcType(qxl16_Handle handle, char* buffer, int size) {
  return GetCalcText(handle, buffer, size, true);
}

QXL16_API int qxl16_GetProgram(qxl16_Handle handle, qxl16_Position* position, qxl16_Record** out) {
  return GetNext(handle, position, out, &CQXOldDataFile::Programs, &MakeProgramRecord);
}

QXL16_API int qxl16_GetHardCopy(qxl16_Handle handle, qxl16_Position* position, qxl16_Record** out) {
  return GetNext(handle, position, out, &CQXOldDataFile::ScreenCopies, &MakeHardCopyRecord);
}

QXL16_API int qxl16_GetTransferData(qxl16_Handle handle, qxl16_Position* position, qxl16_Record** out) {
  return GetNext(handle, position, out, &CQXOldDataFile::TransferData, &MakeTransferChain);
}

QXL16_API int qxl16_ReadBackupFile(const char* path, qxl16_Record** out) {
  if (!path || !out) return qxl16_BadArgument;
  *out = nullptr;
  return Guarded([&] {
    RecordChain chain;
    const int result = ReadBackupFile(path, chain);
    if (result == qxl16_Ok) *out = chain.release();
    return result;
  });
}

QXL16_API int qxl16_Free(qxl16_Record* record) {
  FreeChain(record);
  return qxl16_Ok;
}
