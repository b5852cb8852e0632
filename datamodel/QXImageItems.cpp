#include "datamodel/QXImageItems.h"

#include <cstring>
#include <string>

namespace {

constexpr char kPicturePrefix[] = "Picture";
constexpr size_t kDigitAt = 7;

bool isPictureDigit(char c) { return c >= '1' && c <= '6'; }

// The digit of a picture name "Picture1".."Picture6", or 0.
char pictureDigit(const std::string& name) {
  if (name.size() <= kDigitAt || name.compare(0, kDigitAt, kPicturePrefix) != 0) return 0;
  return isPictureDigit(name[kDigitAt]) ? name[kDigitAt] : 0;
}

BOOL copyOut(const std::string& text, char* buffer, UINT size) {
  if (!buffer || text.size() >= size) return FALSE;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return TRUE;
}

}  // namespace

// --- Picture ----------------------------------------------------------------

void CQXPictureItem::GetDisplayName(char* buffer, UINT size) {
  const std::string name = m_name.GetText();
  DisplayString(10333, name.empty() ? std::string() : name.substr(name.size() - 1), buffer, size);
}

BOOL CQXPictureItem::SetPictureNumber(char digit) {
  if (!isPictureDigit(digit)) return FALSE;
  return m_name.SetName((std::string(kPicturePrefix) + digit).c_str());
}

char CQXPictureItem::GetPictureNumber() const { return pictureDigit(m_name.GetText()); }

BOOL CQXPictureItem::TakeNameFromPath(const char* path) {
  const size_t n = path ? std::strlen(path) : 0;
  return n > 0 && SetPictureNumber(path[n - 1]);
}

BOOL CQXPictureItem::GetDocName(char* buffer, UINT size) const {
  const char digit = GetPictureNumber();
  return digit && copyOut(std::string(kPicturePrefix) + digit, buffer, size);
}

BOOL CQXPictureItem::TakeNewScreen(const ScreenFormat& format, const BYTE* planes, DWORD size) {
  ScreenFormat withPlanes = format;
  withPlanes.data = const_cast<BYTE*>(planes);
  withPlanes.dataSize = size;
  if (size > CQXImageRecord::kMaxWrittenBits) return FALSE;
  return m_image.SetDescription(withPlanes, size);
}

DWORD CQXPictureItem::GetStoredSize() { return kRecordFrameSize + m_name.GetStoredSize() + m_image.GetStoredSize(); }

void CQXPictureItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTypeId);
  m_name.Load(ar);
  m_image.Load(ar);
  EndRecord(ar, kTypeId);
}

void CQXPictureItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, kTypeId);
  m_name.Store(ar);
  m_image.Store(ar);
  WriteRecordEnd(ar, kTypeId);
}

BOOL CQXPictureItem::BuildHeader(BYTE* header, int size) {
  if (!IsOldHeader(header, size)) return FALSE;
  StartOldHeader(header, "IMG");
  m_name.WriteHeader(header, size);
  return m_image.ToHeader(header, size);
}

BOOL CQXPictureItem::ParseHeader(const BYTE* header, int size) {
  CQXStoredNameField name;
  if (!name.ReadHeader(header, size) || !pictureDigit(name.GetText())) return FALSE;
  CQXImageRecord image = m_image;
  if (!image.FromHeader(header, size) || image.GetImageSize() > CQXImageRecord::kMaxWrittenBits) return FALSE;
  m_name = name;
  m_image = std::move(image);
  return TRUE;
}

BOOL CQXPictureItem::GetImageBlock(int a, int b, BYTE* block, int size) const {
  const std::uint64_t plane = m_image.GetPlaneSize();
  if (!block || a < 0 || b < 0 || a >= GetOuterBlockCount() || b >= GetInnerBlockCount() || size < 0 ||
      std::uint64_t(size) < plane + 4)
    return FALSE;
  PutBigEndian16(block, unsigned(a));
  PutBigEndian16(block + 2, unsigned(b));
  const std::vector<BYTE>& bits = m_image.GetBits();
  const std::uint64_t at = (std::uint64_t(a) * m_image.GetPlanesD() + std::uint64_t(b)) * plane;
  if (bits.empty())
    std::memset(block + 4, 0, size_t(plane));
  else
    std::memcpy(block + 4, bits.data() + at, size_t(plane));
  return TRUE;
}

BOOL CQXPictureItem::SetImageBlock(const BYTE* block, int size) {
  const std::uint64_t plane = m_image.GetPlaneSize();
  if (!block || size < 4 || std::uint64_t(size) != plane + 4) return FALSE;
  const unsigned a = GetBigEndian16(block), b = GetBigEndian16(block + 2);
  if (a >= m_image.GetPlanesC() || b >= m_image.GetPlanesD()) return FALSE;
  return m_image.WriteBits((std::uint64_t(a) * m_image.GetPlanesD() + b) * plane, block + 4, plane);
}

BOOL CQXPictureItem::GetImageFormat(ScreenFormat& format) {
  if (!m_image.GetDescription(&format)) return FALSE;
  format.flags |= 1;
  return TRUE;
}

// --- Screen copy --------------------------------------------------------------

void CQXScreenItem::GetDisplayName(char* buffer, UINT size) { CopyText(m_text.Text(), buffer, size); }

DWORD CQXScreenItem::GetStoredSize() { return kRecordFrameSize + m_text.GetStoredSize() + m_image.GetStoredSize(); }

void CQXScreenItem::Load(COrvoArchive& ar) {
  BeginRecord(ar, kTypeId);
  m_text.Load(ar);
  m_image.Load(ar);
  EndRecord(ar, kTypeId);
}

void CQXScreenItem::Store(COrvoArchive& ar) {
  WriteRecordStart(ar, kTypeId);
  m_text.Store(ar);
  m_image.Store(ar);
  WriteRecordEnd(ar, kTypeId);
}

BOOL CQXScreenItem::ParseHeader(const BYTE* header, int size) {
  if (!header || size != 40) return FALSE;
  return m_image.FromHeader(header, size);
}

DWORD CQXScreenItem::GetDataBlockSize() const {
  return DWORD(m_image.GetPlaneSize()) + 2 + (m_image.GetPlanesD() > 1 ? 1 : 0);
}

BOOL CQXScreenItem::SetImageData(int plane, const BYTE* data, int length) {
  const std::uint64_t planeSize = m_image.GetPlaneSize();
  if (!data || plane < 1 || DWORD(plane) > m_image.GetPlanesD() || length < 0 ||
      std::uint64_t(length) != planeSize || planeSize == 0)
    return FALSE;
  return m_image.WriteBits(std::uint64_t(plane - 1) * planeSize, data, planeSize);
}

BOOL CQXScreenItem::GetImageFormat(ScreenFormat& format) {
  if (m_image.GetSizeA() == 0 || m_image.GetSizeB() == 0 || !m_image.GetDescription(&format)) return FALSE;
  // Exactly a screen copy: the family bit of the record would make it a
  // picture, coloured as one and written back.
  format.flags = 2;
  return TRUE;
}
