// The fields of the 50-byte link header of the older calculator family.
//
// The items of that family do not keep their header as a block: each run of
// header bytes that means something is owned by a field object that reads
// itself from a received header (ReadHeader, which checks it first and
// leaves the field unchanged when the bytes are refused) and writes itself
// into a header under construction (WriteHeader). Both return 1 on success
// and 0 for a null buffer or a length other than 50.
//
// The header as the fields divide it (an unset byte is 0xFF throughout):
//   1-3 kind ("TXT", "FNC", "VAL", "IMG", "MEM")   5-6 code
//   7-10 data length + 2, or two 16-bit counts (big-endian; the records write them)
//   11-18 name (11-17 short name and 18 relation for graph functions)
//   19-26 group   27-34 password   27-33 seven-byte field   27-44 graph style
//   27-28 value type ('R'/'C', 0x0A)   29-36 reserved   34-41 eight-byte field
//   35-42 program mode ("NL"/"BN" in 35-36)
// Texts are padded with 0xFF and carry no terminator.
#pragma once

#include "platform/ByteOrder.h"
#include "datamodel/QXStorable.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

constexpr int kOldHeaderLength = 50;
constexpr BYTE kUnsetByte = 0xFF;

inline BOOL IsOldHeader(const BYTE* header, int length) { return header && length == kOldHeaderLength; }


// Fills a header with 0xFF and writes the three kind letters at 1-3.
void StartOldHeader(BYTE* header, const char* kind);
// TRUE when bytes 1-3 of the header hold `kind`.
BOOL HasOldHeaderKind(const BYTE* header, const char* kind);

// The bytes Offset .. Offset+Length-1 of the header.
template <int Offset, int Length>
class CQXHeaderRun : public CQXHeaderField {
 public:
  static constexpr int kOffset = Offset;
  static constexpr int kLength = Length;

  CQXHeaderRun() { m_bytes.fill(kUnsetByte); }

  int ReadHeader(const BYTE* header, int length) override {
    if (!IsOldHeader(header, length) || !Accepts(header + Offset)) return 0;
    std::memcpy(m_bytes.data(), header + Offset, Length);
    return 1;
  }
  int WriteHeader(BYTE* header, int length) override {
    if (!IsOldHeader(header, length)) return 0;
    std::memcpy(header + Offset, m_bytes.data(), Length);
    return 1;
  }
  // TRUE when the header's bytes equal the field's.
  BOOL Matches(const BYTE* header, int length) const {
    return IsOldHeader(header, length) && std::memcmp(header + Offset, m_bytes.data(), Length) == 0;
  }
  const BYTE* Bytes() const { return m_bytes.data(); }
  BYTE GetByte(int i) const { return i >= 0 && i < Length ? m_bytes[size_t(i)] : 0; }
  bool operator==(const CQXHeaderRun& other) const { return m_bytes == other.m_bytes; }

 protected:
  // The check a received run must pass.
  virtual BOOL Accepts(const BYTE*) const { return TRUE; }
  std::array<BYTE, Length> m_bytes;
};

// A run that holds a text padded with 0xFF. GetName needs a buffer of at
// least MinBuffer characters and cuts the text to what the buffer holds.
template <int Offset, int Length, UINT MinBuffer>
class CQXTextRun : public CQXHeaderRun<Offset, Length> {
 public:
  // Refuses a text longer than the field; else pads it with 0xFF.
  BOOL SetName(const char* text) {
    const size_t n = text ? std::strlen(text) : 0;
    if (n > size_t(Length)) return FALSE;
    this->m_bytes.fill(kUnsetByte);
    if (n) std::memcpy(this->m_bytes.data(), text, n);
    return TRUE;
  }
  // The text up to the first 0xFF, cut to size-1 characters and a NUL;
  // FALSE (nothing written) for a null buffer or one below MinBuffer.
  BOOL GetName(char* buffer, UINT size) const {
    if (!buffer || size < MinBuffer || size == 0) return FALSE;
    const std::string text = GetText();
    const size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return TRUE;
  }
  std::string GetText() const {
    size_t n = 0;
    while (n < size_t(Length) && this->m_bytes[n] != kUnsetByte) ++n;
    return std::string(reinterpret_cast<const char*>(this->m_bytes.data()), n);
  }
  // TRUE when the first four bytes are unset.
  BOOL IsEmpty() const {
    for (int i = 0; i < 4 && i < Length; ++i)
      if (this->m_bytes[size_t(i)] != kUnsetByte) return FALSE;
    return TRUE;
  }
  // The whole padded field equals `text` padded the same way, so "f1" does
  // not match "f10".
  BOOL Equals(const char* text) const {
    const size_t n = text ? std::strlen(text) : 0;
    if (n > size_t(Length)) return FALSE;
    std::array<BYTE, Length> padded;
    padded.fill(kUnsetByte);
    if (n) std::memcpy(padded.data(), text, n);
    return padded == this->m_bytes;
  }
  // Copies n bytes (at most the field's length) and pads with 0xFF.
  BOOL Set(const BYTE* bytes, UINT n) {
    if (n > UINT(Length) || (n && !bytes)) return FALSE;
    this->m_bytes.fill(kUnsetByte);
    if (n) std::memcpy(this->m_bytes.data(), bytes, n);
    return TRUE;
  }
};

// A text run that is also kept in the document: dword 8, then the 8 bytes.
template <int Offset>
class CQXStoredTextRun : public CQXTextRun<Offset, 8, 7> {
 public:
  // The dword is read and ignored; the 8 bytes follow.
  void Load(COrvoArchive& ar) override {
    ar.ReadDwordValue();
    ar.Read(this->m_bytes.data(), 8);
  }
  void Store(COrvoArchive& ar) override {
    ar.WriteDwordValue(8);
    ar.Write(this->m_bytes.data(), 8);
  }
  DWORD GetStoredSize() override { return 12; }
};

class CQXNameField : public CQXTextRun<11, 8, 7> {};
class CQXStoredNameField : public CQXStoredTextRun<11> {};
// Behaves exactly like CQXStoredNameField; a class of its own so that its
// owners can tell the two apart.
class CQXStoredNameFieldB : public CQXStoredTextRun<11> {};
class CQXShortNameField : public CQXTextRun<11, 7, 6> {};
class CQXPasswordField : public CQXTextRun<27, 8, 7> {};
class CQXSevenByteField : public CQXTextRun<27, 7, 6> {};
class CQXEightByteField : public CQXTextRun<34, 8, 7> {};

// The sixteen group names (8 bytes, 0x99 a calculator character).
BOOL IsGroupName(const std::string& text);

// Bytes 19-26: empty, or one of the sixteen group names.
class CQXGroupField : public CQXStoredTextRun<19> {
 public:
  BOOL IsSet() const { return !GetText().empty(); }

 protected:
  BOOL Accepts(const BYTE* run) const override;
};

// Byte 18: '=', '>', '<', 0x12 (>=) or 0x10 (<=).
class CQXRelationField : public CQXHeaderRun<18, 1> {
 public:
  static BOOL IsRelation(BYTE b);
  BOOL Set(BYTE relation);
  BYTE Get() const { return m_bytes[0]; }

 protected:
  BOOL Accepts(const BYTE* run) const override { return IsRelation(run[0]); }
};

// Bytes 29-36: all 0xFF.
class CQXReservedField : public CQXHeaderRun<29, 8> {
 protected:
  BOOL Accepts(const BYTE* run) const override;
};

// Bytes 35-42: "NL" (normal) or "BN" (BASE-N) in 35-36, or unset.
class CQXProgModeField : public CQXHeaderRun<35, 8> {
 public:
  // Accepts a text of at most 8 characters that begins with "NL", "BN" or
  // two 0xFF bytes.
  BOOL Set(const char* text);
  BOOL IsBaseN() const { return m_bytes[0] == 'B' && m_bytes[1] == 'N'; }
  void SetBaseN(BOOL baseN) { Set(baseN ? "BN" : "NL"); }

 protected:
  BOOL Accepts(const BYTE* run) const override;
};

// Kind letters 1-3 and code letters 5-6. The code must belong to the kind.
// WriteHeader writes only the code: the composite record writes the kind.
class CQXKindField : public CQXHeaderField {
 public:
  CQXKindField();
  // TRUE when the pair is one of the family's kinds and codes.
  static BOOL IsKindAndCode(const BYTE* kind, const BYTE* code);
  // Refuses a pair that is not one of the family's.
  BOOL Set(const char* kind, const char* code);
  int ReadHeader(const BYTE* header, int length) override;
  int WriteHeader(BYTE* header, int length) override;
  // TRUE when the header's bytes 5-6 equal the field's code.
  BOOL Matches(const BYTE* header, int length) const;
  std::string GetKind() const;
  std::string GetCode() const;

 private:
  std::array<BYTE, 3> m_kind;
  std::array<BYTE, 2> m_code;
};

// Graph style: code 5-6 and the style block 27-44 (nine two-letter codes:
// three triples of graph type, colour and selection state).
// "GF": types "GR", "DY", "GT" in this order; "RF": type "RT" and "a0"/"a1"
// at 35-36 (the rest stays 0xFF). Colours "BL", "OR", "GN"; states "SL", "NS".
class CQXGraphStyleField : public CQXHeaderField {
 public:
  static constexpr int kStyleOffset = 27;
  static constexpr int kStyleLength = 18;
  CQXGraphStyleField();
  // The defaults of "GF" or "RF"; 0 for any other code.
  BOOL SetDefault(const char* code);
  // Copies the 18 style bytes; FALSE for a buffer below 18.
  BOOL Get(BYTE* buffer, UINT size) const;
  // Takes 18 style bytes that pass the check of the field's code.
  BOOL Set(const BYTE* style);
  int ReadHeader(const BYTE* header, int length) override;
  int WriteHeader(BYTE* header, int length) override;
  std::string GetCode() const { return std::string(reinterpret_cast<const char*>(m_code.data()), 2); }
  const BYTE* Style() const { return m_style.data(); }
  static BOOL IsValidStyle(const BYTE* code, const BYTE* style);

 private:
  std::array<BYTE, 2> m_code;
  std::array<BYTE, kStyleLength> m_style;
};
