#include "olddata/OldListItems.h"

#include "platform/ByteOrder.h"

namespace qxl16 {

namespace {

template <class T>
CObject* Create() {
  return new T;
}

constexpr WORD kRawRecord = 1;
constexpr WORD kDataRecord = 2;

}  // namespace

const OldRuntimeClass COrvoQXListItem::classCOrvoQXListItem{"COrvoQXListItem", 0, &Create<COrvoQXListItem>};
const OldRuntimeClass COrvoQXListItemNP::classCOrvoQXListItemNP{"COrvoQXListItemNP", 0, &Create<COrvoQXListItemNP>};
const OldRuntimeClass COrvoQXListItemMCS::classCOrvoQXListItemMCS{"COrvoQXListItemMCS", 0,
                                                                   &Create<COrvoQXListItemMCS>};
const OldRuntimeClass COrvoGDF2Data::classCOrvoGDF2Data{"COrvoGDF2Data", 0, &Create<COrvoGDF2Data>};
const OldRuntimeClass COrvoGDF2Header::classCOrvoGDF2Header{"COrvoGDF2Header", 0, &Create<COrvoGDF2Header>};
const OldRuntimeClass COrvoGDF2StaticData::classCOrvoGDF2StaticData{"COrvoGDF2StaticData", 0, nullptr};
const OldRuntimeClass COrvoGDF2StaticHeader::classCOrvoGDF2StaticHeader{"COrvoGDF2StaticHeader", 0, nullptr};

const OldRuntimeClass* COldArchive::FindClass(const std::string& name) {
  for (const OldRuntimeClass* cls :
       {&COrvoQXListItem::classCOrvoQXListItem, &COrvoQXListItemMCS::classCOrvoQXListItemMCS,
        &COrvoQXListItemNP::classCOrvoQXListItemNP, &COrvoGDF2Header::classCOrvoGDF2Header,
        &COrvoGDF2Data::classCOrvoGDF2Data})
    if (name == cls->name) return cls;
  return nullptr;
}

void COrvoQXListItem::Serialize(COldArchive& ar) {
  ar.Bytes16(m_data);
  ar.Dword(m_dwReserved);
  ar.Word(m_wAttrA);
  ar.Word(m_wAttrB);
  ar.Dword(m_dwFlags);
  ar.Word(m_nKind);
  ar.String(m_strName);
  ar.Word(m_nModel);
  ar.Word(m_nLast);
  DWORD zero = 0;
  ar.Dword(zero);
  ar.Dword(zero);
}

void COrvoQXListItemBlocks::Serialize(COldArchive& ar) {
  COrvoQXListItem::Serialize(ar);
  ar.Fixed(m_text1, sizeof m_text1);
  ar.Fixed(m_text2, sizeof m_text2);
  if (ar.IsStoring()) {
    ar.WriteWord(WORD(m_records.size()));
    for (OrvoBlockRecord& record : m_records) {
      if (!record.bytes.empty()) {
        ar.WriteWord(kRawRecord);
        ar.Bytes16(record.bytes);
      } else {
        ar.WriteWord(kDataRecord);
        if (record.data) record.data->Serialize(ar);
        else ar.WriteDword(0);
      }
    }
    return;
  }
  const WORD count = ar.ReadWord();
  ar.CheckCount(count, 2);  // every record has at least its kind word
  m_records.clear();
  m_records.reserve(count);
  for (WORD i = 0; i < count; ++i) {
    OrvoBlockRecord record;
    const WORD kind = ar.ReadWord();
    if (kind == kRawRecord) {
      ar.Bytes16(record.bytes);
    } else if (kind == kDataRecord) {
      record.data = std::make_unique<COrvoGDF2StaticData>();
      record.data->Serialize(ar);
    }
    // Any other kind is kept as an empty record.
    m_records.push_back(std::move(record));
  }
}

bool OrvoBlockRecord::GetSource(const BYTE** address, std::size_t* length) const {
  if (!bytes.empty()) {
    *address = bytes.data();
    *length = bytes.size();
    return true;
  }
  return data && data->GetFirstItem(address, length);
}

bool COrvoGDF2Data::GetItem(std::size_t group, std::size_t item, const BYTE** address, std::size_t* length) const {
  const BYTE* block = m_block.data();
  const std::size_t size = m_block.size();
  if (size < 8) return false;
  const std::size_t groups = GetLittleEndian32(block + 4);
  std::size_t pos = 8;
  for (std::size_t g = 0;; ++g) {
    if (g >= groups || size - pos < 4) return false;
    const std::size_t groupSize = GetLittleEndian32(block + pos);
    pos += 4;
    if (groupSize > size - pos) return false;
    const std::size_t end = pos + groupSize;
    if (g < group) {
      pos = end;
      continue;
    }
    for (std::size_t i = 0;; ++i) {
      if (end - pos < 4) return false;
      const std::size_t itemLength = GetLittleEndian32(block + pos);
      pos += 4;
      if (itemLength > end - pos) return false;
      if (i == item) {
        *address = block + pos;
        *length = itemLength;
        return true;
      }
      const std::size_t padded = (itemLength + 3) & ~std::size_t(3);
      if (padded > end - pos) return false;
      pos += padded;
    }
  }
}

}  // namespace qxl16
