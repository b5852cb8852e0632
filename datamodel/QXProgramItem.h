// The program item (type 4001): one calculator program with its name,
// optional password, BASE-N mode and token text. Both model families send
// and receive programs through it.
#pragma once

#include "datamodel/QXCalcItem.h"
#include "datamodel/QXTextRecords.h"

class CQXProgramItem : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 4001;

  int GetTypeId() const override { return kTypeId; }
  // The program's own name.
  void GetDisplayName(char* buffer, UINT size) override;
  // "<length> Longueur de programme (Octet) <*> <B>": the text length without
  // its end byte, '*' for a password, 'B' for BASE-N.
  BOOL GetDetailText(CQXDetailTextRecord* record) override;

  // Stored: record header (tag 4001), the program record (tag 1300), end
  // mark 0xFEEF0FA1.
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return kRecordFrameSize + m_record.GetStoredSize(); }

  // The 50-byte "TXT" "PG" header; TRUE on success.
  BOOL BuildHeader(BYTE* header, int size) { return m_record.BuildHeader(header, size); }
  BOOL ParseHeader(const BYTE* header, int size) { return m_record.ParseHeader(header, size); }

  BOOL HasPassword() const;
  BOOL GetPassword(char* buffer, int size) const;
  BOOL SetPassword(const char* password) { return m_record.GetPasswordField().SetName(password); }
  BOOL SetName(const char* name) { return m_record.GetNameField().SetName(name); }

  // The token text as the data packet carries it (end byte included).
  BOOL GetDataBlock(BYTE* buffer, int size) const;
  BOOL SetDataBlock(const BYTE* data, int length);
  DWORD GetLength() const { return m_record.GetTextLength(); }
  void ClearText() { m_record.ClearText(); }

  BOOL IsBaseN() const { return m_record.IsBaseN(); }
  void SetBaseN(BOOL baseN) { m_record.SetBaseN(baseN); }
  CQXProgramRecord& GetRecord() { return m_record; }
  const CQXProgramRecord& GetRecord() const { return m_record; }

 private:
  CQXProgramRecord m_record;
};
