// An open document of the older version: the masked file and every object
// read from it, kept in memory until the object is destroyed.
//
// Layout: two version digits (stored plain), then, masked, one archive: the
// signature string, 36 + 4 skipped bytes, a 16-bit schema (6 or 7), 80
// skipped bytes, the calculator information array and the program, second,
// screen-copy and transfer-data lists.
#pragma once

#include "olddata/OldFile.h"
#include "olddata/OldListItems.h"

#include <vector>

namespace qxl16 {

class CQXOldDataFile : public COrvoFile {
 public:
  static constexpr const char* kSignature = "TALLIX - BRINDLEWOOD";

  CQXOldDataFile() { SetMask(true); }

  // Opens and reads the document at `path`: 0, or 1 (cannot open), 2 (read
  // failure, wrong signature, malformed archive), 3 (major version above 3),
  // 4 (major version below 2, schema not 6 or 7), 10 (out of memory). The
  // file is read whole and closed again; after a failure nothing is kept.
  int Open(const char* path);

  unsigned GetMajorVersion() const { return m_nMajor; }
  unsigned GetMinorVersion() const { return m_nMinor; }

  // Element 0 of the calculator information when it is a list item.
  const COrvoQXListItem* GetCalcInfo() const;

  const std::vector<CObject*>& CalcInfo() const { return m_calcInfo; }
  const std::vector<CObject*>& Programs() const { return m_programs; }
  const std::vector<CObject*>& SecondList() const { return m_second; }
  const std::vector<CObject*>& ScreenCopies() const { return m_screenCopies; }
  const std::vector<CObject*>& TransferData() const { return m_transfers; }

 private:
  int Parse(const std::vector<BYTE>& bytes);
  void Clear();

  unsigned m_nMajor = 0;
  unsigned m_nMinor = 0;
  ObjectPool m_objects;  // owns everything the lists point at
  std::vector<CObject*> m_calcInfo;
  std::vector<CObject*> m_programs;
  std::vector<CObject*> m_second;
  std::vector<CObject*> m_screenCopies;
  std::vector<CObject*> m_transfers;
};

}  // namespace qxl16
