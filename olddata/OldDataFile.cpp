#include "olddata/OldDataFile.h"

#include <new>
#include <string>

namespace qxl16 {

namespace {

// A collection: its count, then that many tagged objects.
void ReadCollection(COldArchive& ar, std::vector<CObject*>& list) {
  const DWORD count = ar.ReadCount();
  ar.CheckCount(count, 2);  // every element has at least its tag
  list.reserve(count);
  for (DWORD i = 0; i < count; ++i) list.push_back(ar.ReadObject());
}

}  // namespace

void CQXOldDataFile::Clear() {
  for (auto* list : {&m_calcInfo, &m_programs, &m_second, &m_screenCopies, &m_transfers}) list->clear();
  m_objects.clear();
}

int CQXOldDataFile::Open(const char* path) {
  Clear();
  if (!CFile::Open(path, modeRead)) return 1;
  int result = 0;
  try {
    result = Parse(ReadAll());
  } catch (const OldDataError&) {
    result = 2;
  } catch (const std::bad_alloc&) {
    result = 10;
  }
  // Everything is in memory: a later change by another program cannot tear
  // what was read.
  Close();
  if (result != 0) Clear();
  return result;
}

int CQXOldDataFile::Parse(const std::vector<BYTE>& bytes) {
  if (bytes.size() < 2) return 2;
  // The version digits are stored plain: undo the mask the read applied.
  m_nMajor = unsigned(BYTE(bytes[0] ^ kMask)) - '0';
  m_nMinor = unsigned(BYTE(bytes[1] ^ kMask)) - '0';
  if (m_nMajor < 2) return 4;
  if (m_nMajor > 3) return 3;

  COldArchive ar(bytes.data() + 2, bytes.size() - 2, &m_objects);
  std::string signature;
  ar.String(signature);
  if (signature != kSignature) return 2;
  ar.Skip(36);
  ar.Skip(4);
  const WORD schema = ar.ReadWord();
  if (schema != 6 && schema != 7) return 4;
  ar.Skip(80);
  for (auto* list : {&m_calcInfo, &m_programs, &m_second, &m_screenCopies, &m_transfers}) ReadCollection(ar, *list);
  return 0;
}

const COrvoQXListItem* CQXOldDataFile::GetCalcInfo() const {
  return m_calcInfo.empty() ? nullptr : dynamic_cast<const COrvoQXListItem*>(m_calcInfo[0]);
}

}  // namespace qxl16
