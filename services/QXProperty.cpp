#include "services/QXProperty.h"

#include "platform/ByteOrder.h"

#include <algorithm>
#include <cstring>
#include <limits>

using namespace tallix::propset;

namespace tallix::propset {

BOOL ReadExact(IStream* stream, void* out, ULONG size) {
  ULONG got = 0;
  return SUCCEEDED(stream->Read(out, size, &got)) && got == size;
}

BOOL WriteExact(IStream* stream, const void* data, ULONG size) {
  ULONG put = 0;
  return SUCCEEDED(stream->Write(data, size, &put)) && put == size;
}

BOOL ReadDword(IStream* stream, DWORD* out) {
  BYTE b[4];
  if (!ReadExact(stream, b, 4)) return FALSE;
  *out = GetLittleEndian32(b);
  return TRUE;
}

BOOL WriteDword(IStream* stream, DWORD value) {
  BYTE b[4];
  PutLittleEndian32(b, value);
  return WriteExact(stream, b, 4);
}

BOOL Tell(IStream* stream, std::uint64_t* position) {
  return SUCCEEDED(stream->Seek(0, STREAM_SEEK_CUR, position));
}

BOOL SeekTo(IStream* stream, std::uint64_t position) {
  if (position > std::uint64_t(std::numeric_limits<std::int64_t>::max())) return FALSE;
  std::uint64_t now = 0;
  return SUCCEEDED(stream->Seek(std::int64_t(position), STREAM_SEEK_SET, &now)) && now == position;
}

BOOL BytesLeft(IStream* stream, std::uint64_t* left) {
  STATSTG stat;
  std::uint64_t at = 0;
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || !Tell(stream, &at)) return FALSE;
  *left = at < stat.cbSize ? stat.cbSize - at : 0;
  return TRUE;
}

}  // namespace tallix::propset

namespace {

// Types whose value is a 32-bit byte count and the bytes.
bool isCounted(DWORD type) {
  return type == VT_BSTR || type == VT_LPSTR || (type >= VT_BLOB && type <= VT_CF) || (type >= 73 && type <= 75);
}

// Counted types that callers hand over as NUL-terminated strings.
bool isPassedAsString(DWORD type) {
  return type == VT_BSTR || type == VT_LPSTR || (type >= VT_STREAM && type <= VT_STORED_OBJECT);
}

// The size of one element of a fixed-size type; -1 for the others.
int fixedSize(DWORD type) {
  switch (type) {
    case VT_EMPTY:
    case VT_VARIANT:
      return 0;
    case VT_I2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_R4:
      return 4;
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_I8:
    case VT_FILETIME:
      return 8;
    case VT_CLSID:
      return 16;
    default:
      return -1;
  }
}

bool isKnownElement(DWORD element) { return fixedSize(element) >= 0 || isCounted(element) || element == VT_LPWSTR; }

// The byte size of a serialized value of `type`, walking its length and
// count words through `wordAt(offset, out)`; false when the type is unknown
// or the value would pass `limit` bytes.
template <class WordAt>
bool measureValue(DWORD type, std::uint64_t limit, WordAt wordAt, std::uint64_t* size) {
  const DWORD element = type & ~VT_VECTOR;
  if (!isKnownElement(element)) return false;
  std::uint64_t count = 1, pos = 0;
  if (type & VT_VECTOR) {
    DWORD n = 0;
    if (limit < 4 || !wordAt(0, &n)) return false;
    count = n;
    pos = 4;
  }
  if (const int fixed = fixedSize(element); fixed >= 0) {
    if (count * std::uint64_t(fixed) > limit - pos) return false;
    *size = pos + count * std::uint64_t(fixed);
    return true;
  }
  // Every counted element takes at least its length word, so the walk ends
  // within `limit / 4` steps whatever the count says.
  for (std::uint64_t i = 0; i < count; ++i) {
    DWORD length = 0;
    if (limit - pos < 4 || !wordAt(pos, &length)) return false;
    pos += 4;
    const std::uint64_t bytes = element == VT_LPWSTR ? 2 * std::uint64_t(length) : length;
    if (bytes > limit - pos) return false;
    pos += bytes;
  }
  *size = pos;
  return true;
}

}  // namespace

// ---- CQXProperty -------------------------------------------------------------

BOOL CQXProperty::Set(DWORD id, const void* value, DWORD type) {
  std::vector<BYTE> block;
  const auto* v = static_cast<const BYTE*>(value);
  if (!isKnownElement(type & ~VT_VECTOR)) return FALSE;
  if (!v) {
    // An empty block: the dictionary's placeholder.
  } else if (!(type & VT_VECTOR) && isPassedAsString(type)) {
    const std::size_t length = std::strlen(reinterpret_cast<const char*>(v)) + 1;
    block.resize(4 + length);
    PutLittleEndian32(block.data(), DWORD(length));
    std::memcpy(block.data() + 4, v, length);
  } else if (type == VT_LPWSTR) {
    const auto* text = static_cast<const char16_t*>(value);
    std::size_t count = 0;
    while (text[count]) ++count;
    ++count;
    block.resize(4 + 2 * count);
    PutLittleEndian32(block.data(), DWORD(count));
    for (std::size_t i = 0; i < count; ++i) PutLittleEndian16(block.data() + 4 + 2 * i, text[i]);
  } else {
    std::uint64_t size = 0;
    const auto wordAt = [v](std::uint64_t offset, DWORD* out) {
      *out = GetLittleEndian32(v + offset);
      return true;
    };
    if (!measureValue(type, std::numeric_limits<std::uint64_t>::max(), wordAt, &size)) return FALSE;
    block.assign(v, v + size);
  }
  m_id = id;
  m_type = type;
  m_value = std::move(block);
  return TRUE;
}

const BYTE* CQXProperty::Get(DWORD* size) const {
  DWORD dummy = 0;
  if (!size) size = &dummy;
  if (m_value.empty()) {
    *size = 0;
    return nullptr;
  }
  if (m_type & VT_VECTOR) {
    *size = DWORD(m_value.size());
    return m_value.data();
  }
  if (isCounted(m_type) || m_type == VT_LPWSTR) {
    *size = GetLittleEndian32(m_value.data());
    return m_value.data() + 4;
  }
  *size = DWORD(fixedSize(m_type));
  return m_value.data();
}

BOOL CQXProperty::Write(IStream* stream) const {
  static constexpr BYTE kZeros[4] = {};
  const ULONG size = ULONG(m_value.size());
  return WriteDword(stream, m_type) && WriteExact(stream, m_value.data(), size) &&
         WriteExact(stream, kZeros, (4 - size % 4) % 4);
}

BOOL CQXProperty::Read(IStream* stream, PropertyReadBudget* budget) {
  DWORD type = 0;
  std::uint64_t start = 0, left = 0, size = 0;
  if (!ReadDword(stream, &type) || !Tell(stream, &start) || !BytesLeft(stream, &left)) return FALSE;
  const auto wordAt = [stream, start](std::uint64_t offset, DWORD* out) {
    return SeekTo(stream, start + offset) && ReadDword(stream, out);
  };
  if (!measureValue(type, left, wordAt, &size) || size > std::numeric_limits<ULONG>::max()) return FALSE;
  if (budget) {
    if (size > *budget) return FALSE;
    *budget -= size;
  }
  std::vector<BYTE> block(size);
  if (!SeekTo(stream, start) || !ReadExact(stream, block.data(), ULONG(size))) return FALSE;
  m_type = type;
  m_value = std::move(block);
  return TRUE;
}

// ---- CQXPropertySection ------------------------------------------------------

CQXProperty* CQXPropertySection::FindProperty(DWORD id) const {
  for (const auto& p : m_properties)
    if (p->GetId() == id) return p.get();
  return nullptr;
}

const CQXProperty* CQXPropertySection::Find(DWORD id) const { return FindProperty(id); }

BOOL CQXPropertySection::Set(DWORD id, const void* value, DWORD type) {
  if (CQXProperty* existing = FindProperty(id)) return existing->Set(id, value, type);
  auto property = std::make_unique<CQXProperty>();
  if (!property->Set(id, value, type)) return FALSE;
  m_properties.push_back(std::move(property));
  return TRUE;
}

const BYTE* CQXPropertySection::Get(DWORD id, DWORD* size) const {
  const CQXProperty* p = FindProperty(id);
  if (!p) {
    if (size) *size = 0;
    return nullptr;
  }
  return p->Get(size);
}

void CQXPropertySection::SetName(DWORD id, const char* name) {
  if (id == 0)
    m_sectionName = name ? name : "";
  else
    m_names[id] = name ? name : "";
}

void CQXPropertySection::RemoveAll() {
  m_properties.clear();
  m_names.clear();
  m_sectionName.clear();
  m_count = 0;
}

BOOL CQXPropertySection::WriteDictionary(IStream* stream) const {
  std::vector<BYTE> bytes(4);
  PutLittleEndian32(bytes.data(), DWORD(m_names.size() + 1));
  const auto addEntry = [&bytes](DWORD id, const std::string& name) {
    const std::size_t length = std::min<std::size_t>(std::strlen(name.c_str()), 255);
    const std::size_t at = bytes.size();
    bytes.resize(at + 8 + length + 1);
    PutLittleEndian32(&bytes[at], id);
    PutLittleEndian32(&bytes[at + 4], DWORD(length + 1));
    std::memcpy(&bytes[at + 8], name.data(), length);
  };
  addEntry(0, m_sectionName);
  for (const auto& [id, name] : m_names) addEntry(id, name);
  return WriteExact(stream, bytes.data(), ULONG(bytes.size()));
}

BOOL CQXPropertySection::Write(IStream* stream) {
  if (!FindProperty(0)) {
    auto dictionary = std::make_unique<CQXProperty>();
    dictionary->SetId(0);
    m_properties.push_back(std::move(dictionary));
  }
  const DWORD count = DWORD(m_properties.size());
  std::uint64_t start = 0, end = 0;
  if (!Tell(stream, &start)) return FALSE;
  // Header and table are written last, over placeholders.
  std::vector<BYTE> head(8 + 8 * std::size_t(count));
  if (!WriteExact(stream, head.data(), ULONG(head.size()))) return FALSE;
  for (DWORD i = 0; i < count; ++i) {
    const CQXProperty& p = *m_properties[i];
    std::uint64_t at = 0;
    if (!Tell(stream, &at)) return FALSE;
    PutLittleEndian32(&head[8 + 8 * i], p.GetId());
    PutLittleEndian32(&head[12 + 8 * i], DWORD(at - start));
    if (!(p.GetId() == 0 ? WriteDictionary(stream) : p.Write(stream))) return FALSE;
  }
  if (!Tell(stream, &end)) return FALSE;
  PutLittleEndian32(&head[0], DWORD(end - start));
  PutLittleEndian32(&head[4], count);
  if (!SeekTo(stream, start) || !WriteExact(stream, head.data(), ULONG(head.size())) || !SeekTo(stream, end))
    return FALSE;
  m_size = DWORD(end - start);
  m_count = count;
  return TRUE;
}

BOOL CQXPropertySection::ReadDictionary(IStream* stream, PropertyReadBudget* budget) {
  DWORD entries = 0;
  std::uint64_t left = 0;
  if (!ReadDword(stream, &entries) || !BytesLeft(stream, &left) || entries > left / 8) return FALSE;
  for (DWORD i = 0; i < entries; ++i) {
    DWORD id = 0, length = 0;
    if (!ReadDword(stream, &id) || !ReadDword(stream, &length) || !BytesLeft(stream, &left) || length > left)
      return FALSE;
    if (budget) {
      if (length > *budget) return FALSE;
      *budget -= length;
    }
    std::string name(length, '\0');
    if (!ReadExact(stream, name.data(), length)) return FALSE;
    name.resize(std::strlen(name.c_str()));
    if (i == 0 && id == 0)
      m_sectionName = std::move(name);
    else
      m_names[id] = std::move(name);
  }
  return TRUE;
}

BOOL CQXPropertySection::Read(IStream* stream, DWORD sectionOffset, PropertyReadBudget* budget) {
  RemoveAll();
  DWORD size = 0, count = 0;
  std::uint64_t streamSize = 0;
  if (!SeekTo(stream, 0) || !BytesLeft(stream, &streamSize) || sectionOffset > streamSize ||
      !SeekTo(stream, sectionOffset) || !ReadDword(stream, &size) || !ReadDword(stream, &count))
    return FALSE;
  std::uint64_t left = 0;
  if (!BytesLeft(stream, &left) || count > left / 8) return FALSE;
  std::vector<BYTE> table(8 * std::size_t(count));
  if (!ReadExact(stream, table.data(), ULONG(table.size()))) return FALSE;
  for (DWORD i = 0; i < count; ++i) {
    const DWORD id = GetLittleEndian32(&table[8 * i]);
    const std::uint64_t at = std::uint64_t(sectionOffset) + GetLittleEndian32(&table[8 * i + 4]);
    if (at > streamSize || !SeekTo(stream, at)) return FALSE;
    if (id == 0) {
      if (!ReadDictionary(stream, budget)) return FALSE;
      continue;
    }
    auto property = std::make_unique<CQXProperty>();
    property->SetId(id);
    if (!property->Read(stream, budget)) return FALSE;
    m_properties.push_back(std::move(property));
  }
  m_size = size;
  m_count = count;
  return TRUE;
}
