#include "datamodel/QXRawBlock.h"

#include "datamodel/QXItemNames.h"
#include "platform/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace {

// A header text from `from` up to the first 0x00 or 0xFF, at most `max` bytes.
std::string headerText(const BYTE* header, size_t from, size_t max) {
  std::string text;
  for (size_t i = from; i < CQXRawBlock::kHeaderSize && text.size() < max; ++i) {
    if (header[i] == 0x00 || header[i] == 0xFF) break;
    text += char(header[i]);
  }
  return text;
}

BOOL copyName(const std::string& name, char* buffer, UINT size) {
  return !name.empty() && CopyTextOut(name, buffer, size);
}

}  // namespace

void CQXRawBlock::Load(COrvoArchive& ar) {
  m_data.clear();
  ar.ReadDwordValue();  // n + 48, not relied on
  ExpectDword(ar, kHeaderSize);
  ar.Read(m_header, kHeaderSize);
  m_data = ar.ReadBytes(ar.ReadDwordValue());
}

void CQXRawBlock::Store(COrvoArchive& ar) {
  ar.WriteDwordValue(GetLength() + 48);
  ar.WriteDwordValue(kHeaderSize);
  ar.Write(m_header, kHeaderSize);
  ar.WriteDwordValue(GetLength());
  if (!m_data.empty()) ar.Write(m_data.data(), GetLength());
}

void CQXRawBlock::SetHeader(const BYTE* image) {
  if (image) std::memcpy(m_header, image, kHeaderSize);
}

int CQXRawBlock::GetHeader(BYTE* buffer, int n) const {
  if (!buffer || n <= 0) return 0;
  n = std::min(n, int(kHeaderSize));
  std::memcpy(buffer, m_header, size_t(n));
  return n;
}

void CQXRawBlock::SetData(const BYTE* bytes, DWORD length) {
  if (!bytes || length == 0)
    m_data.clear();
  else
    m_data.assign(bytes, bytes + length);
}

std::string CQXRawBlock::Name() const { return headerText(m_header, 11, 8); }

std::string CQXRawBlock::Group() const { return headerText(m_header, 19, 8); }

BOOL CQXRawBlock::GetName(char* buffer, UINT size) const { return copyName(Name(), buffer, size); }

BOOL CQXRawBlock::GetGroup(char* buffer, UINT size) const { return copyName(Group(), buffer, size); }

BOOL CQXRawBlock::InitHeader(BYTE type, const char* name, const char* group, DWORD dataSize) {
  std::memset(m_header, 0xFF, kHeaderSize);
  m_header[0] = ':';
  std::memcpy(m_header + 1, "MCS1", 4);
  m_header[5] = 0;
  SetHeaderDataSize(dataSize);
  m_header[10] = type;
  if (name) std::memcpy(m_header + 11, name, std::min<size_t>(std::strlen(name), 8));
  if (group) std::memcpy(m_header + 19, group, std::min<size_t>(std::strlen(group), 19));
  return TRUE;
}

void CQXRawBlock::SetHeaderDataSize(DWORD dataSize) { PutBigEndian32(m_header + 6, dataSize); }

// --- List -------------------------------------------------------------------

DWORD CQXRawBlockList::GetStoredSize() {
  DWORD size = 4;
  for (auto& block : m_blocks) size += block->GetStoredSize();
  return size;
}

void CQXRawBlockList::Load(COrvoArchive& ar) {
  const DWORD count = ar.ReadDwordValue();
  // Every block takes at least 52 bytes: a count beyond what the stream holds is damage.
  if (count > ar.BytesLeft() / 52) ThrowArchiveException(kArchiveBadRecord);
  for (DWORD i = 0; i < count; ++i) {
    auto block = std::make_unique<CQXRawBlock>();
    block->Load(ar);  // a block that fails to load is dropped; earlier ones stay
    m_blocks.push_back(std::move(block));
  }
}

void CQXRawBlockList::Store(COrvoArchive& ar) {
  ar.WriteDwordValue(DWORD(m_blocks.size()));
  for (auto& block : m_blocks) block->Store(ar);
}

CQXRawBlock* CQXRawBlockList::GetAt(int index) const {
  return index >= 0 && index < GetCount() ? m_blocks[size_t(index)].get() : nullptr;
}

int CQXRawBlockList::IndexOf(const CQXRawBlock* block) const {
  for (size_t i = 0; i < m_blocks.size(); ++i)
    if (m_blocks[i].get() == block) return int(i);
  return -1;
}

CQXRawBlock* CQXRawBlockList::AddBlock(const BYTE* header, DWORD headerLength, const BYTE* data, DWORD length) {
  if (!header || headerLength < CQXRawBlock::kHeaderSize) return nullptr;
  auto block = std::make_unique<CQXRawBlock>();
  block->SetHeader(header);
  block->SetData(data, length);
  CQXRawBlock* added = block.get();
  m_blocks.push_back(std::move(block));
  return added;
}

void CQXRawBlockList::AddTail(std::unique_ptr<CQXRawBlock> block) {
  if (block) m_blocks.push_back(std::move(block));
}

std::unique_ptr<CQXRawBlock> CQXRawBlockList::RemoveAt(int index) {
  if (index < 0 || index >= GetCount()) return nullptr;
  std::unique_ptr<CQXRawBlock> block = std::move(m_blocks[size_t(index)]);
  m_blocks.erase(m_blocks.begin() + index);
  return block;
}

void CQXRawBlockList::MoveToEnd(int index) {
  if (index < 0 || index >= GetCount()) return;
  std::rotate(m_blocks.begin() + index, m_blocks.begin() + index + 1, m_blocks.end());
}
