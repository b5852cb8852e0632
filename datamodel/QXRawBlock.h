// Members of the newer family kept exactly as received: the 40-byte "MCS1"
// header image and the data block that followed it, so that they can be
// stored and sent back byte for byte.
//
// Header image: ':' "MCS1" 0, data size big-endian at 6-9, type byte at 10,
// variable name at 11-18 and group at 19-37 (both padded with 0xFF), 38-39.
#pragma once

#include "datamodel/QXStorable.h"

#include <memory>
#include <string>
#include <vector>

class CQXRawBlock : public CQXStorable {
 public:
  static constexpr DWORD kHeaderSize = 40;

  // Stored (no record header, no end mark): dword n + 48, dword 40, the
  // header image, dword n, n data bytes.
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override { return GetLength() + 52; }

  void SetHeader(const BYTE* image);
  // Copies the first n (at most 40) header bytes; returns how many.
  int GetHeader(BYTE* buffer, int n) const;
  const BYTE* HeaderImage() const { return m_header; }

  // Keeps a copy of the bytes; null or a length of 0 leave the block empty.
  void SetData(const BYTE* bytes, DWORD length);
  DWORD GetLength() const { return DWORD(m_data.size()); }
  // The data, or null for an empty block.
  const BYTE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
  BYTE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }

  // The variable name (bytes 11-18) up to the first 0x00 or 0xFF; FALSE,
  // buffer untouched, when there is none or it does not fit `size`.
  BOOL GetName(char* buffer, UINT size) const;
  std::string Name() const;
  // The group from byte 19, same rules, cut to 8 characters.
  BOOL GetGroup(char* buffer, UINT size) const;
  std::string Group() const;

  // All 40 bytes 0xFF, then ':' "MCS1" 0, the size big-endian, the type
  // byte, the name (at most 8 characters) and the group (at most 19).
  BOOL InitHeader(BYTE type, const char* name, const char* group, DWORD dataSize);
  // Writes the data size into header bytes 6-9.
  void SetHeaderDataSize(DWORD dataSize);

 private:
  BYTE m_header[kHeaderSize] = {};
  std::vector<BYTE> m_data;
};

// An ordered list of raw blocks that owns them.
class CQXRawBlockList : public CQXStorable {
 public:
  // Stored: dword count, then each block. Loading appends to what is there.
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  int GetCount() const { return int(m_blocks.size()); }
  // The block at a position, or null.
  CQXRawBlock* GetAt(int index) const;
  int IndexOf(const CQXRawBlock* block) const;
  // A new block from 40 header bytes and the data, appended; null when the
  // header is shorter than 40 bytes.
  CQXRawBlock* AddBlock(const BYTE* header, DWORD headerLength, const BYTE* data, DWORD length);
  // Appends a block and takes it over.
  void AddTail(std::unique_ptr<CQXRawBlock> block);
  void AddTail(CQXRawBlock* block) { AddTail(std::unique_ptr<CQXRawBlock>(block)); }
  // Takes the block at `index` out of the list and hands it over.
  std::unique_ptr<CQXRawBlock> RemoveAt(int index);
  // Moves the block at `index` to the end.
  void MoveToEnd(int index);
  void RemoveAll() { m_blocks.clear(); }

 private:
  std::vector<std::unique_ptr<CQXRawBlock>> m_blocks;
};
