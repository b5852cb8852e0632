// The older family's memory images: graph memory (4015, "GM"), dynamic
// graph memory (4016, "DM") and data backup (4018, "BU"). Each is one "MEM"
// header and one opaque block of bytes, which travels as one data packet.
//
// The header as the memory record divides it: kind "MEM" 1-3 and code 5-6;
// big-endian data length + 2 at 7-10; name 11-18; two fields the program
// only carries, bytes 27-33 and 34-41. A header read from the calculator
// builds back unchanged in every byte a field owns.
//
// Stored: record header (tag = type id); the name field (dword 8, 8 bytes;
// the only part of the memory record kept in the document, the rest is
// rebuilt from the header image that follows); dword 1; the 50-byte header
// as BuildHeader makes it; the byte block (tag 1003); the end mark.
#pragma once

#include "datamodel/QXByteRecords.h"
#include "datamodel/QXCalcItem.h"
#include "datamodel/QXHeaderFields.h"

class CQXMemHeaderRecord : public CQXStoredPart {
 public:
  // Only the name is stored.
  void Load(COrvoArchive& ar) override { name.Load(ar); }
  void Store(COrvoArchive& ar) override { name.Store(ar); }
  DWORD GetStoredSize() override { return name.GetStoredSize(); }

  CQXKindField kind;
  CQXStoredNameFieldB name;
  CQXSevenByteField seven;
  CQXEightByteField eight;
  CQXByteBlob data;
};

class CQXMemImageItem : public CQXCalcItem {
 public:
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // "MEM", the item's code, the data length + 2, the name and the two
  // carried fields.
  BOOL BuildHeader(BYTE* header, int size);
  // Takes a "MEM" header with the item's own code and a length of at least
  // 2 whose fields all accept their bytes; FALSE and nothing changed
  // otherwise.
  BOOL ParseHeader(const BYTE* header, int size);

  // The memory image out (FALSE when the buffer is smaller) and in.
  BOOL GetBytes(BYTE* buffer, int size) const;
  BOOL SetBytes(const BYTE* bytes, int length);
  DWORD GetLength() const { return m_record.data.GetLength(); }

  const char* GetDataCode() const { return m_code; }
  CQXMemHeaderRecord& GetRecord() { return m_record; }

 protected:
  explicit CQXMemImageItem(const char* code);
  CQXMemHeaderRecord m_record;

 private:
  const char* m_code;
};

class CQXGraphMemItem : public CQXMemImageItem {
 public:
  static constexpr int kTypeId = 4015;
  CQXGraphMemItem() : CQXMemImageItem("GM") {}
  int GetTypeId() const override { return kTypeId; }
  // String 10335, a blank and the memory's number (name character 5).
  void GetDisplayName(char* buffer, UINT size) override;
  // The name 'G', 0x99, "Mem" and the last character of the path.
  BOOL TakeNameFromPath(const char* path) override;
  // "GMem" and name character 5, which must be '1'..'6'.
  BOOL GetDocName(char* buffer, UINT size) const;
};

class CQXDynaGraphMemV4Item : public CQXMemImageItem {
 public:
  static constexpr int kTypeId = 4016;
  CQXDynaGraphMemV4Item() : CQXMemImageItem("DM") {}
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override;  // string 10336
};

class CQXBackupV4Item : public CQXMemImageItem {
 public:
  static constexpr int kTypeId = 4018;
  CQXBackupV4Item() : CQXMemImageItem("BU") {}
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override;  // string 10340
};
