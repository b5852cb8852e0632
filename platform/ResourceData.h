// The check of a resource file (the language library, the download
// library's satellite) before Qt is given its bytes. Qt reads a resource
// registered from memory without looking at its size, so a file cut short
// or damaged would make it read past the bytes; here every offset the file
// holds is checked against its size, and its entries must form a tree (no
// entry reached twice, so no walk through it can loop). The program writes
// its resource files uncompressed; a compressed entry, which could claim any
// size once unpacked, is refused. Header-only: the
// download library uses it without linking the platform layer.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace tallix {

namespace resource_detail {

inline std::uint64_t be(const QByteArray& d, std::uint64_t at, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | std::uint8_t(d[qsizetype(at) + i]);
  return v;
}

}  // namespace resource_detail

// True when `data` is a whole resource file of the layout Qt's resource
// compiler writes (versions 1 to 3) without compression: the header, then a
// tree of entries whose names and data all lie within the bytes.
inline bool isSoundResourceData(const QByteArray& data) {
  using resource_detail::be;
  const std::uint64_t size = std::uint64_t(data.size());
  if (size < 20 || !data.startsWith("qres")) return false;
  const std::uint64_t version = be(data, 4, 4);
  if (version < 1 || version > 3 || (version >= 3 && size < 24)) return false;
  const std::uint64_t tree = be(data, 8, 4), payload = be(data, 12, 4), names = be(data, 16, 4);
  if (tree >= size || payload >= size || names >= size) return false;
  const std::uint64_t nodeSize = version >= 2 ? 22 : 14;
  const std::uint64_t nodes = (size - tree) / nodeSize;
  if (nodes == 0) return false;
  constexpr std::uint64_t kDirectory = 2, kCompressed = 1 | 4;  // zlib, zstd

  std::vector<bool> reached(nodes, false);
  std::vector<std::uint64_t> pending{0};
  reached[0] = true;
  bool root = true;
  while (!pending.empty()) {
    const std::uint64_t node = pending.back();
    pending.pop_back();
    const std::uint64_t at = tree + node * nodeSize;
    const std::uint64_t nameAt = names + be(data, at, 4);
    if (nameAt + 6 > size || nameAt + 6 + 2 * be(data, nameAt, 2) > size) return false;
    const std::uint64_t flags = be(data, at + 4, 2);
    const bool directory = (flags & kDirectory) != 0;
    if (root && !directory) return false;
    root = false;
    if (directory) {
      const std::uint64_t count = be(data, at + 6, 4), first = be(data, at + 10, 4);
      if (count > nodes || first > nodes - count) return false;
      for (std::uint64_t child = first; child < first + count; ++child) {
        if (reached[child]) return false;
        reached[child] = true;
        pending.push_back(child);
      }
    } else {
      if (flags & kCompressed) return false;
      const std::uint64_t dataAt = payload + be(data, at + 10, 4);
      if (dataAt + 4 > size || dataAt + 4 + be(data, dataAt, 4) > size) return false;
    }
  }
  return true;
}

}  // namespace tallix
