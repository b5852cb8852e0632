// Pictures (5014) and graph memories (5015) of the newer family: a name and
// the bytes as received. "Picture<n>" and "GMem<n>" travel as "PICT<n>" and
// "GMEM<n>".
#pragma once

#include "datamodel/QXCalcItem.h"

#include <cstdint>
#include <string>
#include <vector>

// Stored: record header (tag = type id), dword 10, the 10-byte name, the
// item's own fields, dword n and n bytes, end mark 0xFEEF0000 | type id.
class CQXNamedBytesItem : public CQXCalcItem {
 public:
  // String id, a blank and the number.
  void GetDisplayName(char* buffer, UINT size) override;
  // The item's prefix and the path's leaf name after that prefix.
  BOOL TakeNameFromPath(const char* path) override;
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // The item's prefix and the variable name from its fifth character;
  // FALSE, nothing changed, when no number follows.
  BOOL SetNameFromHeader(const char* variable);
  // The header prefix and the number; FALSE without a number.
  BOOL GetHeaderName(char* buffer, UINT size) const;
  // The name; its length + 1, or 0 when there is none or it does not fit.
  int GetDocName(char* buffer, UINT size) const;
  const std::string& GetName() const { return m_name; }
  // The digits after the prefix, or empty.
  std::string GetNumber() const;

  // Keeps a copy; FALSE for no bytes.
  virtual BOOL SetBytes(const BYTE* bytes, DWORD n);
  // FALSE when `size` is smaller than the length.
  BOOL GetBytes(BYTE* buffer, DWORD size) const;
  DWORD GetLength() const { return DWORD(m_bytes.size()); }
  const BYTE* GetData() const { return m_bytes.empty() ? nullptr : m_bytes.data(); }

 protected:
  CQXNamedBytesItem(const char* prefix, const char* headerPrefix, UINT stringId)
      : m_prefix(prefix), m_headerPrefix(headerPrefix), m_stringId(stringId) {}
  virtual void LoadFields(COrvoArchive&) {}
  virtual void StoreFields(COrvoArchive&) {}
  virtual DWORD GetFieldsSize() { return 0; }
  std::vector<BYTE>& Bytes() { return m_bytes; }

 private:
  BOOL setNumber(const std::string& number);
  const char* m_prefix;
  const char* m_headerPrefix;
  UINT m_stringId;
  std::string m_name;
  std::vector<BYTE> m_bytes;
};

// The picture keeps nine format values after its name: format value (1),
// width (128), height (64), stored plane count (2), planes (1), origin (4),
// scan letter ('U'), bit-order letter ('F'), ink letter ('W').
class CQXPictureV5Item : public CQXNamedBytesItem {
 public:
  static constexpr int kTypeId = 5014;
  struct Format {
    DWORD value = 1;
    DWORD width = 128;
    DWORD height = 64;
    DWORD storedPlanes = 2;
    DWORD planes = 1;
    DWORD origin = 4;
    DWORD scan = 'U';
    DWORD bitOrder = 'F';
    DWORD ink = 'W';
  };

  CQXPictureV5Item() : CQXNamedBytesItem("Picture", "PICT", 10333) {}
  int GetTypeId() const override { return kTypeId; }

  // Also sets the stored plane count: n / (width x height / 8), at least 1.
  BOOL SetBytes(const BYTE* bytes, DWORD n) override;

  // The picture's description with flags bit 0; `data` points into the
  // item's bytes (`dataSize` of them) until the item changes. FALSE for a
  // record whose size is not 48.
  BOOL GetImageFormat(ScreenFormat& format);
  // A new image from the format: width, height and layout (origin, scan,
  // bit order, ink) are taken, and the bytes become two planes, the first
  // copied from the format's data, the second zero. FALSE, nothing changed,
  // for a record whose size is not 48, a size without pixels or data of
  // less than one plane. The stored plane count stays.
  BOOL SetImage(const ScreenFormat& format);
  // The new-picture set-up: SetImage with the model's format and a buffer.
  BOOL TakeNewScreen(const ScreenFormat& format, const BYTE* planes, DWORD size) override;

  const Format& GetFormat() const { return m_format; }
  void SetFormat(const Format& format) { m_format = format; }
  // The bytes of one plane, width x height / 8 (64-bit: stored values may be large).
  std::uint64_t GetPlaneSize() const { return std::uint64_t(m_format.width) * m_format.height / 8; }

 protected:
  void LoadFields(COrvoArchive& ar) override;
  void StoreFields(COrvoArchive& ar) override;
  DWORD GetFieldsSize() override { return 9 * 4; }

 private:
  Format m_format;
};

class CQXGraphMemV5Item : public CQXNamedBytesItem {
 public:
  static constexpr int kTypeId = 5015;
  CQXGraphMemV5Item() : CQXNamedBytesItem("GMem", "GMEM", 10335) {}
  int GetTypeId() const override { return kTypeId; }
};
