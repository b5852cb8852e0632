// Stored records: every object the document keeps in an item stream reads and
// writes itself through a COrvoArchive.
//
// Framing (dwords little-endian):
// - a composite record is a 16-byte header (tag, three dwords written 0 and
//   read unchecked), the fields, and the end mark 0xFEEF0000 | tag;
// - a leaf record is dword tag, dword byte count n, n bytes.
// A wrong tag, count, length or end mark throws COrvoArchiveException code 7.
#pragma once

#include "datamodel/OrvoArchive.h"

#include <string>
#include <vector>

class CQXStorable {
 public:
  virtual ~CQXStorable() = default;
  virtual void Load(COrvoArchive&) {}
  virtual void Store(COrvoArchive&) {}
  // The number of bytes Store writes.
  virtual DWORD GetStoredSize() { return 0; }
};

// Base of the header field records of the 50-byte family, the value grid and
// the leaf records.
class CQXStoredPart : public CQXStorable {};

// Base of the leaf records of the older family.
class CQXLeafRecord : public CQXStoredPart {};

// A stored part that also reads and writes its field of a 50-byte link
// header; both return 0 unless a class says otherwise.
class CQXHeaderField : public CQXStoredPart {
 public:
  virtual int ReadHeader(const BYTE* header, int length);
  virtual int WriteHeader(BYTE* header, int length);
};

constexpr DWORD EndMarkOf(DWORD tag) { return 0xFEEF0000u | (tag & 0xFFFFu); }

class CQXRecordHeader {
 public:
  CQXRecordHeader() = default;
  explicit CQXRecordHeader(DWORD tag) : m_tag(tag) {}
  void Store(COrvoArchive& ar) const;
  void Load(COrvoArchive& ar);
  BOOL IsTag(DWORD tag) const { return m_tag == tag; }
  DWORD GetTag() const { return m_tag; }
  static constexpr DWORD GetSize() { return 16; }

 private:
  DWORD m_tag = 0;
  DWORD m_reserved[3] = {0, 0, 0};
};

// Composite record framing.
void BeginRecord(COrvoArchive& ar, DWORD tag);   // reads the header; code 7 for another tag
void EndRecord(COrvoArchive& ar, DWORD tag);     // reads and checks the end mark
void WriteRecordStart(COrvoArchive& ar, DWORD tag);
void WriteRecordEnd(COrvoArchive& ar, DWORD tag);
constexpr DWORD kRecordFrameSize = 16 + 4;

// Leaf record framing: the bytes of a leaf with the given tag, the count
// checked against what the stream holds.
std::vector<BYTE> ReadLeafRecord(COrvoArchive& ar, DWORD tag);
void WriteLeafRecord(COrvoArchive& ar, DWORD tag, const void* bytes, DWORD count);
// Reads a dword that must equal `expected` (a count a class relies on).
void ExpectDword(COrvoArchive& ar, DWORD expected);

// A storable text: leaf record with tag 1101.
class CQXText : public CQXStorable {
 public:
  static constexpr DWORD kTag = 1101;
  CQXText() = default;
  explicit CQXText(const char* text) { SetText(text); }
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return 8 + DWORD(m_text.size()); }

  void SetText(const char* text) { m_text = text ? text : ""; }
  // At most size-1 characters and a terminating zero.
  void GetText(char* buffer, UINT size) const;
  const std::string& Text() const { return m_text; }

 private:
  std::string m_text;
};

// The user's free description of a stored item: formatted text bytes with a
// format value (4 for a new description).
class CQXDescription : public CQXStorable {
 public:
  static constexpr DWORD kTag = 1102;
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return 16 + 4 + 4 + DWORD(m_bytes.size()) + 4; }

  DWORD GetFormat() const { return m_format; }
  void SetFormat(DWORD format) { m_format = format; }
  const std::vector<BYTE>& GetBytes() const { return m_bytes; }
  void SetBytes(std::vector<BYTE> bytes) { m_bytes = std::move(bytes); }

 private:
  DWORD m_format = 4;
  std::vector<BYTE> m_bytes;
};
