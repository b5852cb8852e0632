#include "datamodel/QXImageRecord.h"

#include "datamodel/QXHeaderFields.h"

#include <cstring>

namespace {

const char* const kCornerText[] = {"UL", "UR", "DL", "DR"};
const BYTE kCornerByte[] = {0, 16, 1, 17};

bool isScan(DWORD c) { return c == 'D' || c == 'L' || c == 'R' || c == 'U'; }
bool isOrder(DWORD c) { return c == 'F' || c == 'R'; }
bool isDirection(DWORD c) { return c == 'H' || c == 'W'; }

}  // namespace

BOOL CQXImageRecord::IsValid(const Values& v, std::uint64_t bitsLength) {
  if (v.family != kOlderFamily && v.family != kNewerFamily) return FALSE;
  if (v.planesD < 1 || v.planesD > 4 || v.corner < 1 || v.corner > 4) return FALSE;
  if (!isScan(v.scan) || !isOrder(v.order) || !isDirection(v.direction)) return FALSE;
  if (v.sizeA > kMaxSide || v.sizeB > kMaxSide) return FALSE;
  return bitsLength == 0 || bitsLength == ImageSize(v);
}

std::uint64_t CQXImageRecord::ImageSize(const Values& v) {
  return std::uint64_t(v.sizeA) * v.sizeB / 8 * v.planesC * v.planesD;
}

void CQXImageRecord::Take(const Values& v) {
  m_family = v.family;
  m_sizeA = v.sizeA;
  m_sizeB = v.sizeB;
  m_planesC = v.planesC;
  m_planesD = v.planesD;
  m_corner = v.corner;
  m_scan = v.scan;
  m_order = v.order;
  m_direction = v.direction;
  if (!m_bits.empty() && m_bits.size() != GetImageSize()) m_bits.clear();
}

BOOL CQXImageRecord::FromHeader(const BYTE* header, int length) {
  if (!header) return FALSE;
  Values v{kOlderFamily, 0, 0, 1, 1, 0, 0, 0, 0};
  if (length == kOldHeaderLength) {
    if (!HasOldHeaderKind(header, "IMG") || header[5] != 'P' || header[6] != 'C') return FALSE;
    for (DWORD c = 0; c < 4; ++c)
      if (std::memcmp(header + 27, kCornerText[c], 2) == 0) v.corner = c + 1;
    v.scan = header[29];
    v.direction = header[30];
    v.order = header[31];
    v.sizeA = GetBigEndian16(header + 7);
    v.sizeB = GetBigEndian16(header + 9);
    v.planesD = GetBigEndian16(header + 32);
    v.planesC = GetBigEndian16(header + 34);
  } else if (length == 40) {
    if (header[1] != 'D' || (header[2] != 'D' && header[2] != 'C')) return FALSE;
    v.planesD = header[2] == 'D' ? 1 : 3;
    for (DWORD c = 0; c < 4; ++c)
      if (header[5] == kCornerByte[c]) v.corner = c + 1;
    v.scan = header[6];
    v.direction = header[7];
    v.order = header[8];
    v.sizeA = header[3];
    v.sizeB = header[4];
  } else {
    return FALSE;
  }
  if (!IsValid(v, 0)) return FALSE;
  Take(v);
  return TRUE;
}

BOOL CQXImageRecord::ToHeader(BYTE* header, int length) const {
  if (!header || m_corner < 1 || m_corner > 4) return FALSE;
  if (length == kOldHeaderLength) {
    std::memcpy(header + 1, "IMG", 3);
    std::memcpy(header + 5, "PC", 2);
    PutBigEndian16(header + 7, m_sizeA);
    PutBigEndian16(header + 9, m_sizeB);
    std::memcpy(header + 27, kCornerText[m_corner - 1], 2);
    header[29] = BYTE(m_scan);
    header[30] = BYTE(m_direction);
    header[31] = BYTE(m_order);
    PutBigEndian16(header + 32, m_planesD);
    PutBigEndian16(header + 34, m_planesC);
    return TRUE;
  }
  if (length == 40) {
    if ((m_planesD != 1 && m_planesD != 3) || m_sizeA > 255 || m_sizeB > 255) return FALSE;
    header[1] = 'D';
    header[2] = m_planesD == 1 ? 'D' : 'C';
    header[3] = BYTE(m_sizeA);
    header[4] = BYTE(m_sizeB);
    header[5] = kCornerByte[m_corner - 1];
    header[6] = BYTE(m_scan);
    header[7] = BYTE(m_direction);
    header[8] = BYTE(m_order);
    return TRUE;
  }
  return FALSE;
}

BOOL CQXImageRecord::GetDescription(ScreenFormat* out) const {
  if (!out) return FALSE;
  *out = ScreenFormat{};
  out->size = 48;
  out->flags = std::int32_t(m_family);
  out->height = std::int32_t(m_sizeA);
  out->width = std::int32_t(m_sizeB);
  out->origin = std::int32_t(m_corner);
  out->scan = std::int32_t(m_scan);
  out->bitOrder = std::int32_t(m_order);
  out->ink = std::int32_t(m_direction);
  out->planes = std::int32_t(m_planesD);
  out->extra = std::int32_t(m_planesC);
  out->data = m_bits.empty() ? nullptr : const_cast<BYTE*>(m_bits.data());
  out->dataSize = DWORD(m_bits.size());
  return TRUE;
}

BOOL CQXImageRecord::SetDescription(const ScreenFormat& f, DWORD bitsLength) {
  if (f.size != 48) return FALSE;
  const DWORD family = (f.flags & 1) ? DWORD(kOlderFamily) : (f.flags & 2) ? DWORD(kNewerFamily) : 0u;
  if (f.height < 0 || f.width < 0 || f.planes < 0 || f.extra < 0 || f.origin < 0 || f.scan < 0 || f.bitOrder < 0 ||
      f.ink < 0)
    return FALSE;
  const Values v{family,       DWORD(f.height),   DWORD(f.width), DWORD(f.extra), DWORD(f.planes),
                 DWORD(f.origin), DWORD(f.scan), DWORD(f.bitOrder), DWORD(f.ink)};
  if (!IsValid(v, bitsLength) || (bitsLength && !f.data)) return FALSE;
  std::vector<BYTE> bits;
  if (bitsLength) bits.assign(f.data, f.data + bitsLength);
  Take(v);
  m_bits = std::move(bits);
  return TRUE;
}

BOOL CQXImageRecord::SetBits(const BYTE* bits, DWORD length) {
  if (length != 0 && (length != GetImageSize() || !bits)) return FALSE;
  if (length)
    m_bits.assign(bits, bits + length);
  else
    m_bits.clear();
  return TRUE;
}

BOOL CQXImageRecord::WriteBits(std::uint64_t offset, const BYTE* bytes, std::uint64_t n) {
  const std::uint64_t size = GetImageSize();
  if (!bytes || offset > size || n > size - offset || size > kMaxWrittenBits) return FALSE;
  if (m_bits.empty()) m_bits.assign(size_t(size), 0);
  if (n) std::memcpy(m_bits.data() + offset, bytes, size_t(n));
  return TRUE;
}

DWORD CQXImageRecord::CopyPlane(int p, BYTE* buffer, DWORD size) const {
  const std::uint64_t plane = GetPlaneSize();
  if (p < 1 || !buffer || plane == 0 || size < plane) return 0;
  const std::uint64_t start = std::uint64_t(p - 1) * m_planesD * plane;
  if (start + plane > m_bits.size()) return 0;
  std::memcpy(buffer, m_bits.data() + start, size_t(plane));
  return DWORD(plane);
}

void CQXImageRecord::Load(COrvoArchive& ar) {
  ExpectDword(ar, kTag);
  ExpectDword(ar, 40);
  Values v;
  DWORD* fields[] = {&v.family, &v.sizeB, &v.sizeA, &v.planesC, &v.planesD,
                     &v.corner, &v.scan,  &v.order, &v.direction};
  for (DWORD* f : fields) *f = ar.ReadDwordValue();
  const DWORD bitsLength = ar.ReadDwordValue();
  // A record without bits still claims its groups: no more than a picture
  // can hold, as for a header.
  if (!IsValid(v, bitsLength) || ImageSize(v) > kMaxWrittenBits) ThrowArchiveException(kArchiveBadRecord);
  std::vector<BYTE> bits = ar.ReadBytes(bitsLength);
  EndRecord(ar, kTag);
  Take(v);
  m_bits = std::move(bits);
}

void CQXImageRecord::Store(COrvoArchive& ar) {
  ar.WriteDwordValue(kTag);
  ar.WriteDwordValue(40);
  for (DWORD f : {m_family, m_sizeB, m_sizeA, m_planesC, m_planesD, m_corner, m_scan, m_order, m_direction})
    ar.WriteDwordValue(f);
  ar.WriteDwordValue(DWORD(m_bits.size()));
  if (!m_bits.empty()) ar.Write(m_bits.data(), DWORD(m_bits.size()));
  WriteRecordEnd(ar, kTag);
}
