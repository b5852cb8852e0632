// Reading a compound file. Everything the header and the directory claim is
// checked against what the file holds before it is used: every sector of every
// chain must exist and belong to one chain only (which also stops cycles),
// every directory entry must be reached once, storages nest at most
// kMaxStorageDepth deep. Nothing is allocated beyond what the file's size allows.
#include "platform/storage/CompoundFile.h"

#include "platform/storage/CfbFormat.h"
#include "platform/storage/ShareLocks.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <new>
#include <stdexcept>

namespace tallix::cfb {
namespace {

constexpr std::uint64_t kUntilEnd = ~std::uint64_t(0);

struct Corrupt {};
struct ReadFault {};

class Reader {
 public:
  Reader(FileIo& io, bool loadAll) : io_(io), loadAll_(loadAll) {}

  void readHeader(std::uint64_t fileSize) {
    std::uint8_t h[kHeaderBytes] = {};
    const std::size_t got = std::size_t(std::min<std::uint64_t>(fileSize, kHeaderBytes));
    if (!io_.readAt(0, h, got)) throw ReadFault{};
    if (std::memcmp(h, kSignature, std::min<std::size_t>(got, sizeof kSignature)) != 0) throw NotCompound{};
    if (got < kHeaderBytes) throw Corrupt{};
    const unsigned major = le16(h + kHdrMajorVersion), shiftField = le16(h + kHdrSectorShift);
    if (!((major == 3 && shiftField == 9) || (major == 4 && shiftField == 12))) throw Corrupt{};
    if (le16(h + kHdrByteOrder) != 0xFFFE || le16(h + kHdrMiniSectorShift) != kMiniShift ||
        le32(h + kHdrMiniStreamCutoff) != kMiniStreamCutoff)
      throw Corrupt{};
    shift = shiftField;
    sectorSize = std::uint64_t(1) << shift;
    if (fileSize < sectorSize) throw Corrupt{};
    sectorCount = std::uint32_t(std::min<std::uint64_t>((fileSize - sectorSize) >> shift, kMaxRegularSector));
    claimed_.assign(sectorCount, 0);
    signature = le32(h + kHdrTransactionSignature);

    readFat(h);
    dirChain = chain(le32(h + kHdrFirstDirSector), kUntilEnd);
    directory_ = readChain(dirChain);
    entryCount_ = std::uint32_t(directory_.size / kDirEntryBytes);
    if (entryCount_ == 0 || directory_.data[kEntType] != kTypeRoot) throw Corrupt{};
    const std::uint8_t* root = directory_.data.get();
    rootSize_ = streamSize(root);
    containerChain = chain(le32(root + kEntStart), sectorsFor(rootSize_, shift));
    // Small streams are read from the file when asked for, unless the file
    // is read whole.
    if (loadAll_) miniStream_ = readChain(containerChain);
    miniClaimed_.assign(std::size_t(sectorsFor(rootSize_, kMiniShift)), 0);
    miniFatChain = chain(le32(h + kHdrFirstMiniFatSector), kUntilEnd);
    const Buffer miniFatBytes = readChain(miniFatChain);
    miniFat.resize(miniFatBytes.size / 4);
    for (std::size_t i = 0; i < miniFat.size(); ++i) miniFat[i] = le32(miniFatBytes.data.get() + 4 * i);
  }

  std::unique_ptr<Node> readTree(const std::function<std::shared_ptr<FileExtent>(std::vector<std::uint32_t>)>& makeExtent) {
    auto root = std::make_unique<Node>();
    fillEntry(directory_.data.get(), root.get());
    root->storage = true;
    std::vector<std::uint8_t> visited(entryCount_, 0);
    visited[0] = 1;
    struct Pending {
      std::uint32_t sid;
      Node* parent;
      unsigned depth;
    };
    std::vector<Pending> storages{{le32(directory_.data.get() + kEntChild), root.get(), 1}};
    std::vector<std::uint32_t> siblings;
    while (!storages.empty()) {
      const Pending p = storages.back();
      storages.pop_back();
      if (p.sid == kNoStream) continue;
      siblings.assign(1, p.sid);
      while (!siblings.empty()) {
        const std::uint32_t sid = siblings.back();
        siblings.pop_back();
        if (sid >= entryCount_ || visited[sid]) throw Corrupt{};
        visited[sid] = 1;
        const std::uint8_t* e = directory_.data.get() + std::size_t(sid) * kDirEntryBytes;
        for (std::size_t field : {kEntLeft, kEntRight})
          if (le32(e + field) != kNoStream) siblings.push_back(le32(e + field));
        auto node = std::make_unique<Node>();
        fillEntry(e, node.get());
        Node* added = node.get();
        if (!p.parent->children.emplace(NameKey(node->name), std::move(node)).second) throw Corrupt{};
        if (e[kEntType] == kTypeStorage) {
          added->storage = true;
          if (p.depth > kMaxStorageDepth) throw Corrupt{};
          storages.push_back({le32(e + kEntChild), added, p.depth + 1});
        } else if (e[kEntType] == kTypeStream) {
          added->data = readStream(e, makeExtent);
        } else {
          throw Corrupt{};
        }
      }
    }
    return root;
  }

  struct NotCompound {};

  unsigned shift = 9;
  std::uint64_t sectorSize = 512;
  std::uint32_t sectorCount = 0;
  std::uint32_t signature = 0;
  std::vector<std::uint32_t> committedSectors;
  const std::uint64_t generation = newGeneration();
  std::vector<std::uint32_t> miniFat, containerChain, miniFatChain, dirChain;

 private:
  static std::uint64_t sectorsFor(std::uint64_t bytes, unsigned s) {
    return (bytes >> s) + ((bytes & ((std::uint64_t(1) << s) - 1)) ? 1 : 0);
  }

  std::uint64_t streamSize(const std::uint8_t* e) const {
    const std::uint64_t size = le64(e + kEntSize);
    // Version 3 keeps 32 bits; some writers leave garbage in the high half.
    return shift == 9 ? (size & 0xFFFFFFFFu) : size;
  }

  void claim(std::uint32_t sector) {
    if (sector >= sectorCount || claimed_[sector]) throw Corrupt{};
    claimed_[sector] = 1;
  }

  std::uint64_t sectorOffset(std::uint32_t sector) const { return sectorSize + (std::uint64_t(sector) << shift); }

  void readSector(std::uint32_t sector, std::uint8_t* out) {
    if (!io_.readAt(sectorOffset(sector), out, std::size_t(sectorSize))) throw ReadFault{};
  }

  void readFat(const std::uint8_t* h) {
    const std::uint32_t fatCount = le32(h + kHdrFatSectorCount);
    if (fatCount > sectorCount) throw Corrupt{};
    std::vector<std::uint32_t> fatSectors;
    for (std::size_t i = 0; i < std::min<std::size_t>(fatCount, kHeaderDifatEntries); ++i)
      fatSectors.push_back(le32(h + kHdrDifat + 4 * i));
    const std::size_t perSector = std::size_t(sectorSize / 4);
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(sectorSize));
    std::uint32_t next = le32(h + kHdrFirstDifatSector);
    while (fatSectors.size() < fatCount) {
      claim(next);
      committedSectors.push_back(next);
      readSector(next, buf.data());
      for (std::size_t i = 0; i + 1 < perSector && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(le32(buf.data() + 4 * i));
      next = le32(buf.data() + 4 * (perSector - 1));
    }
    fat_.resize(std::size_t(fatCount) * perSector);
    for (std::uint32_t s : fatSectors) {
      claim(s);
      committedSectors.push_back(s);
    }
    // Neighbouring sectors of the table are read at once.
    const Buffer table = readChain(fatSectors);
    for (std::size_t i = 0; i < fat_.size(); ++i) fat_[i] = le32(table.data.get() + 4 * i);
  }

  // The sectors of a chain: `needed` of them, or all up to the end mark.
  std::vector<std::uint32_t> chain(std::uint32_t start, std::uint64_t needed) {
    std::vector<std::uint32_t> sectors;
    if (needed == 0 || (needed == kUntilEnd && start == kEndOfChain)) return sectors;
    std::uint32_t s = start;
    for (;;) {
      claim(s);
      sectors.push_back(s);
      committedSectors.push_back(s);
      if (sectors.size() == needed) break;
      if (s >= fat_.size()) throw Corrupt{};
      s = fat_[s];
      if (s == kEndOfChain) {
        if (needed == kUntilEnd) break;
        throw Corrupt{};  // shorter than its stream
      }
    }
    return sectors;
  }

  // Bytes as read: not set to zero first.
  struct Buffer {
    std::shared_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
  };

  Buffer readChain(const std::vector<std::uint32_t>& sectors) {
    Buffer out;
    out.size = sectors.size() << shift;
    out.data = std::make_shared_for_overwrite<std::uint8_t[]>(out.size);
    FileExtent extent;
    extent.shift = shift;
    extent.headerSize = sectorSize;
    extent.sectors = sectors;
    // The extent reads neighbouring sectors at once; it needs the store only
    // for the call.
    extent.io = std::shared_ptr<FileIo>(&io_, [](FileIo*) {});
    if (FAILED(extent.read(0, out.data.get(), out.size))) throw ReadFault{};
    return out;
  }

  void fillEntry(const std::uint8_t* e, Node* node) const {
    const std::uint16_t nameBytes = le16(e + kEntNameLength);
    if (nameBytes > 64) throw Corrupt{};
    for (std::size_t i = 0; i < nameBytes / 2u; ++i) {
      const char16_t c = le16(e + kEntName + 2 * i);
      if (c == 0) break;
      node->name.push_back(c);
    }
    if (node->name.empty() || node->name.size() > kMaxNameLength) throw Corrupt{};
    node->clsid = readClsid(e + kEntClsid);
    node->stateBits = le32(e + kEntStateBits);
    node->ctime = FILETIME{le32(e + kEntCreated), le32(e + kEntCreated + 4)};
    node->mtime = FILETIME{le32(e + kEntModified), le32(e + kEntModified + 4)};
  }

  std::shared_ptr<StreamData> readStream(
      const std::uint8_t* e, const std::function<std::shared_ptr<FileExtent>(std::vector<std::uint32_t>)>& makeExtent) {
    auto data = std::make_shared<StreamData>();
    data->size = streamSize(e);
    if (data->size == 0) return data;
    const std::uint32_t start = le32(e + kEntStart);
    if (data->size >= kMiniStreamCutoff) {
      data->extent = makeExtent(chain(start, sectorsFor(data->size, shift)));
      data->extent->headerSize = sectorSize;
      data->extent->shift = shift;
      if (loadAll_ && FAILED(data->load())) throw ReadFault{};
      return data;
    }
    data->miniGeneration = generation;
    data->miniStart = start;
    data->miniCount = std::uint32_t(sectorsFor(data->size, kMiniShift));
    const std::size_t size = std::size_t(data->size);
    bool inOneRun = true;
    std::uint32_t s = start;
    for (std::size_t done = 0; done < size; done += kMiniSectorSize) {
      if (done > 0) {
        if (s >= miniFat.size()) throw Corrupt{};
        inOneRun = inOneRun && miniFat[s] == s + 1;
        s = miniFat[s];
      }
      if (s >= miniClaimed_.size() || miniClaimed_[s]) throw Corrupt{};
      miniClaimed_[s] = 1;
    }
    const std::uint64_t offset = std::uint64_t(start) * kMiniSectorSize;
    if (inOneRun && !loadAll_) {
      // Read from the file when asked for, where the mini stream holds it.
      if (!miniExtent_) {
        miniExtent_ = makeExtent(containerChain);
        miniExtent_->headerSize = sectorSize;
        miniExtent_->shift = shift;
      }
      data->extent = miniExtent_;
      data->extentOffset = offset;
      return data;
    }
    if (!miniStream_.data) miniStream_ = readChain(containerChain);
    if (inOneRun) {
      // Its bytes follow one another in the mini stream read whole: viewed there.
      data->view = std::shared_ptr<const std::uint8_t>(miniStream_.data, miniStream_.data.get() + offset);
      return data;
    }
    data->bytes.resize(size);
    s = start;
    for (std::size_t done = 0; done < size; done += kMiniSectorSize) {
      if (done > 0) s = miniFat[s];
      const std::size_t take = std::min<std::size_t>(kMiniSectorSize, size - done);
      std::memcpy(data->bytes.data() + done, miniStream_.data.get() + std::size_t(s) * kMiniSectorSize, take);
    }
    return data;
  }

  FileIo& io_;
  bool loadAll_;
  std::vector<std::uint8_t> claimed_;
  std::vector<std::uint32_t> fat_;
  Buffer directory_;
  std::uint32_t entryCount_ = 0;
  std::uint64_t rootSize_ = 0;
  Buffer miniStream_;  // read only where needed
  std::shared_ptr<FileExtent> miniExtent_;
  std::vector<std::uint8_t> miniClaimed_;
};

}  // namespace

CLSID readClsid(const std::uint8_t* p) {
  CLSID id;
  id.Data1 = le32(p);
  id.Data2 = le16(p + 4);
  id.Data3 = le16(p + 6);
  std::memcpy(id.Data4, p + 8, 8);
  return id;
}

void writeClsid(std::uint8_t* p, const CLSID& id) {
  put32(p, id.Data1);
  put16(p + 4, id.Data2);
  put16(p + 6, id.Data3);
  std::memcpy(p + 8, id.Data4, 8);
}

std::uint64_t newGeneration() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

CompoundFile::CompoundFile(std::shared_ptr<FileIo> io) : io_(std::move(io)) {}

void CompoundFile::forgetState() {
  generation_ = newGeneration();
  miniFat_.clear();
  containerChain_.clear();
  miniFatChain_.clear();
  dirChain_.clear();
}

CompoundFile::~CompoundFile() = default;

void CompoundFile::close() {
  if (io_) io_->close();
}

std::shared_ptr<FileExtent> CompoundFile::makeExtent(std::vector<std::uint32_t> sectors) {
  auto extent = std::make_shared<FileExtent>();
  extent->io = io_;
  extent->shift = shift_;
  extent->headerSize = std::uint64_t(1) << shift_;
  extent->sectors = std::move(sectors);
  extents_.push_back(extent);
  return extent;
}

HRESULT CompoundFile::load(bool loadAll, std::unique_ptr<Node>* root) {
  const std::uint64_t size = io_->size();
  if (size == 0) return STG_E_DOCFILECORRUPT;
  CommitLock lock(loadAll ? io_->fd() : -1, false);
  try {
    Reader reader(*io_, loadAll);
    reader.readHeader(size);
    shift_ = reader.shift;
    auto tree = reader.readTree([this](std::vector<std::uint32_t> s) { return makeExtent(std::move(s)); });
    committedSectors_ = std::move(reader.committedSectors);
    signature_ = reader.signature;
    generation_ = reader.generation;
    miniFat_ = std::move(reader.miniFat);
    containerChain_ = std::move(reader.containerChain);
    miniFatChain_ = std::move(reader.miniFatChain);
    dirChain_ = std::move(reader.dirChain);
    *root = std::move(tree);
    return S_OK;
  } catch (const Reader::NotCompound&) {
    return STG_E_FILEALREADYEXISTS;
  } catch (const Corrupt&) {
    return STG_E_DOCFILECORRUPT;
  } catch (const ReadFault&) {
    return STG_E_READFAULT;
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  } catch (const std::length_error&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
}

HRESULT CompoundFile::reload(std::unique_ptr<Node>* root) {
  std::vector<std::uint32_t> earlier = committedSectors_;
  const HRESULT hr = load(loadAll, root);
  committedSectors_.insert(committedSectors_.end(), earlier.begin(), earlier.end());
  return hr;
}

HRESULT CompoundFile::create(std::unique_ptr<Node>* root) {
  if (const int e = io_->truncate(0)) return e == ENOSPC ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
  shift_ = 9;
  committedSectors_.clear();
  extents_.clear();
  forgetState();
  auto tree = std::make_unique<Node>();
  tree->storage = true;
  tree->name = u"Root Entry";
  if (const HRESULT hr = commit(*tree); FAILED(hr)) return hr;
  *root = std::move(tree);
  return S_OK;
}

}  // namespace tallix::cfb
