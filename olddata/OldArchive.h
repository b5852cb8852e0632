// The serialized-object archive of the older version's files: stored objects
// with their class tags, counts and strings, read from bytes in memory or
// written into a byte buffer.
//
// Loading checks every length and count against the bytes left; a damaged or
// malformed archive throws OldDataError with code 2.
//
// Object forms: a 16-bit tag. 0 is no object; 0xFFFF a class not seen
// before (16-bit schema, 16-bit name length, name), then the object; a tag
// with bit 15 set a class seen before by index (tag & 0x7FFF), then the
// object; any other tag an object read before, by index. 0x7FFF announces a
// 32-bit tag in which bit 31 plays the part of bit 15. Classes and objects
// share one numbering from 1 in order of first appearance.
#pragma once

#include "olddata/OldFile.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qxl16 {

class CObject;

// The run-time class of a stored object: its name in the archive, schema and
// factory (null for classes the archive never creates).
struct OldRuntimeClass {
  const char* name;
  WORD schema;
  CObject* (*create)();
};

class CObject {
 public:
  virtual ~CObject() = default;
  virtual const OldRuntimeClass* GetRuntimeClass() const = 0;
  virtual void Serialize(class COldArchive& ar) = 0;
};

// Every object the archive loads, owned in one place: lists and references
// only point into it, so no object is ever deleted twice.
using ObjectPool = std::vector<std::unique_ptr<CObject>>;

class COldArchive {
 public:
  // Loading over `size` bytes at `data`; created objects go into `pool`.
  COldArchive(const BYTE* data, std::size_t size, ObjectPool* pool = nullptr);
  // Storing: appends to `out`.
  explicit COldArchive(std::vector<BYTE>& out);

  bool IsStoring() const { return m_out != nullptr; }
  bool IsLoading() const { return m_out == nullptr; }
  std::size_t Remaining() const { return m_size - m_pos; }

  // Loading: throws code 2 unless `count` elements of at least `minSize`
  // bytes each still fit in the bytes left.
  void CheckCount(std::size_t count, std::size_t minSize) const;

  BYTE ReadByte();
  WORD ReadWord();
  DWORD ReadDword();
  void Read(void* buffer, std::size_t count);
  void Skip(std::size_t count);
  void WriteWord(WORD value);
  void WriteDword(DWORD value);
  void Write(const void* buffer, std::size_t count);

  // Exchanges in the archive's direction.
  void Word(WORD& value);
  void Word(int& value);  // an int kept as 16 bits; loads without sign
  void Dword(DWORD& value);
  void Fixed(BYTE* bytes, std::size_t count);
  // A 16-bit length and that many bytes.
  void Bytes16(std::vector<BYTE>& bytes);
  // A 32-bit length and that many bytes.
  void Bytes32(std::vector<BYTE>& bytes);
  // A length byte (0xFF: a 16-bit length follows; 0xFFFF: a 32-bit one)
  // and the characters.
  void String(std::string& text);

  // Collection counts: 16 bits, 0xFFFF announcing 32 bits.
  DWORD ReadCount();
  void WriteCount(DWORD count);

  // Tagged objects. Loading returns null for the null tag.
  CObject* ReadObject();
  void WriteObject(CObject* object);

  // The classes loading creates by name.
  static const OldRuntimeClass* FindClass(const std::string& name);

 private:
  const BYTE* Take(std::size_t count);
  void WriteTag(WORD shortTag, DWORD index, bool isClass);

  const BYTE* m_data = nullptr;
  std::size_t m_size = 0;
  std::size_t m_pos = 0;
  ObjectPool* m_pool = nullptr;
  std::vector<BYTE>* m_out = nullptr;

  // Loading: index -> class or object (index 0 is the null tag).
  struct Loaded {
    const OldRuntimeClass* cls;
    CObject* object;
  };
  std::vector<Loaded> m_loaded;
  // Storing: class or object -> index.
  std::map<const void*, DWORD> m_stored;
  DWORD m_nextIndex = 1;
};

}  // namespace qxl16
