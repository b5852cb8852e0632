// One compound file on its byte store: reads the whole element tree from it,
// and writes a new tree into it without ever overwriting a sector that the
// file's current header still reaches. The new header is written last, so a
// failure at any point leaves the previous contents whole.
#pragma once

#include "platform/storage/ElementTree.h"
#include "platform/storage/FileIo.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tallix::cfb {

class CompoundFile {
 public:
  explicit CompoundFile(std::shared_ptr<FileIo> io);
  ~CompoundFile();
  CompoundFile(const CompoundFile&) = delete;
  CompoundFile& operator=(const CompoundFile&) = delete;

  // Reads the file: S_OK, STG_E_FILEALREADYEXISTS (not a compound file),
  // STG_E_DOCFILECORRUPT, STG_E_READFAULT or STG_E_INSUFFICIENTMEMORY. With
  // `loadAll`, every stream is read into memory (for openers that let others
  // write the file meanwhile).
  HRESULT load(bool loadAll, std::unique_ptr<Node>* root);
  // Reads the file's current state again, as it was first read (a
  // transacted root's Revert). Sectors of every earlier state stay
  // protected.
  HRESULT reload(std::unique_ptr<Node>* root);
  // Empties the file and writes an empty compound file (version 3).
  HRESULT create(std::unique_ptr<Node>* root);
  // Writes `root` as the file's contents. Streams written here stay in the
  // file afterwards (their bytes leave memory).
  HRESULT commit(Node& root);

  const std::shared_ptr<FileIo>& io() const { return io_; }
  // Closes the byte store; the locks go with it.
  void close();

  // Where the file lies, how it was opened, and whether it goes at the end.
  std::string path;
  DWORD mode = 0;
  bool loadAll = false;
  bool deleteOnRelease = false;
  // While above zero, direct-mode changes wait in memory (a copy in progress).
  int holdWrites = 0;

 private:
  friend class CommitWriter;
  std::shared_ptr<FileExtent> makeExtent(std::vector<std::uint32_t> sectors);

  std::shared_ptr<FileIo> io_;
  unsigned shift_ = 9;
  // Every sector the file's current header reaches: not to be overwritten
  // before a new header replaces it.
  std::vector<std::uint32_t> committedSectors_;
  // Every extent handed out: their sectors are not reused while they live.
  std::vector<std::weak_ptr<FileExtent>> extents_;
  std::uint32_t signature_ = 0;
  // The current state's number (unique in the process; see StreamData), its
  // mini stream's allocation table, and the chains of its mini stream,
  // mini table and directory: a commit keeps those of their sectors whose
  // bytes stay the same. Empty chains when the state is not known for sure.
  std::uint64_t generation_ = 0;
  std::vector<std::uint32_t> miniFat_;
  std::vector<std::uint32_t> containerChain_, miniFatChain_, dirChain_;
  void forgetState();
};

// A number no file state of this process had before.
std::uint64_t newGeneration();

// A class id as stored (little-endian fields).
CLSID readClsid(const std::uint8_t* p);
void writeClsid(std::uint8_t* p, const CLSID& id);

}  // namespace tallix::cfb
