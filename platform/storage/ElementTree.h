// The elements of a compound file in memory: a tree of storages and streams.
// A stream's bytes are shared between copies of the tree (a transacted view
// and what it was copied from) and copied only when one of them changes them.
// A stream of 4096 bytes or more that has not been changed since it was read
// or written stays in the file: its bytes are read from its sectors on demand.
#pragma once

#include "platform/storage/ElementNames.h"
#include "platform/storage/FileIo.h"
#include "platform/storage/StorageTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace tallix::cfb {

// A stream's sectors in a file. While one exists, the sectors are not reused.
struct FileExtent {
  std::shared_ptr<FileIo> io;
  std::uint64_t headerSize = 512;
  unsigned shift = 9;
  std::vector<std::uint32_t> sectors;
  HRESULT read(std::uint64_t pos, void* out, std::size_t n) const;
};

struct StreamData {
  std::uint64_t size = 0;
  std::vector<std::uint8_t> bytes;     // when held in memory
  std::shared_ptr<FileExtent> extent;  // when kept in the file
  // Where the stream begins in `extent`: 0 for a big stream; a small stream
  // whose mini sectors follow one another is read from the file's mini
  // stream, the extent being the mini stream's sectors.
  std::uint64_t extentOffset = 0;
  // A small stream of a file read whole (others may write it), whose bytes
  // follow one another in its mini stream, is read from that copy (shared by
  // all of them).
  std::shared_ptr<const std::uint8_t> view;
  // A small stream's place in the mini stream of the file state numbered
  // `miniGeneration` (0: none): its first mini sector and how many it has.
  // The next commit of that file keeps it there, so that unchanged small
  // streams leave the mini stream's sectors as they are.
  std::uint64_t miniGeneration = 0;
  std::uint32_t miniStart = 0;
  std::uint32_t miniCount = 0;
  // Reads [pos, pos + n), which lies within the stream.
  HRESULT read(std::uint64_t pos, void* out, std::size_t n) const;
  // Brings the bytes into memory as the stream's own (`bytes`).
  HRESULT load();
};

struct Node {
  Name16 name;
  bool storage = false;
  CLSID clsid;
  DWORD stateBits = 0;
  FILETIME ctime, mtime;
  std::shared_ptr<StreamData> data;  // streams
  std::map<NameKey, std::unique_ptr<Node>> children;  // storages

  std::unique_ptr<Node> clone() const;
  Node* find(const NameKey& key) const;
};

// Storages nest at most this deep (the root is at depth 0): deeper files are
// refused as damaged, and deeper storages are not created.
constexpr unsigned kMaxStorageDepth = 255;

FILETIME fileTimeNow();
FILETIME fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);

}  // namespace tallix::cfb
