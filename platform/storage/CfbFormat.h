// Layout constants of the compound-file format and little-endian helpers.
#pragma once

#include <cstdint>
#include <cstring>

namespace tallix::cfb {

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

constexpr std::size_t kHeaderBytes = 512;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDirEntryBytes = 128;
constexpr unsigned kMiniShift = 6;  // 64-byte mini sectors
constexpr std::uint64_t kMiniSectorSize = 64;
constexpr std::uint64_t kMiniStreamCutoff = 4096;

// Header field offsets.
enum HeaderOffset : std::size_t {
  kHdrClsid = 8,
  kHdrMinorVersion = 24,
  kHdrMajorVersion = 26,
  kHdrByteOrder = 28,
  kHdrSectorShift = 30,
  kHdrMiniSectorShift = 32,
  kHdrDirSectorCount = 40,
  kHdrFatSectorCount = 44,
  kHdrFirstDirSector = 48,
  kHdrTransactionSignature = 52,
  kHdrMiniStreamCutoff = 56,
  kHdrFirstMiniFatSector = 60,
  kHdrMiniFatSectorCount = 64,
  kHdrFirstDifatSector = 68,
  kHdrDifatSectorCount = 72,
  kHdrDifat = 76,
};

// Directory entry field offsets.
enum EntryOffset : std::size_t {
  kEntName = 0,
  kEntNameLength = 64,
  kEntType = 66,
  kEntColor = 67,
  kEntLeft = 68,
  kEntRight = 72,
  kEntChild = 76,
  kEntClsid = 80,
  kEntStateBits = 96,
  kEntCreated = 100,
  kEntModified = 108,
  kEntStart = 116,
  kEntSize = 120,
};

enum EntryType : std::uint8_t { kTypeEmpty = 0, kTypeStorage = 1, kTypeStream = 2, kTypeRoot = 5 };
enum EntryColor : std::uint8_t { kRed = 0, kBlack = 1 };

inline std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
inline std::uint64_t le64(const std::uint8_t* p) {
  return std::uint64_t(le32(p)) | (std::uint64_t(le32(p + 4)) << 32);
}
inline void put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
}
inline void put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}
inline void put64(std::uint8_t* p, std::uint64_t v) {
  put32(p, std::uint32_t(v));
  put32(p + 4, std::uint32_t(v >> 32));
}

}  // namespace tallix::cfb
