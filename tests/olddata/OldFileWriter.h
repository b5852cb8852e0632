// Builds files of the older version for the tests: documents through the
// storing direction of the reader's own classes, and backup files; plus the
// link-header blocks they carry.
#pragma once

#include "olddata/OldDataFile.h"
#include "olddata/OldListItems.h"

#include <memory>
#include <string>
#include <vector>

namespace tallix::test {

using Bytes = std::vector<BYTE>;

// A GDF2 block of one group holding `items`.
Bytes GroupBlock(const std::vector<Bytes>& items);
// A program block of the older family: the 48 header bytes ("PG" at 4-5,
// the length word data + 2 at 6-9, the name at 10-17 padded with 0xFF),
// then the data.
Bytes OlderProgramBlock(const std::string& name, const Bytes& data);
// A program block of the newer family: the 38 bytes of an "MCS1" header
// after its ':' ("MCS1" at 0-3, the data length at 5-8, type 1 at 9, the
// name at 10-17), then the data.
Bytes NewerProgramBlock(const std::string& name, const Bytes& data);
// `n` bytes counting up from `first`.
Bytes Counting(std::size_t n, BYTE first = 0);

// A document to write: its objects live in `pool`; the lists point into it
// (one object may stand in several lists).
struct OldDocument {
  char major = '3';
  char minor = '0';
  std::string signature = qxl16::CQXOldDataFile::kSignature;
  WORD schema = 7;
  qxl16::ObjectPool pool;
  std::vector<qxl16::CObject*> calcInfo, programs, second, screenCopies, transfers;

  template <class T>
  T* Make() {
    pool.push_back(std::make_unique<T>());
    return static_cast<T*>(pool.back().get());
  }
  // Sets the calculator information to one item with `model`.
  void SetModel(int model);
  // An NP or MCS item with one raw block record per block (or, with
  // `inDataBlocks`, one data-block record each).
  template <class T>
  T* Blocks(const std::string& name, const std::vector<Bytes>& blocks, bool inDataBlocks = false);

  // Signature, skipped fields and schema: the archive up to the collections.
  Bytes Prefix() const;
  // The whole archive (unmasked).
  Bytes Archive();
};

// Writes the version digits plain and the archive masked, through the masked
// file class.
void WriteOldFile(const std::string& path, char major, char minor, const Bytes& archive);
void WriteDocument(const std::string& path, OldDocument& doc);

// A backup file: length 136, the header with `kind` at byte 4, a GDF2 header
// block, then (older) one data block or (newer) a 32-bit count and the
// blocks.
Bytes BackupFile(const std::string& kind, const std::vector<Bytes>& blocks, bool newer);
void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);

extern template qxl16::COrvoQXListItemNP* OldDocument::Blocks(const std::string&, const std::vector<Bytes>&, bool);
extern template qxl16::COrvoQXListItemMCS* OldDocument::Blocks(const std::string&, const std::vector<Bytes>&, bool);

}  // namespace tallix::test
