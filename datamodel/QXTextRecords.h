// The composite records that carry token text with their 50-byte header:
// programs (1300), graph functions and recursion formulas (1301) and function
// memories (1305).
//
// Stored form: dword tag; dword data length + 50; dword 1; the 50-byte header
// as BuildHeader makes it; the data's byte record; dword end mark
// 0xFEEF0000 | tag. Loading requires the tag, the 1 and the end mark and
// applies the header image through ParseHeader.
//
// The text is kept as the data packet carries it: the calculator's tokens
// followed by one end byte (kTextEndByte). Header bytes 7-10 announce the
// data packet's size on the wire: the text length + 2 (':' and checksum).
#pragma once

#include "datamodel/QXByteRecords.h"
#include "datamodel/QXHeaderFields.h"

// The byte that ends a program's or function's token text.
constexpr BYTE kTextEndByte = 0xFF;

// The big-endian 32-bit data length at bytes 7-10 of a 50-byte header; 0
// for a buffer that is not a 50-byte header.
DWORD GetHeaderDataLength(const BYTE* header, int length);

class CQXTextRecord : public CQXStoredPart {
 public:
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return Data().GetStoredSize() + 66; }

  // Fills all 50 bytes and writes the record's fields; 1 on success.
  virtual int BuildHeader(BYTE* header, int length) = 0;
  // Takes a received header when the kind and code are the record's and
  // every field accepts its bytes; 0 (and nothing changed) otherwise.
  virtual int ParseHeader(const BYTE* header, int length) = 0;

  DWORD GetTag() const { return m_tag; }

  // The token text.
  const BYTE* GetText() const { return Data().GetData(); }
  DWORD GetTextLength() const { return Data().GetLength(); }
  void SetText(const BYTE* bytes, DWORD n) { Data().SetData(bytes, n); }
  BOOL CopyText(BYTE* buffer, DWORD size) const { return Data().CopyTo(buffer, size); }
  void ClearText() { Data().Clear(); }

 protected:
  explicit CQXTextRecord(DWORD tag) : m_tag(tag) {}
  CQXTextRecord(const CQXTextRecord&) = default;
  CQXTextRecord& operator=(const CQXTextRecord&) = default;
  virtual CQXByteData& Data() = 0;
  const CQXByteData& Data() const { return const_cast<CQXTextRecord*>(this)->Data(); }
  DWORD DataLength() const { return Data().GetLength(); }
  // Fills the header, writes the kind letters and the length at 7-10.
  static void StartHeader(BYTE* header, const char* kind, DWORD dataLength);

 private:
  DWORD m_tag;
};

// "TXT" "PG": a program's mode, name and password with its token text.
class CQXProgramRecord : public CQXTextRecord {
 public:
  static constexpr DWORD kTag = 1300;
  CQXProgramRecord();

  int BuildHeader(BYTE* header, int length) override;
  int ParseHeader(const BYTE* header, int length) override;

  CQXNameField& GetNameField() { return m_fields.name; }
  const CQXNameField& GetNameField() const { return m_fields.name; }
  CQXPasswordField& GetPasswordField() { return m_fields.password; }
  const CQXPasswordField& GetPasswordField() const { return m_fields.password; }
  BOOL IsBaseN() const { return m_fields.mode.IsBaseN(); }
  void SetBaseN(BOOL baseN) { m_fields.mode.SetBaseN(baseN); }

 protected:
  CQXByteData& Data() override { return m_text; }

 private:
  struct Fields {
    CQXProgModeField mode;
    CQXKindField kind;
    CQXNameField name;
    CQXPasswordField password;
  } m_fields;
  CQXTextBlob m_text;
};

// "FNC" "GF" or "RF": one graph function or recursion formula with its
// style, short name and relation. Its header carries no group of its own.
class CQXGraphFuncRecord : public CQXTextRecord {
 public:
  static constexpr DWORD kTag = 1301;
  CQXGraphFuncRecord();

  int BuildHeader(BYTE* header, int length) override;
  int ParseHeader(const BYTE* header, int length) override;

  // The style defaults of "GF" or "RF", kind "FNC" with that code, the name
  // and the relation '='.
  BOOL SetDefaults(const char* code, const char* name);

  CQXShortNameField& GetNameField() { return m_fields.name; }
  const CQXShortNameField& GetNameField() const { return m_fields.name; }
  CQXRelationField& GetRelationField() { return m_fields.relation; }
  const CQXRelationField& GetRelationField() const { return m_fields.relation; }
  CQXGraphStyleField& GetStyleField() { return m_fields.style; }
  const CQXGraphStyleField& GetStyleField() const { return m_fields.style; }
  std::string GetCode() const { return m_fields.kind.GetCode(); }

 protected:
  CQXByteData& Data() override { return m_text; }

 private:
  struct Fields {
    CQXGraphStyleField style;
    CQXKindField kind;
    CQXShortNameField name;
    CQXRelationField relation;
  } m_fields;
  CQXByteBlob m_text;
};

// "TXT" "FM": one function memory. A received header must carry the
// record's own name. With no text the header announces 3 (one byte of data:
// the end byte alone).
class CQXFuncMemRecord : public CQXTextRecord {
 public:
  static constexpr DWORD kTag = 1305;
  CQXFuncMemRecord();

  int BuildHeader(BYTE* header, int length) override;
  int ParseHeader(const BYTE* header, int length) override;

  BOOL SetName(const char* name) { return m_fields.name.SetName(name); }
  const CQXNameField& GetNameField() const { return m_fields.name; }

 protected:
  CQXByteData& Data() override { return m_text; }

 private:
  struct Fields {
    CQXProgModeField mode;
    CQXKindField kind;
    CQXNameField name;
  } m_fields;
  CQXTextBlob m_text;
};
