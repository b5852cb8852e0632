// Writing a new element tree into a compound file.
//
// New sectors are taken only from those that the file's current header does
// not reach (its tables, directory and mini stream, and the streams kept in
// the file) and that no view in memory still reads from. Streams that did not
// change keep their sectors. Everything is written and flushed first; then the
// header, which makes the new contents the file's, in one sector write; then
// the file is cut after its last used sector.
#include "platform/storage/CfbFormat.h"
#include "platform/storage/CompoundFile.h"
#include "platform/storage/ShareLocks.h"

#include <algorithm>
#include <cerrno>
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
    std::vector<std::uint32_t> container = allocate(sectorsFor(miniStream_.size()));
    std::vector<std::uint32_t> miniFatSectors = allocate(sectorsFor(miniFat_.size() * 4));
    std::vector<std::uint32_t> dirSectors = allocate(sectorsFor(entries_.size() * kDirEntryBytes));
    placeTables();

    entries_[0].start = container.empty() ? kEndOfChain : container[0];
    entries_[0].size = miniStream_.size();

    std::vector<std::uint32_t> fat(fatSectors_.size() * perSector_, kFreeSector);
    auto link = [&fat](const std::vector<std::uint32_t>& chain) {
      for (std::size_t i = 0; i < chain.size(); ++i)
        fat[chain[i]] = i + 1 < chain.size() ? chain[i + 1] : kEndOfChain;
    };
    for (const Placed& p : placed_) link(p.sectors);
    link(container);
    link(miniFatSectors);
    link(dirSectors);
    for (std::uint32_t s : fatSectors_) fat[s] = kFatSector;
    for (std::uint32_t s : difatSectors_) fat[s] = kDifatSector;

    const std::uint64_t oldSize = io_.size();
    bool headerTried = false;
    try {
      for (const Placed& p : placed_) {
        if (!p.fresh) continue;
        if (p.data->extent) {  // from another file: through memory
          std::vector<std::uint8_t> bytes(std::size_t(p.data->size));
          if (FAILED(p.data->read(0, bytes.data(), bytes.size()))) return STG_E_READFAULT;
          writeChain(p.sectors, bytes.data(), bytes.size());
        } else {
          writeChain(p.sectors, p.data->bytes.data(), p.data->size);
        }
      }
      writeChain(container, miniStream_.data(), miniStream_.size());
      std::vector<std::uint8_t> bytes(miniFat_.size() * 4);
      for (std::size_t i = 0; i < miniFat_.size(); ++i) put32(bytes.data() + 4 * i, miniFat_[i]);
      writeChain(miniFatSectors, bytes.data(), bytes.size());
      bytes = directoryBytes();
      writeChain(dirSectors, bytes.data(), bytes.size());
      writeDifat();
      bytes.assign(fat.size() * 4, 0);
      for (std::size_t i = 0; i < fat.size(); ++i) put32(bytes.data() + 4 * i, fat[i]);
      writeSectors(fatSectors_, bytes.data());
      check(io_.sync());

      headerTried = true;
      const std::vector<std::uint8_t> header = headerBytes(dirSectors, miniFatSectors);
      check(io_.writeAt(0, header.data(), header.size()));
      check(io_.sync());
    } catch (const WriteFailed& failure) {
      if (!headerTried) {
        io_.truncate(oldSize);  // best effort: the sectors added beyond the old end
      } else {
        // The header may have reached the disk: keep both generations' sectors
        // out of the next write.
        auto& committed = file_.committedSectors_;
        committed.insert(committed.end(), newStructSectors_.begin(), newStructSectors_.end());
        committed.insert(committed.end(), container.begin(), container.end());
        committed.insert(committed.end(), miniFatSectors.begin(), miniFatSectors.end());
        committed.insert(committed.end(), dirSectors.begin(), dirSectors.end());
        for (const Placed& p : placed_) committed.insert(committed.end(), p.sectors.begin(), p.sectors.end());
      }
      return failure.error == ENOSPC || failure.error == EDQUOT || failure.error == EFBIG ? STG_E_MEDIUMFULL
                                                                                            : STG_E_WRITEFAULT;
    }
    io_.truncate(sectorSize_ + (std::uint64_t(highWater_) << shift_));  // failure only wastes space

    newStructSectors_.insert(newStructSectors_.end(), container.begin(), container.end());
    newStructSectors_.insert(newStructSectors_.end(), miniFatSectors.begin(), miniFatSectors.end());
    newStructSectors_.insert(newStructSectors_.end(), dirSectors.begin(), dirSectors.end());
    for (const Placed& p : placed_) newStructSectors_.insert(newStructSectors_.end(), p.sectors.begin(), p.sectors.end());
    file_.committedSectors_ = std::move(newStructSectors_);
    ++file_.signature_;
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

  void placeStreams() {
    std::unordered_set<const StreamData*> seen;
    for (Entry& e : entries_) {
      if (e.node->storage || !e.node->data) continue;
      StreamData* data = e.node->data.get();
      e.size = data->size;
      if (data->size == 0) continue;
      const bool duplicate = !seen.insert(data).second;
      if (data->size < kMiniStreamCutoff) {
        e.start = std::uint32_t(miniFat_.size());
        const std::size_t at = miniStream_.size();
        const std::size_t count = std::size_t((data->size + kMiniSectorSize - 1) / kMiniSectorSize);
        miniStream_.resize(at + count * kMiniSectorSize, 0);
        if (FAILED(data->read(0, miniStream_.data() + at, std::size_t(data->size)))) throw WriteFailed{EIO};
        for (std::size_t i = 0; i < count; ++i)
          miniFat_.push_back(i + 1 < count ? std::uint32_t(e.start + i + 1) : kEndOfChain);
        continue;
      }
      const bool keep = data->extent && data->extent->io == file_.io_ && data->extent->shift == shift_ && !duplicate;
      Placed p{data, keep ? data->extent->sectors : allocate(sectorsFor(data->size)), !keep, duplicate};
      e.start = p.sectors[0];
      placed_.push_back(std::move(p));
    }
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

  void writeChain(const std::vector<std::uint32_t>& chain, const std::uint8_t* data, std::uint64_t bytes) {
    std::size_t i = 0;
    while (i < chain.size()) {
      std::size_t j = i + 1;
      while (j < chain.size() && chain[j] == chain[j - 1] + 1) ++j;
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
