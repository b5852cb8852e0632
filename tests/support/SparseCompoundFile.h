// A compound file close to the size bound, for the tests of what the
// program does with files that large: one stream "Bulk" fills it, its
// sectors left as holes of the file, so that it takes no room on the disk
// and costs nothing until it is read. Only the header, the allocation
// tables and the directory are written (8 MiB of tables for 1 GiB).
#pragma once

#include "platform/storage/CfbFormat.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace tallix::test {

// Writes the file at `path`, `size` bytes long or up to 512 bytes shorter
// (a whole number of sectors); false when it could not be written.
inline bool writeSparseCompoundFile(const std::string& path, std::uint64_t size) {
  using namespace tallix::cfb;
  constexpr std::uint64_t kSector = 512, kPerSector = kSector / 4;
  const std::uint64_t sectors = size / kSector - 1;  // after the header
  const std::uint64_t fatCount = (sectors + kPerSector - 1) / kPerSector;
  const std::uint64_t difatCount =
      fatCount > kHeaderDifatEntries ? (fatCount - kHeaderDifatEntries + kPerSector - 2) / (kPerSector - 1) : 0;
  const std::uint64_t bulk = sectors - fatCount - difatCount - 1;
  const auto firstFat = std::uint32_t(bulk), firstDifat = std::uint32_t(bulk + fatCount);
  const auto directory = std::uint32_t(bulk + fatCount + difatCount);

  std::vector<std::uint8_t> fat(std::size_t(fatCount * kSector), 0xFF);
  for (std::uint32_t s = 0; s < bulk; ++s) put32(&fat[4 * s], s + 1 < bulk ? s + 1 : kEndOfChain);
  for (std::uint32_t k = 0; k < fatCount; ++k) put32(&fat[4 * (firstFat + k)], kFatSector);
  for (std::uint32_t k = 0; k < difatCount; ++k) put32(&fat[4 * (firstDifat + k)], kDifatSector);
  put32(&fat[4 * directory], kEndOfChain);

  std::vector<std::uint8_t> header(kHeaderBytes, 0);
  std::copy(std::begin(kSignature), std::end(kSignature), header.begin());
  put16(&header[kHdrMinorVersion], 0x3E);
  put16(&header[kHdrMajorVersion], 3);
  put16(&header[kHdrByteOrder], 0xFFFE);
  put16(&header[kHdrSectorShift], 9);
  put16(&header[kHdrMiniSectorShift], kMiniShift);
  put32(&header[kHdrFatSectorCount], std::uint32_t(fatCount));
  put32(&header[kHdrFirstDirSector], directory);
  put32(&header[kHdrMiniStreamCutoff], std::uint32_t(kMiniStreamCutoff));
  put32(&header[kHdrFirstMiniFatSector], kEndOfChain);
  put32(&header[kHdrFirstDifatSector], difatCount ? firstDifat : kEndOfChain);
  put32(&header[kHdrDifatSectorCount], std::uint32_t(difatCount));
  std::vector<std::uint8_t> difat(std::size_t(difatCount * kSector), 0xFF);
  for (std::uint32_t k = 0; k < fatCount; ++k) {
    if (k < kHeaderDifatEntries) {
      put32(&header[kHdrDifat + 4 * k], firstFat + k);
    } else {
      const std::uint64_t at = k - kHeaderDifatEntries;
      put32(&difat[std::size_t((at / (kPerSector - 1)) * kSector + (at % (kPerSector - 1)) * 4)], firstFat + k);
    }
  }
  for (std::uint32_t d = 0; d < difatCount; ++d)
    put32(&difat[std::size_t(d * kSector + kSector - 4)], d + 1 < difatCount ? firstDifat + d + 1 : kEndOfChain);
  for (std::uint32_t k = std::uint32_t(fatCount); k < kHeaderDifatEntries; ++k)
    put32(&header[kHdrDifat + 4 * k], kFreeSector);

  std::vector<std::uint8_t> entries(kSector, 0);
  auto entry = [&entries](int index, const char* name, std::uint8_t type, std::uint32_t child,
                          std::uint32_t start, std::uint64_t bytes) {
    std::uint8_t* e = &entries[std::size_t(index) * kDirEntryBytes];
    std::uint16_t length = 0;
    for (; name[length]; ++length) put16(e + kEntName + 2 * length, std::uint8_t(name[length]));
    put16(e + kEntNameLength, std::uint16_t((length + 1) * 2));
    e[kEntType] = type;
    e[kEntColor] = kBlack;
    put32(e + kEntLeft, kNoStream);
    put32(e + kEntRight, kNoStream);
    put32(e + kEntChild, child);
    put32(e + kEntStart, start);
    put64(e + kEntSize, bytes);
  };
  entry(0, "Root Entry", kTypeRoot, 1, kEndOfChain, 0);
  entry(1, "Bulk", kTypeStream, kNoStream, 0, bulk * kSector);
  for (int i = 2; i < 4; ++i) {
    std::uint8_t* e = &entries[std::size_t(i) * kDirEntryBytes];
    put32(e + kEntLeft, kNoStream);
    put32(e + kEntRight, kNoStream);
    put32(e + kEntChild, kNoStream);
  }

  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  auto at = [](std::uint32_t sector) { return off_t(kSector + std::uint64_t(sector) * kSector); };
  auto put = [fd](const std::vector<std::uint8_t>& bytes, off_t offset) {
    return bytes.empty() || ::pwrite(fd, bytes.data(), bytes.size(), offset) == ssize_t(bytes.size());
  };
  const bool written = ::ftruncate(fd, off_t(kSector + sectors * kSector)) == 0 && put(header, 0) &&
                       put(fat, at(firstFat)) && put(difat, at(firstDifat)) && put(entries, at(directory));
  return ::close(fd) == 0 && written;
}

}  // namespace tallix::test
