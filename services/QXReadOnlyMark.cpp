// The read-only mark: the user-defined property "QXL Read-Only", which other
// programs store in the second section of "\005DocumentSummaryInformation".
// Only that section, its code page, its dictionary and the one property are
// looked at, so that properties of types we do not keep cannot spoil it.
//
// Dictionary entries are {id, length, name}: with code page 1200 the name is
// UTF-16, its length counts characters and each entry is filled to a
// multiple of 4 bytes; otherwise the name is 8-bit (read as Windows-1252),
// its length counts bytes and entries follow each other without fill.
#include "services/QXSummaryInfo.h"

#include "charset/Cp1252.h"
#include "platform/ByteOrder.h"
#include "platform/storage/CompoundFile.h"

#include <QString>

#include <cstdio>
#include <optional>

using namespace tallix::propset;

namespace {

constexpr char kMarkName[] = "QXL Read-Only";
constexpr WORD kCodePageUnicode = 1200;

struct SectionTable {
  DWORD offset = 0;
  std::vector<BYTE> entries;  // {id, offset} pairs

  // Where the property `id` lies in the stream.
  std::optional<std::uint64_t> offsetOf(DWORD id) const {
    for (std::size_t i = 0; i + 8 <= entries.size(); i += 8)
      if (GetLittleEndian32(&entries[i]) == id) return std::uint64_t(offset) + GetLittleEndian32(&entries[i + 4]);
    return std::nullopt;
  }
};

// The table of the section with `formatId`; false when the set is damaged or
// has no such section.
bool readSectionTable(IStream* stream, const GUID& formatId, SectionTable* out) {
  BYTE header[28];
  std::uint64_t size = 0, left = 0;
  if (!BytesLeft(stream, &size) || !ReadExact(stream, header, sizeof header) || !BytesLeft(stream, &left)) return false;
  const DWORD sections = GetLittleEndian32(header + 24);
  if (sections > left / 20) return false;
  for (DWORD i = 0; i < sections; ++i) {
    BYTE entry[20];
    if (!ReadExact(stream, entry, sizeof entry)) return false;
    if (tallix::cfb::readClsid(entry) != formatId) continue;
    out->offset = GetLittleEndian32(entry + 16);
    DWORD count = 0;
    if (out->offset > size || !SeekTo(stream, std::uint64_t(out->offset) + 4) || !ReadDword(stream, &count) ||
        !BytesLeft(stream, &left) || count > left / 8)
      return false;
    out->entries.resize(8 * std::size_t(count));
    return ReadExact(stream, out->entries.data(), ULONG(out->entries.size()));
  }
  return false;
}

// The id that the dictionary at the stream's position gives `wanted`.
std::optional<DWORD> findNamedId(IStream* stream, bool unicode, const QString& wanted) {
  DWORD entries = 0;
  std::uint64_t left = 0;
  if (!ReadDword(stream, &entries) || !BytesLeft(stream, &left) || entries > left / 8) return std::nullopt;
  for (DWORD i = 0; i < entries; ++i) {
    DWORD id = 0, length = 0;
    if (!ReadDword(stream, &id) || !ReadDword(stream, &length) || !BytesLeft(stream, &left)) return std::nullopt;
    const std::uint64_t bytes = unicode ? 2 * std::uint64_t(length) : length;
    if (bytes > left) return std::nullopt;
    std::vector<BYTE> raw(bytes);
    if (!ReadExact(stream, raw.data(), ULONG(bytes))) return std::nullopt;
    QString name;
    if (unicode) {
      for (std::size_t at = 0; at + 1 < raw.size(); at += 2) {
        const char16_t c = GetLittleEndian16(&raw[at]);
        if (!c) break;
        name.append(QChar(c));
      }
      // Each entry ends on a multiple of 4 bytes.
      std::uint64_t at = 0;
      if (bytes % 4 && Tell(stream, &at)) SeekTo(stream, at + (4 - bytes % 4));
    } else {
      const auto* text = reinterpret_cast<const char*>(raw.data());
      name = tallix::fromCp1252(std::string_view(text, qstrnlen(text, raw.size())));
    }
    if (name.compare(wanted, Qt::CaseInsensitive) == 0) return id;
  }
  return std::nullopt;
}

}  // namespace

BOOL IsMarkedReadOnly(IStorage* storage, BOOL* showMessage) {
  ComPtr<IStream> stream;
  SectionTable section;
  if (!storage ||
      FAILED(storage->OpenStream(kDocSummaryInformationStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                 stream.put())) ||
      !readSectionTable(stream.get(), FMTID_UserDefinedProperties, &section)) {
    std::fputs("No DocSummaryInformation Defined Properties.\n", stdout);
    std::fflush(stdout);
    return FALSE;
  }

  bool unicode = false;
  DWORD type = 0;
  BYTE value[2];
  if (const auto at = section.offsetOf(PIDSI_CODEPAGE); at && SeekTo(stream.get(), *at) &&
      ReadDword(stream.get(), &type) && type == VT_I2 && ReadExact(stream.get(), value, 2))
    unicode = GetLittleEndian16(value) == kCodePageUnicode;

  const auto dictionary = section.offsetOf(0);
  if (!dictionary || !SeekTo(stream.get(), *dictionary)) return FALSE;
  const auto id = findNamedId(stream.get(), unicode, QString::fromLatin1(kMarkName));
  const auto at = id ? section.offsetOf(*id) : std::nullopt;
  if (!at || !SeekTo(stream.get(), *at) || !ReadDword(stream.get(), &type) || type != VT_BOOL ||
      !ReadExact(stream.get(), value, 2))
    return FALSE;
  *showMessage = GetLittleEndian16(value) == 0;
  return TRUE;
}
