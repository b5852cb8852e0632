#include "olddata/Qxl16Records.h"

#include "platform/ByteOrder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

namespace qxl16 {

namespace {

constexpr std::size_t kOlderHeader = 50;  // ':' and 48 header bytes
constexpr std::size_t kNewerHeader = 40;  // ':' and 38 header bytes
constexpr std::size_t kMinProgramBlock = 39;
constexpr std::size_t kBackupHeader = 136;

qxl16_Record* NewRecord() {
  auto* record = static_cast<qxl16_Record*>(std::calloc(1, sizeof(qxl16_Record)));
  if (!record) throw std::bad_alloc();
  return record;
}

// Appends a new empty record after `last` (or as the first of `chain`).
qxl16_Record* Append(RecordChain& chain, qxl16_Record*& last) {
  qxl16_Record* record = NewRecord();
  if (last) last->next = record;
  else chain.reset(record);
  last = record;
  return record;
}

template <std::size_t N>
void SetText(char (&field)[N], const void* text, std::size_t length) {
  length = std::min(length, N - 1);
  std::memcpy(field, text, length);
  field[length] = 0;
}

// ':' and the first bytes of `source` up to the header length; a short
// source leaves the rest zero.
void SetHeader(qxl16_Record* record, std::size_t headerLength, const BYTE* source, std::size_t sourceLength) {
  record->headerLength = std::uint32_t(headerLength);
  record->header[0] = ':';
  std::memcpy(record->header + 1, source, std::min(sourceLength, headerLength - 2));
}

void SetData(qxl16_Record* record, const BYTE* bytes, std::size_t length) {
  if (length == 0) return;
  record->data = static_cast<unsigned char*>(std::malloc(length));
  if (!record->data) throw std::bad_alloc();
  std::memcpy(record->data, bytes, length);
  record->dataLength = std::uint32_t(length);
}

// The name at program block bytes 10..17, up to the first 0xFF.
void SetProgramName(qxl16_Record* record, const BYTE* block) {
  const BYTE* end = std::find(block + 10, block + 18, BYTE(0xFF));
  SetText(record->name, block + 10, std::size_t(end - (block + 10)));
}

// The first block of a program item: its first block record's bytes.
bool FirstBlock(const COrvoQXListItemBlocks& item, const BYTE** block, std::size_t* length) {
  return !item.m_records.empty() && item.m_records.front().GetSource(block, length) && *length > 0;
}

int OlderProgram(const COrvoQXListItemBlocks& item, qxl16_Record* record) {
  const BYTE* block = nullptr;
  std::size_t length = 0;
  if (!FirstBlock(item, &block, &length) || length < kMinProgramBlock) return 9;
  if (block[4] != 'P' || block[5] != 'G') return 5;
  SetProgramName(record, block);
  const DWORD word = GetBigEndian32(block + 6);
  const std::size_t dataLength = word < 2 ? 0 : word - 2;
  SetHeader(record, kOlderHeader, block, length);
  if (dataLength == 0) return 0;
  // Only what the block holds: a length word that claims more is damage.
  if (length < 48 || dataLength > length - 48) return 5;
  SetData(record, block + 48, dataLength);
  return 0;
}

int NewerProgram(const COrvoQXListItemBlocks& item, qxl16_Record* record) {
  const BYTE* block = nullptr;
  std::size_t length = 0;
  if (!FirstBlock(item, &block, &length) || length < kMinProgramBlock) return 9;
  if (block[9] != 1) return 5;
  SetProgramName(record, block);
  const std::size_t dataLength = GetBigEndian32(block + 5);
  SetHeader(record, kNewerHeader, block, length);
  if (dataLength == 0) return 0;
  if (dataLength > length - 38) return 5;
  SetData(record, block + 38, dataLength);
  return 0;
}

}  // namespace

void FreeChain(qxl16_Record* first) {
  while (first) {
    qxl16_Record* next = first->next;
    std::free(first->data);
    std::free(first);
    first = next;
  }
}

int MakeProgramRecord(const CObject* entry, RecordChain& out) {
  RecordChain chain(NewRecord());
  int result = 5;
  if (auto* np = dynamic_cast<const COrvoQXListItemNP*>(entry)) result = OlderProgram(*np, chain.get());
  else if (auto* mcs = dynamic_cast<const COrvoQXListItemMCS*>(entry)) result = NewerProgram(*mcs, chain.get());
  if (result == 0) out = std::move(chain);
  return result;
}

int MakeHardCopyRecord(const CObject* entry, RecordChain& out) {
  auto* item = dynamic_cast<const COrvoQXListItem*>(entry);
  if (!item) return 5;
  RecordChain chain(NewRecord());
  SetText(chain->name, item->m_strName.data(), item->m_strName.size());
  SetData(chain.get(), item->m_data.data(), item->m_data.size());
  out = std::move(chain);
  return 0;
}

int MakeTransferChain(const CObject* entry, RecordChain& out) {
  auto* item = dynamic_cast<const COrvoQXListItemBlocks*>(entry);
  if (!item) return 5;
  if (item->m_records.empty()) return 9;
  const bool older = dynamic_cast<const COrvoQXListItemNP*>(entry) != nullptr;
  const std::size_t headerLength = older ? kOlderHeader : kNewerHeader;
  const std::size_t dataOffset = headerLength - 2;

  RecordChain chain;
  qxl16_Record* last = nullptr;
  qxl16_Record* title = Append(chain, last);
  // The 32-byte texts need not end in a zero.
  SetText(title->name, item->m_text2, strnlen(reinterpret_cast<const char*>(item->m_text2), sizeof item->m_text2));
  SetText(title->name2, item->m_text1, strnlen(reinterpret_cast<const char*>(item->m_text1), sizeof item->m_text1));
  for (const OrvoBlockRecord& blockRecord : item->m_records) {
    qxl16_Record* record = Append(chain, last);
    const BYTE* source = nullptr;
    std::size_t length = 0;
    if (!blockRecord.GetSource(&source, &length) || length == 0) continue;
    SetHeader(record, headerLength, source, length);
    if (length > dataOffset) SetData(record, source + dataOffset, length - dataOffset);
  }
  out = std::move(chain);
  return 0;
}

namespace {

// One backup block: its first item gives a record with a header of
// `headerLength` and the bytes after it as data.
void AppendBackupRecord(const COrvoGDF2Data& data, std::size_t headerLength, RecordChain& chain,
                        qxl16_Record*& last) {
  const BYTE* item = nullptr;
  std::size_t length = 0;
  if (!data.GetFirstItem(&item, &length) || length < headerLength) ThrowOldData(5);
  qxl16_Record* record = Append(chain, last);
  SetHeader(record, headerLength, item, length);
  SetData(record, item + headerLength - 2, length - (headerLength - 2));
}

int ReadBackupContents(const BYTE* bytes, std::size_t size, bool newer, RecordChain& out) {
  COldArchive ar(bytes, size);
  COrvoGDF2StaticHeader header;
  header.Serialize(ar);
  RecordChain chain;
  qxl16_Record* last = nullptr;
  if (!newer) {
    COrvoGDF2StaticData data;
    data.Serialize(ar);
    AppendBackupRecord(data, kOlderHeader, chain, last);
    SetText(chain->name, "Backup V4", 9);
  } else {
    const DWORD count = ar.ReadDword();
    // Each block takes at least its 4-byte count in the file.
    if (count == 0 || count > ar.Remaining() / 4) return 5;
    for (DWORD i = 0; i < count; ++i) {
      COrvoGDF2StaticData data;
      data.Serialize(ar);
      AppendBackupRecord(data, kNewerHeader, chain, last);
    }
    SetText(chain->name, "Backup V5", 9);
  }
  out = std::move(chain);
  return 0;
}

}  // namespace

int ReadBackupFile(const char* path, RecordChain& out) {
  CFile file;
  if (!file.Open(path, CFile::modeRead)) return 1;
  std::vector<BYTE> bytes;
  try {
    bytes = file.ReadAll();
  } catch (const OldDataError&) {
    return 2;
  }
  file.Close();
  if (bytes.size() < 2 || std::size_t(bytes[0] | bytes[1] << 8) != kBackupHeader || bytes.size() < 2 + kBackupHeader) return 2;
  // From header byte 4 on: a zero-terminated text naming the kind.
  const char* text = reinterpret_cast<const char*>(bytes.data() + 2 + 4);
  const std::string_view kind(text, strnlen(text, kBackupHeader - 4));
  bool newer = false;
  if (kind == "QX MCS1 BACK UP FILE") newer = true;
  else if (kind != "QX BACK UP FILE") return 6;
  try {
    return ReadBackupContents(bytes.data() + 2 + kBackupHeader, bytes.size() - 2 - kBackupHeader, newer, out);
  } catch (const OldDataError&) {
    return 5;
  }
}

}  // namespace qxl16
