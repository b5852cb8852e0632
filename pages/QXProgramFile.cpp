#include "pages/QXProgramFile.h"

#include "datamodel/QXProgramItem.h"
#include "link/Checksum.h"
#include "platform/FileArchive.h"
#include "platform/MessageBox.h"
#include "platform/OutsideFile.h"

#include <array>
#include <climits>
#include <cstring>
#include <new>

namespace {

constexpr BYTE kBlockStart = ':';
constexpr UINT kMsgCannotCreate = 10570;
constexpr UINT kMsgWriteFailed = 10571;
constexpr UINT kMsgReadFailed = 10572;
constexpr UINT kMsgOpenFailed = 61697;
constexpr UINT kMsgOutOfMemory = 61706;
constexpr int kChecksumStart = 256;
constexpr int kLastHeaderByte = kProgramFileBlockSize - 1;
constexpr int kHeaderBytes = kProgramFileBlockSize - 2;  // between ':' and the checksum

// ':' opens a block; its last byte is the checksum of the bytes between.
void closeBlock(BYTE* block) {
  block[0] = kBlockStart;
  block[kLastHeaderByte] = ComputeChecksum(block + 1, kHeaderBytes, kChecksumStart);
}

BOOL fail(UINT message) {
  AfxMessageBox(message, MB_ICONEXCLAMATION);
  return FALSE;
}

// The whole of `bytes` through a temporary file that replaces the old one
// only once everything was written.
BOOL writeWhole(const char* path, const QByteArray& bytes) {
  CFile file;
  if (!file.Open(path, CFile::modeCreate | CFile::modeWrite)) return fail(kMsgCannotCreate);
  try {
    file.Write(bytes.constData(), UINT(bytes.size()));
    file.Close();
  } catch (const CFileException&) {
    file.Abort();
    return fail(kMsgWriteFailed);
  }
  return TRUE;
}

}  // namespace

BOOL BuildProgramFile(CQXProgramItem& item, QByteArray* out) {
  std::array<BYTE, kProgramFileBlockSize> header{};
  if (!item.BuildHeader(header.data(), int(header.size()))) return FALSE;
  header[4] = 0;
  closeBlock(header.data());

  const CQXProgramRecord& record = item.GetRecord();
  const DWORD n = record.GetTextLength();

  std::array<BYTE, kProgramFileBlockSize> end;
  end.fill(0xFF);
  std::memcpy(end.data() + 1, "END", 3);
  closeBlock(end.data());

  out->clear();
  out->reserve(qsizetype(2 * kProgramFileBlockSize + n + 2));
  out->append(reinterpret_cast<const char*>(header.data()), kProgramFileBlockSize);
  out->append(char(kBlockStart));
  if (n) out->append(reinterpret_cast<const char*>(record.GetText()), qsizetype(n));
  out->append(char(ComputeChecksum(record.GetText(), n, kChecksumStart)));
  out->append(reinterpret_cast<const char*>(end.data()), kProgramFileBlockSize);
  return TRUE;
}

BOOL ParseProgramFile(const QByteArray& bytes, CQXProgramItem* item) {
  if (bytes.size() < kProgramFileBlockSize) return FALSE;
  std::array<BYTE, kProgramFileBlockSize> header;
  std::memcpy(header.data(), bytes.constData(), header.size());
  if (ComputeChecksum(header.data() + 1, kHeaderBytes, kChecksumStart) != header[kLastHeaderByte]) return FALSE;
  if (header[35] != 'B' || header[36] != 'N') {
    header[35] = 'N';
    header[36] = 'L';
  }
  if (!item->ParseHeader(header.data(), int(header.size()))) return FALSE;

  // The length is checked against what the file holds before anything is
  // taken: a forged length neither reads past the end nor allocates.
  const DWORD length = GetHeaderDataLength(header.data(), int(header.size()));
  const qsizetype rest = bytes.size() - kProgramFileBlockSize;
  if (length < 2 || length > DWORD(INT_MAX) || qsizetype(length) > rest) return FALSE;
  const BYTE* block = reinterpret_cast<const BYTE*>(bytes.constData()) + kProgramFileBlockSize;
  if (ComputeChecksum(block + 1, length - 2, kChecksumStart) != block[length - 1]) return FALSE;
  return item->SetDataBlock(block + 1, int(length - 2));
}

BOOL WriteProgramFile(const char* path, CQXProgramItem& item) {
  QByteArray bytes;
  try {
    if (!BuildProgramFile(item, &bytes)) return fail(kMsgWriteFailed);
  } catch (const std::bad_alloc&) {
    return fail(kMsgOutOfMemory);
  }
  return writeWhole(path, bytes);
}

BOOL WriteProgramText(const char* path, const QByteArray& text) { return writeWhole(path, text); }

BOOL ReadProgramFile(const char* path, CQXProgramItem* item) {
  try {
    QByteArray bytes;
    tallix::OutsideFileError error = tallix::OutsideFileError::None;
    if (!tallix::readOutsideFile(path, std::uint64_t(kMaxProgramFileSize), &bytes, &error)) {
      const bool unopened = error == tallix::OutsideFileError::Missing || error == tallix::OutsideFileError::CannotOpen;
      return fail(unopened ? kMsgOpenFailed : kMsgReadFailed);
    }
    if (!ParseProgramFile(bytes, item)) return fail(kMsgReadFailed);
  } catch (const std::bad_alloc&) {
    return fail(kMsgOutOfMemory);
  }
  return TRUE;
}
