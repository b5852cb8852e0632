#include "datamodel/QXImageV5Items.h"

#include "datamodel/QXItemNames.h"

#include <cstring>

namespace {
constexpr DWORD kNameField = 10;
constexpr std::uint64_t kMaxPlaneSize = 1 << 20;  // far beyond any calculator screen
}

std::string CQXNamedBytesItem::GetNumber() const {
  const size_t n = std::strlen(m_prefix);
  return m_name.rfind(m_prefix, 0) == 0 && IsDigits(m_name.substr(n), kNameField - 1 - n) ? m_name.substr(n)
                                                                                          : std::string();
}

BOOL CQXNamedBytesItem::setNumber(const std::string& number) {
  if (!IsDigits(number, kNameField - 1 - std::strlen(m_prefix))) return FALSE;
  m_name = m_prefix + number;
  return TRUE;
}

BOOL CQXNamedBytesItem::SetNameFromHeader(const char* variable) {
  const std::string v = variable ? variable : "";
  return v.size() > 4 && setNumber(v.substr(4));
}

BOOL CQXNamedBytesItem::TakeNameFromPath(const char* path) {
  const std::string leaf = ItemPathLeaf(path);
  const size_t n = std::strlen(m_prefix);
  return leaf.size() > n && setNumber(leaf.substr(n));
}

BOOL CQXNamedBytesItem::GetHeaderName(char* buffer, UINT size) const {
  const std::string number = GetNumber();
  return !number.empty() && CopyTextOut(m_headerPrefix + number, buffer, size);
}

int CQXNamedBytesItem::GetDocName(char* buffer, UINT size) const {
  return !m_name.empty() && CopyTextOut(m_name, buffer, size) ? int(m_name.size()) + 1 : 0;
}

void CQXNamedBytesItem::GetDisplayName(char* buffer, UINT size) {
  DisplayString(m_stringId, GetNumber(), buffer, size);
}

BOOL CQXNamedBytesItem::SetBytes(const BYTE* bytes, DWORD n) {
  if (!bytes || n == 0) return FALSE;
  m_bytes.assign(bytes, bytes + n);
  return TRUE;
}

BOOL CQXNamedBytesItem::GetBytes(BYTE* buffer, DWORD size) const {
  if (!buffer || size < GetLength()) return FALSE;
  if (!m_bytes.empty()) std::memcpy(buffer, m_bytes.data(), m_bytes.size());
  return TRUE;
}

DWORD CQXNamedBytesItem::GetStoredSize() {
  return kRecordFrameSize + 4 + kNameField + GetFieldsSize() + 4 + GetLength();
}

void CQXNamedBytesItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, DWORD(GetTypeId()));
  LoadNameField(ar, kNameField, &m_name);
  LoadFields(ar);
  m_bytes = ar.ReadBytes(ar.ReadDwordValue());
  EndRecord(ar, DWORD(GetTypeId()));
}

void CQXNamedBytesItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, DWORD(GetTypeId()));
  StoreNameField(ar, kNameField, m_name);
  StoreFields(ar);
  ar.WriteDwordValue(GetLength());
  if (!m_bytes.empty()) ar.Write(m_bytes.data(), GetLength());
  WriteRecordEnd(ar, DWORD(GetTypeId()));
}

// --- Picture --------------------------------------------------------------------

BOOL CQXPictureV5Item::SetBytes(const BYTE* bytes, DWORD n) {
  if (!CQXNamedBytesItem::SetBytes(bytes, n)) return FALSE;
  // A damaged format of no pixels counts one plane instead of dividing by 0.
  const std::uint64_t plane = GetPlaneSize();
  const std::uint64_t planes = plane ? n / plane : 1;
  m_format.storedPlanes = DWORD(planes ? planes : 1);
  return TRUE;
}

BOOL CQXPictureV5Item::GetImageFormat(ScreenFormat& format) {
  if (format.size != 48) return FALSE;
  const Format& f = m_format;
  format.flags |= 1;
  format.height = std::int32_t(f.height);
  format.width = std::int32_t(f.width);
  format.origin = std::int32_t(f.origin);
  format.scan = std::int32_t(f.scan);
  format.bitOrder = std::int32_t(f.bitOrder);
  format.ink = std::int32_t(f.ink);
  format.planes = std::int32_t(f.planes);
  format.extra = std::int32_t(f.storedPlanes);
  format.data = Bytes().empty() ? nullptr : Bytes().data();
  format.dataSize = GetLength();  // the conversion reads no more than the item holds
  return TRUE;
}

BOOL CQXPictureV5Item::SetImage(const ScreenFormat& format) {
  if (format.size != 48 || format.width <= 0 || format.height <= 0) return FALSE;
  const std::uint64_t plane = std::uint64_t(format.width) * std::uint64_t(format.height) / 8;
  if (plane == 0 || plane > kMaxPlaneSize || !format.data || format.dataSize < plane) return FALSE;
  std::vector<BYTE> bytes(size_t(2 * plane), 0);
  std::memcpy(bytes.data(), format.data, size_t(plane));
  Bytes() = std::move(bytes);
  m_format.width = DWORD(format.width);
  m_format.height = DWORD(format.height);
  m_format.origin = DWORD(format.origin);
  m_format.scan = DWORD(format.scan);
  m_format.bitOrder = DWORD(format.bitOrder);
  m_format.ink = DWORD(format.ink);
  return TRUE;
}

BOOL CQXPictureV5Item::TakeNewScreen(const ScreenFormat& format, const BYTE* planes, DWORD size) {
  ScreenFormat withPlanes = format;
  withPlanes.data = const_cast<BYTE*>(planes);
  withPlanes.dataSize = size;
  return SetImage(withPlanes);
}

void CQXPictureV5Item::LoadFields(COrvoArchive& ar) {
  Format f;
  for (DWORD* v : {&f.value, &f.width, &f.height, &f.storedPlanes, &f.planes, &f.origin, &f.scan, &f.bitOrder,
                   &f.ink})
    *v = ar.ReadDwordValue();
  m_format = f;
}

void CQXPictureV5Item::StoreFields(COrvoArchive& ar) {
  const Format& f = m_format;
  for (DWORD v : {f.value, f.width, f.height, f.storedPlanes, f.planes, f.origin, f.scan, f.bitOrder, f.ink})
    ar.WriteDwordValue(v);
}
