// Properties and property sections as compound files keep them in a property
// set stream (all numbers little-endian):
// - a property: 32-bit type, the value, zero fill to a multiple of 4;
// - a section: {size, count}, count pairs {id, offset from the section
//   start}, then the properties; property 0 is the dictionary (names of
//   ids), written without a type word and without fill.
//
// Stored values are kept as their serialized bytes without the type word:
// counted types (strings, blobs, stream and storage names) as a 32-bit length
// and the bytes, UTF-16 strings as a 32-bit character count and the
// characters, vectors as a 32-bit element count and the elements.
//
// Readers trust nothing in the stream: every count, length and offset is
// checked against the bytes that are left before anything is allocated or
// sought, and a set never takes more value bytes than its stream holds.
#pragma once

#include "platform/storage/Storage.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Variant type codes of stored properties.
constexpr DWORD VT_EMPTY = 0;
constexpr DWORD VT_I2 = 2;
constexpr DWORD VT_I4 = 3;
constexpr DWORD VT_R4 = 4;
constexpr DWORD VT_R8 = 5;
constexpr DWORD VT_CY = 6;
constexpr DWORD VT_DATE = 7;
constexpr DWORD VT_BSTR = 8;
constexpr DWORD VT_BOOL = 11;
constexpr DWORD VT_VARIANT = 12;
constexpr DWORD VT_I8 = 20;
constexpr DWORD VT_LPSTR = 30;
constexpr DWORD VT_LPWSTR = 31;
constexpr DWORD VT_FILETIME = 64;
constexpr DWORD VT_BLOB = 65;
constexpr DWORD VT_STREAM = 66;
constexpr DWORD VT_STORAGE = 67;
constexpr DWORD VT_STREAMED_OBJECT = 68;
constexpr DWORD VT_STORED_OBJECT = 69;
constexpr DWORD VT_BLOB_OBJECT = 70;
constexpr DWORD VT_CF = 71;
constexpr DWORD VT_CLSID = 72;
constexpr DWORD VT_VECTOR = 0x1000;

// The bytes a set reader may still take into value blocks; null: no limit.
using PropertyReadBudget = std::uint64_t;

class CQXProperty {
 public:
  CQXProperty() = default;
  CQXProperty(DWORD id, const void* value, DWORD type) { Set(id, value, type); }

  // Copies the value into a new block. VT_BSTR, VT_LPSTR and VT_STREAM to
  // VT_STORED_OBJECT take a NUL-terminated string and get the length prefix;
  // VT_LPWSTR takes a NUL-terminated UTF-16 string; other counted types and
  // vectors take a block that already holds its length or count; fixed-size
  // types take their value. A null value leaves an empty block. FALSE (and
  // the property unchanged) for a type without a known size.
  BOOL Set(DWORD id, const void* value, DWORD type);
  // The value: past the length prefix for counted types (`size` = the length
  // or character count), the whole block of a vector (`size` = its bytes),
  // else the value itself (`size` = the element size). Null when empty.
  const BYTE* Get(DWORD* size) const;

  DWORD GetId() const { return m_id; }
  DWORD GetType() const { return m_type; }
  void SetId(DWORD id) { m_id = id; }

  // Type, value and zero fill at the stream's position.
  BOOL Write(IStream* stream) const;
  // Reads type and value at the stream's position; the id stays as it was.
  BOOL Read(IStream* stream, PropertyReadBudget* budget = nullptr);

 private:
  DWORD m_id = 0;
  DWORD m_type = VT_EMPTY;
  std::vector<BYTE> m_value;
};

class CQXPropertySection {
 public:
  CQXPropertySection() = default;
  explicit CQXPropertySection(const GUID& formatId) : m_formatId(formatId) {}

  const GUID& GetFormatId() const { return m_formatId; }
  void SetFormatId(const GUID& formatId) { m_formatId = formatId; }
  // As last read or written.
  DWORD GetSize() const { return m_size; }
  DWORD GetCount() const { return m_count; }

  // Replaces the value of an existing id, else appends a new property.
  BOOL Set(DWORD id, const void* value, DWORD type);
  // The value of the first property with `id` (see CQXProperty::Get), or null.
  const BYTE* Get(DWORD id, DWORD* size) const;
  const CQXProperty* Find(DWORD id) const;
  // The properties in their order in the section (property 0, the
  // dictionary, appears once the section has been written).
  const std::vector<std::unique_ptr<CQXProperty>>& GetProperties() const { return m_properties; }

  // Names the id in the dictionary; id 0 names the section.
  void SetName(DWORD id, const char* name);
  const std::map<DWORD, std::string>& GetNames() const { return m_names; }
  const std::string& GetSectionName() const { return m_sectionName; }

  void RemoveAll();

  // Writes the section at the stream's position and leaves the stream at its
  // end; a property 0 standing for the dictionary is appended when missing.
  BOOL Write(IStream* stream);
  // Reads the section at `sectionOffset` from the start of the stream.
  BOOL Read(IStream* stream, DWORD sectionOffset, PropertyReadBudget* budget = nullptr);

 private:
  CQXProperty* FindProperty(DWORD id) const;
  BOOL WriteDictionary(IStream* stream) const;
  BOOL ReadDictionary(IStream* stream, PropertyReadBudget* budget);

  GUID m_formatId;
  DWORD m_size = 0;
  DWORD m_count = 0;
  std::vector<std::unique_ptr<CQXProperty>> m_properties;
  std::map<DWORD, std::string> m_names;
  std::string m_sectionName;
};

// Exact reads, writes and seeks on a property set stream; all FALSE on a
// failure or a short transfer.
namespace tallix::propset {
BOOL ReadExact(IStream* stream, void* out, ULONG size);
BOOL WriteExact(IStream* stream, const void* data, ULONG size);
BOOL ReadDword(IStream* stream, DWORD* out);
BOOL WriteDword(IStream* stream, DWORD value);
BOOL Tell(IStream* stream, std::uint64_t* position);
BOOL SeekTo(IStream* stream, std::uint64_t position);
// The bytes from the position to the end of the stream.
BOOL BytesLeft(IStream* stream, std::uint64_t* left);
}  // namespace tallix::propset
