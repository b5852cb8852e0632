// Writing a new element tree into a compound file.
//
// New sectors are taken only from those that the file's current header does
// not reach (its tables, directory and mini stream, and the streams kept in
// the file) and that no view in memory still reads from. Streams that did not
// change keep their sectors. Everything is written and flushed first; then the
// header, which makes the new contents the file's, in one sector write; then
// the file is cut after its last used sector. A file that would grow past
// the largest one the reader opens is refused before anything is written.
#include "platform/storage/CfbFormat.h"
#include "platform/storage/CompoundFile.h"
#include "platform/storage/ShareLocks.h"
#include "platform/storage/Storage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <unordered_set>

namespace tallix::cfb {

struct TooLarge {};
struct WriteFailed {
  int error;
};

class CommitWriter {
 public:
  CommitWriter(CompoundFile& file, Node& root)
      : file_(file), io_(*file.io_), shift_(file.shift_), sectorSize_(std::uint64_t(1) << shift_),
        perSector_(std::size_t(sectorSize_ / 4)) {
    entries_.push_back(Entry{&root});
  }

  HRESULT run() {
    buildDirectory();
    protectLiveSectors();
    placeStreams();
    placeMiniStreams();
    std::vector<std::uint8_t> miniFatBytes(miniFat_.size() * 4);
    for (std::size_t i = 0; i < miniFat_.size(); ++i) put32(miniFatBytes.data() + 4 * i, miniFat_[i]);
    const Chain container = placeReusing(file_.containerChain_, miniStream_);
    const Chain miniFatChain = placeReusing(file_.miniFatChain_, miniFatBytes);
    entries_[0].start = container.sectors.empty() ? kEndOfChain : container.sectors[0];
    entries_[0].size = miniStream_.size();
    const std::vector<std::uint8_t> directory = directoryBytes();
    const Chain dir = placeReusing(file_.dirChain_, directory);
    placeTables();
    // What could not be opened again is not written.
    if (sectorSize_ + (std::uint64_t(highWater_) << shift_) > kMaxCompoundFileSize) return STG_E_DOCFILETOOLARGE;

    std::vector<std::uint32_t> fat(fatSectors_.size() * perSector_, kFreeSector);
    auto link = [&fat](const std::vector<std::uint32_t>& chain) {
      for (std::size_t i = 0; i < chain.size(); ++i)
        fat[chain[i]] = i + 1 < chain.size() ? chain[i + 1] : kEndOfChain;
    };
    for (const Placed& p : placed_) link(p.sectors);
    link(container.sectors);
    link(miniFatChain.sectors);
    link(dir.sectors);
    for (std::uint32_t s : fatSectors_) fat[s] = kFatSector;
    for (std::uint32_t s : difatSectors_) fat[s] = kDifatSector;

    newStructSectors_.insert(newStructSectors_.end(), container.sectors.begin(), container.sectors.end());
    newStructSectors_.insert(newStructSectors_.end(), miniFatChain.sectors.begin(), miniFatChain.sectors.end());
    newStructSectors_.insert(newStructSectors_.end(), dir.sectors.begin(), dir.sectors.end());
    for (const Placed& p : placed_) newStructSectors_.insert(newStructSectors_.end(), p.sectors.begin(), p.sectors.end());

    const std::uint64_t oldSize = io_.size();
    bool headerTried = false;
    try {
      for (const Placed& p : placed_) {
        if (!p.fresh) continue;
        if (p.data->extent || p.data->view) {  // not held as its own bytes: through memory
          std::vector<std::uint8_t> bytes(std::size_t(p.data->size));
          if (FAILED(p.data->read(0, bytes.data(), bytes.size()))) return STG_E_READFAULT;
          writeChain(p.sectors, bytes.data(), bytes.size());
        } else {
          writeChain(p.sectors, p.data->bytes.data(), p.data->size);
        }
      }
      writeChain(container.sectors, miniStream_.data(), miniStream_.size(), &container.fresh);
      writeChain(miniFatChain.sectors, miniFatBytes.data(), miniFatBytes.size(), &miniFatChain.fresh);
      writeChain(dir.sectors, directory.data(), directory.size(), &dir.fresh);
      writeDifat();
      std::vector<std::uint8_t> bytes(fat.size() * 4, 0);
      for (std::size_t i = 0; i < fat.size(); ++i) put32(bytes.data() + 4 * i, fat[i]);
      writeSectors(fatSectors_, bytes.data());
      check(io_.sync());

      headerTried = true;
      const std::vector<std::uint8_t> header = headerBytes(dir.sectors, miniFatChain.sectors);
      check(io_.writeAt(0, header.data(), header.size()));
      check(io_.sync());
    } catch (const WriteFailed& failure) {
      if (!headerTried) {
        io_.truncate(oldSize);  // best effort: the sectors added beyond the old end
      } else {
        // The header may have reached the disk: keep both generations' sectors
        // out of the next write, and reuse nothing of either.
        auto& committed = file_.committedSectors_;
        committed.insert(committed.end(), newStructSectors_.begin(), newStructSectors_.end());
        file_.forgetState();
      }
      return failure.error == ENOSPC || failure.error == EDQUOT || failure.error == EFBIG ? STG_E_MEDIUMFULL
                                                                                            : STG_E_WRITEFAULT;
    }
    io_.truncate(sectorSize_ + (std::uint64_t(highWater_) << shift_));  // failure only wastes space

    file_.committedSectors_ = std::move(newStructSectors_);
    ++file_.signature_;
    file_.generation_ = newGeneration();
    file_.miniFat_ = std::move(miniFat_);
    file_.containerChain_ = container.sectors;
    file_.miniFatChain_ = miniFatChain.sectors;
    file_.dirChain_ = dir.sectors;
    // Small streams read from a mini stream read from the new one, so that
    // the old one's sectors are free for the next commit.
    std::shared_ptr<FileExtent> miniExtent;
    for (const MiniPlaced& m : miniPlaced_) {
      m.data->miniGeneration = file_.generation_;
      m.data->miniStart = m.chain[0];
      m.data->miniCount = std::uint32_t(m.chain.size());
      if (!m.data->extent) continue;
      if (std::adjacent_find(m.chain.begin(), m.chain.end(), [](std::uint32_t a, std::uint32_t b) { return b != a + 1; }) !=
          m.chain.end()) {
        (void)m.data->load();  // scattered: brought into memory (on failure it stays where it was, still kept)
        continue;
      }
      if (!miniExtent) miniExtent = file_.makeExtent(container.sectors);
      m.data->extent = miniExtent;
      m.data->extentOffset = std::uint64_t(m.chain[0]) * kMiniSectorSize;
    }
    for (const Placed& p : placed_) {
      if (!p.fresh || p.duplicate) continue;
      p.data->extent = file_.makeExtent(p.sectors);
      std::vector<std::uint8_t>().swap(p.data->bytes);
    }
    return S_OK;
  }

 private:
  struct Entry {
    Node* node;
    std::uint32_t left = kNoStream, right = kNoStream, child = kNoStream;
    std::uint8_t color = kBlack;
    std::uint32_t start = kEndOfChain;
    std::uint64_t size = 0;
    unsigned depth = 0;
  };
  struct Placed {
    StreamData* data;
    std::vector<std::uint32_t> sectors;
    bool fresh;      // to be written
    bool duplicate;  // the same bytes already placed for another entry
  };
  // A small stream's mini sectors.
  struct MiniPlaced {
    Entry* entry;
    StreamData* data;
    std::vector<std::uint32_t> chain;
    std::size_t needed;
    bool own;  // the first entry of its bytes: the place is recorded
  };
  // A structure's sectors; `fresh` for those to be written.
  struct Chain {
    std::vector<std::uint32_t> sectors;
    std::vector<std::uint8_t> fresh;
  };

  std::uint64_t sectorsFor(std::uint64_t bytes) const { return (bytes + sectorSize_ - 1) >> shift_; }

  static void check(int error) {
    if (error) throw WriteFailed{error};
  }

  // Entry 0 is the root; each storage's children follow one another, in the
  // directory's order, as a balanced tree coloured as a valid red-black tree.
  void buildDirectory() {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      Node* node = entries_[i].node;
      if (!node->storage || node->children.empty()) continue;
      const auto first = std::uint32_t(entries_.size());
      for (auto& [key, child] : node->children) entries_.push_back(Entry{child.get()});
      const auto last = std::uint32_t(entries_.size());
      entries_[i].child = buildTree(first, last, 0);
      const std::uint32_t n = last - first;
      const bool perfect = ((n + 1) & n) == 0;
      unsigned deepest = 0;
      for (std::uint32_t k = first; k < last; ++k) deepest = std::max(deepest, entries_[k].depth);
      for (std::uint32_t k = first; k < last; ++k)
        entries_[k].color = (!perfect && entries_[k].depth == deepest) ? kRed : kBlack;
    }
  }

  std::uint32_t buildTree(std::uint32_t lo, std::uint32_t hi, unsigned depth) {
    if (lo >= hi) return kNoStream;
    const std::uint32_t mid = lo + (hi - lo) / 2;
    entries_[mid].depth = depth;
    entries_[mid].left = buildTree(lo, mid, depth + 1);
    entries_[mid].right = buildTree(mid + 1, hi, depth + 1);
    return mid;
  }

  void take(std::uint32_t s) {
    if (s >= taken_.size()) taken_.resize(std::size_t(s) + 1, 0);
    taken_[s] = 1;
  }

  // What the current header reaches and what any view still reads from.
  // Only the latter must stay in the file after the new header is written.
  void protectLiveSectors() {
    const std::uint64_t size = io_.size();
    if (size > sectorSize_) taken_.assign(std::size_t(sectorsFor(size - sectorSize_)), 0);
    for (std::uint32_t s : file_.committedSectors_) take(s);
    auto& extents = file_.extents_;
    extents.erase(std::remove_if(extents.begin(), extents.end(), [](const auto& w) { return w.expired(); }),
                  extents.end());
    for (const auto& weak : extents)
      if (const auto extent = weak.lock())
        for (std::uint32_t s : extent->sectors) {
          take(s);
          highWater_ = std::max(highWater_, s + 1);
        }
  }

  std::uint32_t allocateOne() {
    while (next_ < taken_.size() && taken_[next_]) ++next_;
    if (next_ >= kMaxRegularSector) throw TooLarge{};
    take(next_);
    highWater_ = std::max(highWater_, next_ + 1);
    return next_++;
  }

  std::vector<std::uint32_t> allocate(std::uint64_t count) {
    std::vector<std::uint32_t> sectors;
    sectors.reserve(std::size_t(count));
    while (sectors.size() < count) sectors.push_back(allocateOne());
    return sectors;
  }

  // Streams of the cut-off size and more: unchanged ones stay where they are.
  void placeStreams() {
    std::unordered_set<const StreamData*> seen;
    for (Entry& e : entries_) {
      if (e.node->storage || !e.node->data) continue;
      StreamData* data = e.node->data.get();
      e.size = data->size;
      if (data->size < kMiniStreamCutoff) continue;
      const bool duplicate = !seen.insert(data).second;
      const bool keep = data->extent && data->extent->io == file_.io_ && data->extent->shift == shift_ && !duplicate;
      Placed p{data, keep ? data->extent->sectors : allocate(sectorsFor(data->size)), !keep, duplicate};
      e.start = p.sectors[0];
      placed_.push_back(std::move(p));
    }
  }

  // Small streams go into the mini stream: each where the file's current
  // state has it, as far as its old chain reaches and no other stream took
  // it; then what is missing in the lowest free mini sectors.
  void placeMiniStreams() {
    std::vector<std::uint8_t> used;
    auto claim = [&used](std::uint32_t s) {
      if (s >= used.size()) used.resize(std::size_t(s) + 1, 0);
      if (used[s]) return false;
      used[s] = 1;
      return true;
    };
    const std::vector<std::uint32_t>& oldFat = file_.miniFat_;
    std::unordered_set<const StreamData*> seen;
    for (Entry& e : entries_) {
      if (e.node->storage || !e.node->data) continue;
      StreamData* data = e.node->data.get();
      if (data->size == 0 || data->size >= kMiniStreamCutoff) continue;
      MiniPlaced m{&e, data, {}, std::size_t((data->size + kMiniSectorSize - 1) / kMiniSectorSize),
                   seen.insert(data).second};
      if (m.own && data->miniGeneration == file_.generation_) {
        std::uint32_t s = data->miniStart;
        for (std::size_t k = 0; k < std::min<std::size_t>(m.needed, data->miniCount); ++k) {
          if (s >= oldFat.size() || !claim(s)) {
            for (std::uint32_t taken : m.chain) used[taken] = 0;
            m.chain.clear();
            break;
          }
          m.chain.push_back(s);
          s = oldFat[s];
        }
      }
      miniPlaced_.push_back(std::move(m));
    }
    std::uint32_t next = 0;
    for (MiniPlaced& m : miniPlaced_) {
      while (m.chain.size() < m.needed) {
        while (next < used.size() && used[next]) ++next;
        claim(next);
        m.chain.push_back(next);
      }
    }
    while (!used.empty() && !used.back()) used.pop_back();
    miniFat_.assign(used.size(), kFreeSector);
    miniStream_.assign(used.size() * kMiniSectorSize, 0);
    for (MiniPlaced& m : miniPlaced_) {
      for (std::size_t k = 0; k < m.chain.size(); ++k) {
        miniFat_[m.chain[k]] = k + 1 < m.chain.size() ? m.chain[k + 1] : kEndOfChain;
        const std::uint64_t at = std::uint64_t(k) * kMiniSectorSize;
        const std::size_t n = std::size_t(std::min<std::uint64_t>(kMiniSectorSize, m.data->size - at));
        if (FAILED(m.data->read(at, miniStream_.data() + std::size_t(m.chain[k]) * kMiniSectorSize, n)))
          throw WriteFailed{EIO};
      }
      m.entry->start = m.chain[0];
    }
    std::erase_if(miniPlaced_, [](const MiniPlaced& m) { return !m.own; });
  }

  // Sectors for a structure of `bytes`: where the current state has the
  // same bytes at the same place in its chain, that sector stays; the others
  // are new. A failed read keeps nothing.
  Chain placeReusing(const std::vector<std::uint32_t>& old, const std::vector<std::uint8_t>& bytes) {
    Chain chain;
    const std::size_t count = std::size_t(sectorsFor(bytes.size()));
    const std::size_t comparable = std::min(count, old.size());
    std::vector<std::uint8_t> before(comparable << shift_);
    if (comparable) {
      FileExtent extent;
      extent.io = file_.io_;
      extent.shift = shift_;
      extent.headerSize = sectorSize_;
      extent.sectors.assign(old.begin(), old.begin() + std::ptrdiff_t(comparable));
      if (FAILED(extent.read(0, before.data(), before.size()))) before.clear();
    }
    std::vector<std::uint8_t> sector(static_cast<std::size_t>(sectorSize_));
    for (std::size_t j = 0; j < count; ++j) {
      const std::size_t at = j << shift_;
      const std::size_t n = std::min<std::size_t>(std::size_t(sectorSize_), bytes.size() - at);
      std::memcpy(sector.data(), bytes.data() + at, n);
      std::memset(sector.data() + n, 0, sector.size() - n);
      const bool same = j < before.size() >> shift_ && std::memcmp(before.data() + at, sector.data(), sector.size()) == 0;
      if (same) {
        highWater_ = std::max(highWater_, old[j] + 1);
        chain.sectors.push_back(old[j]);
      } else {
        chain.sectors.push_back(allocateOne());
      }
      chain.fresh.push_back(!same);
    }
    return chain;
  }

  // FAT and DIFAT sectors: enough FAT to describe every sector up to the
  // highest in use, counting their own.
  void placeTables() {
    for (;;) {
      const std::uint64_t fatNeeded = (std::uint64_t(highWater_) + perSector_ - 1) / perSector_;
      const std::uint64_t difatNeeded =
          fatNeeded > kHeaderDifatEntries ? (fatNeeded - kHeaderDifatEntries + perSector_ - 2) / (perSector_ - 1) : 0;
      if (fatSectors_.size() >= fatNeeded && difatSectors_.size() >= difatNeeded && !fatSectors_.empty()) break;
      while (fatSectors_.size() < std::max<std::uint64_t>(fatNeeded, 1)) fatSectors_.push_back(allocateOne());
      while (difatSectors_.size() < difatNeeded) difatSectors_.push_back(allocateOne());
    }
    newStructSectors_ = fatSectors_;
    newStructSectors_.insert(newStructSectors_.end(), difatSectors_.begin(), difatSectors_.end());
  }

  // Writes `bytes` of `data` over the chain (the last sector filled with
  // zeros), runs of neighbouring sectors at once; with `fresh`, only the
  // sectors marked in it.
  void writeChain(const std::vector<std::uint32_t>& chain, const std::uint8_t* data, std::uint64_t bytes,
                  const std::vector<std::uint8_t>* fresh = nullptr) {
    std::size_t i = 0;
    while (i < chain.size()) {
      if (fresh && !(*fresh)[i]) {
        ++i;
        continue;
      }
      std::size_t j = i + 1;
      while (j < chain.size() && chain[j] == chain[j - 1] + 1 && (!fresh || (*fresh)[j])) ++j;
      const std::uint64_t begin = std::uint64_t(i) << shift_;
      const std::uint64_t length = std::uint64_t(j - i) << shift_;
      const std::uint64_t available = bytes > begin ? std::min(bytes - begin, length) : 0;
      const std::uint64_t offset = sectorSize_ + (std::uint64_t(chain[i]) << shift_);
      if (available) check(io_.writeAt(offset, data + begin, std::size_t(available)));
      if (available < length) {
        const std::vector<std::uint8_t> zeros(std::size_t(length - available), 0);
        check(io_.writeAt(offset + available, zeros.data(), zeros.size()));
      }
      i = j;
    }
  }

  // Whole sectors, one after another in `data`.
  void writeSectors(const std::vector<std::uint32_t>& sectors, const std::uint8_t* data) {
    writeChain(sectors, data, std::uint64_t(sectors.size()) << shift_);
  }

  void writeDifat() {
    if (difatSectors_.empty()) return;
    std::vector<std::uint8_t> bytes(difatSectors_.size() << shift_, 0xFF);
    std::size_t fatIndex = kHeaderDifatEntries;
    for (std::size_t d = 0; d < difatSectors_.size(); ++d) {
      std::uint8_t* sector = bytes.data() + (d << shift_);
      for (std::size_t i = 0; i + 1 < perSector_ && fatIndex < fatSectors_.size(); ++i)
        put32(sector + 4 * i, fatSectors_[fatIndex++]);
      put32(sector + 4 * (perSector_ - 1), d + 1 < difatSectors_.size() ? difatSectors_[d + 1] : kEndOfChain);
    }
    writeSectors(difatSectors_, bytes.data());
  }

  std::vector<std::uint8_t> directoryBytes() const {
    const std::size_t perDirSector = std::size_t(sectorSize_ / kDirEntryBytes);
    const std::size_t slotCount = (entries_.size() + perDirSector - 1) / perDirSector * perDirSector;
    std::vector<std::uint8_t> bytes(slotCount * kDirEntryBytes, 0);
    for (std::size_t i = 0; i < slotCount; ++i) {
      std::uint8_t* e = bytes.data() + i * kDirEntryBytes;
      put32(e + kEntLeft, kNoStream);
      put32(e + kEntRight, kNoStream);
      put32(e + kEntChild, kNoStream);
      if (i >= entries_.size()) continue;
      const Entry& entry = entries_[i];
      const Node& node = *entry.node;
      for (std::size_t k = 0; k < node.name.size(); ++k) put16(e + kEntName + 2 * k, node.name[k]);
      put16(e + kEntNameLength, std::uint16_t((node.name.size() + 1) * 2));
      e[kEntType] = i == 0 ? kTypeRoot : node.storage ? kTypeStorage : kTypeStream;
      e[kEntColor] = entry.color;
      put32(e + kEntLeft, entry.left);
      put32(e + kEntRight, entry.right);
      put32(e + kEntChild, entry.child);
      if (node.storage) {
        writeClsid(e + kEntClsid, node.clsid);
        put32(e + kEntStateBits, node.stateBits);
      }
      // The root's times are the file's own; streams have none.
      if (node.storage && i != 0) {
        put32(e + kEntCreated, node.ctime.dwLowDateTime);
        put32(e + kEntCreated + 4, node.ctime.dwHighDateTime);
        put32(e + kEntModified, node.mtime.dwLowDateTime);
        put32(e + kEntModified + 4, node.mtime.dwHighDateTime);
      }
      if (!node.storage || i == 0) {
        put32(e + kEntStart, entry.start);
        put64(e + kEntSize, entry.size);
      }
    }
    return bytes;
  }

  std::vector<std::uint8_t> headerBytes(const std::vector<std::uint32_t>& dirSectors,
                                        const std::vector<std::uint32_t>& miniFatSectors) const {
    std::vector<std::uint8_t> h(kHeaderBytes, 0);
    std::memcpy(h.data(), kSignature, sizeof kSignature);
    put16(&h[kHdrMinorVersion], 0x003E);
    put16(&h[kHdrMajorVersion], shift_ == 12 ? 4 : 3);
    put16(&h[kHdrByteOrder], 0xFFFE);
    put16(&h[kHdrSectorShift], std::uint16_t(shift_));
    put16(&h[kHdrMiniSectorShift], kMiniShift);
    put32(&h[kHdrDirSectorCount], shift_ == 12 ? std::uint32_t(dirSectors.size()) : 0);
    put32(&h[kHdrFatSectorCount], std::uint32_t(fatSectors_.size()));
    put32(&h[kHdrFirstDirSector], dirSectors[0]);
    put32(&h[kHdrTransactionSignature], file_.signature_ + 1);
    put32(&h[kHdrMiniStreamCutoff], std::uint32_t(kMiniStreamCutoff));
    put32(&h[kHdrFirstMiniFatSector], miniFatSectors.empty() ? kEndOfChain : miniFatSectors[0]);
    put32(&h[kHdrMiniFatSectorCount], std::uint32_t(miniFatSectors.size()));
    put32(&h[kHdrFirstDifatSector], difatSectors_.empty() ? kEndOfChain : difatSectors_[0]);
    put32(&h[kHdrDifatSectorCount], std::uint32_t(difatSectors_.size()));
    for (std::size_t i = 0; i < kHeaderDifatEntries; ++i)
      put32(&h[kHdrDifat + 4 * i], i < fatSectors_.size() ? fatSectors_[i] : kFreeSector);
    return h;
  }

  CompoundFile& file_;
  FileIo& io_;
  const unsigned shift_;
  const std::uint64_t sectorSize_;
  const std::size_t perSector_;
  std::vector<Entry> entries_;
  std::vector<Placed> placed_;
  std::vector<MiniPlaced> miniPlaced_;
  std::vector<std::uint8_t> miniStream_;
  std::vector<std::uint32_t> miniFat_;
  std::vector<std::uint8_t> taken_;
  std::uint32_t next_ = 0;
  std::uint32_t highWater_ = 0;
  std::vector<std::uint32_t> fatSectors_, difatSectors_, newStructSectors_;
};

HRESULT CompoundFile::commit(Node& root) {
  CommitLock lock(io_->fd(), true);
  try {
    return CommitWriter(*this, root).run();
  } catch (const TooLarge&) {
    return STG_E_DOCFILETOOLARGE;
  } catch (const WriteFailed&) {
    return STG_E_READFAULT;
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  } catch (const std::length_error&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
}

}  // namespace tallix::cfb
