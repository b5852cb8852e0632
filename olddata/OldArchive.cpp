#include "olddata/OldArchive.h"

#include "platform/ByteOrder.h"

#include <cstring>

namespace qxl16 {

namespace {

constexpr WORD kNullTag = 0;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kBigClassTag = 0x80000000u;
constexpr WORD kBigCount = 0xFFFF;

}  // namespace

COldArchive::COldArchive(const BYTE* data, std::size_t size, ObjectPool* pool)
    : m_data(data), m_size(data ? size : 0), m_pool(pool) {
  m_loaded.push_back({nullptr, nullptr});
}

COldArchive::COldArchive(std::vector<BYTE>& out) : m_out(&out) {}

void COldArchive::CheckCount(std::size_t count, std::size_t minSize) const {
  if (minSize && count > Remaining() / minSize) ThrowOldData(2);
}

const BYTE* COldArchive::Take(std::size_t count) {
  if (count > Remaining()) ThrowOldData(2);
  const BYTE* p = m_data + m_pos;
  m_pos += count;
  return p;
}

BYTE COldArchive::ReadByte() { return *Take(1); }
WORD COldArchive::ReadWord() {
  const BYTE* p = Take(2);
  return WORD(p[0] | p[1] << 8);
}
DWORD COldArchive::ReadDword() { return GetLittleEndian32(Take(4)); }
void COldArchive::Read(void* buffer, std::size_t count) {
  if (count) std::memcpy(buffer, Take(count), count);
}
void COldArchive::Skip(std::size_t count) { Take(count); }

void COldArchive::WriteWord(WORD value) {
  const BYTE b[2] = {BYTE(value), BYTE(value >> 8)};
  Write(b, 2);
}
void COldArchive::WriteDword(DWORD value) {
  BYTE b[4];
  PutLittleEndian32(b, value);
  Write(b, 4);
}
void COldArchive::Write(const void* buffer, std::size_t count) {
  const BYTE* p = static_cast<const BYTE*>(buffer);
  m_out->insert(m_out->end(), p, p + count);
}

void COldArchive::Word(WORD& value) {
  if (IsStoring()) WriteWord(value);
  else value = ReadWord();
}
void COldArchive::Word(int& value) {
  if (IsStoring()) WriteWord(WORD(value));
  else value = ReadWord();
}
void COldArchive::Dword(DWORD& value) {
  if (IsStoring()) WriteDword(value);
  else value = ReadDword();
}
void COldArchive::Fixed(BYTE* bytes, std::size_t count) {
  if (IsStoring()) Write(bytes, count);
  else Read(bytes, count);
}

void COldArchive::Bytes16(std::vector<BYTE>& bytes) {
  if (IsStoring()) {
    const WORD n = bytes.size() > 0xFFFF ? 0xFFFF : WORD(bytes.size());
    WriteWord(n);
    Write(bytes.data(), n);
  } else {
    const WORD n = ReadWord();
    const BYTE* p = Take(n);
    bytes.assign(p, p + n);
  }
}

void COldArchive::Bytes32(std::vector<BYTE>& bytes) {
  if (IsStoring()) {
    WriteDword(DWORD(bytes.size()));
    Write(bytes.data(), bytes.size());
  } else {
    const DWORD n = ReadDword();
    const BYTE* p = Take(n);
    bytes.assign(p, p + n);
  }
}

void COldArchive::String(std::string& text) {
  if (IsStoring()) {
    const std::size_t n = text.size();
    if (n < 0xFF) {
      const BYTE b = BYTE(n);
      Write(&b, 1);
    } else {
      const BYTE b = 0xFF;
      Write(&b, 1);
      if (n < 0xFFFF) {
        WriteWord(WORD(n));
      } else {
        WriteWord(0xFFFF);
        WriteDword(DWORD(n));
      }
    }
    Write(text.data(), n);
    return;
  }
  std::size_t n = ReadByte();
  if (n == 0xFF) {
    n = ReadWord();
    if (n == 0xFFFF) n = ReadDword();
  }
  const BYTE* p = Take(n);
  text.assign(reinterpret_cast<const char*>(p), n);
}

DWORD COldArchive::ReadCount() {
  const WORD count = ReadWord();
  return count == kBigCount ? ReadDword() : count;
}

void COldArchive::WriteCount(DWORD count) {
  if (count < kBigCount) {
    WriteWord(WORD(count));
  } else {
    WriteWord(kBigCount);
    WriteDword(count);
  }
}

CObject* COldArchive::ReadObject() {
  const WORD tag = ReadWord();
  const OldRuntimeClass* cls = nullptr;
  if (tag == kNewClassTag) {
    const WORD schema = ReadWord();
    const WORD length = ReadWord();
    const BYTE* name = Take(length);
    cls = FindClass(std::string(reinterpret_cast<const char*>(name), length));
    // Only the classes this library knows, in the one schema they have.
    if (!cls || schema != cls->schema) ThrowOldData(2);
    m_loaded.push_back({cls, nullptr});
  } else {
    const DWORD full = tag == kBigObjectTag ? ReadDword() : (DWORD(tag & kClassTag) << 16) | (tag & ~kClassTag);
    const DWORD index = full & ~kBigClassTag;
    if (!(full & kBigClassTag)) {
      if (index == kNullTag) return nullptr;
      // A reference: the object read before, never a second copy.
      if (index >= m_loaded.size() || !m_loaded[index].object) ThrowOldData(2);
      return m_loaded[index].object;
    }
    if (index == 0 || index >= m_loaded.size() || m_loaded[index].object) ThrowOldData(2);
    cls = m_loaded[index].cls;
  }
  if (!m_pool) ThrowOldData(2);
  std::unique_ptr<CObject> created(cls->create());
  CObject* object = created.get();
  m_pool->push_back(std::move(created));
  m_loaded.push_back({cls, object});
  object->Serialize(*this);
  return object;
}

void COldArchive::WriteTag(WORD shortTag, DWORD index, bool isClass) {
  if (index < kBigObjectTag) {
    WriteWord(WORD(shortTag | index));
  } else {
    WriteWord(kBigObjectTag);
    WriteDword(index | (isClass ? kBigClassTag : 0));
  }
}

void COldArchive::WriteObject(CObject* object) {
  if (!object) return WriteWord(kNullTag);
  if (const auto seen = m_stored.find(object); seen != m_stored.end()) return WriteTag(0, seen->second, false);
  const OldRuntimeClass* cls = object->GetRuntimeClass();
  if (const auto seen = m_stored.find(cls); seen != m_stored.end()) {
    WriteTag(kClassTag, seen->second, true);
  } else {
    WriteWord(kNewClassTag);
    WriteWord(cls->schema);
    const std::size_t length = std::strlen(cls->name);
    WriteWord(WORD(length));
    Write(cls->name, length);
    m_stored[cls] = m_nextIndex++;
  }
  m_stored[object] = m_nextIndex++;
  object->Serialize(*this);
}

}  // namespace qxl16
