#include "datamodel/OrvoArchive.h"

void ThrowArchiveException(int code) { throw COrvoArchiveException(code); }

void COrvoArchive::ReadDword(DWORD*) { ThrowArchiveException(kArchiveNotSupported); }
void COrvoArchive::Read(void*, UINT) { ThrowArchiveException(kArchiveNotSupported); }
void COrvoArchive::WriteDword(const DWORD*) { ThrowArchiveException(kArchiveNotSupported); }
void COrvoArchive::Write(const void*, UINT) { ThrowArchiveException(kArchiveNotSupported); }
void COrvoArchive::GetLength(DWORD*) { ThrowArchiveException(kArchiveNotSupported); }
void COrvoArchive::SetLength(DWORD) { ThrowArchiveException(kArchiveNotSupported); }
void COrvoArchive::Seek(DWORD) { ThrowArchiveException(kArchiveNotSupported); }
void COrvoArchive::GetPosition(DWORD*) { ThrowArchiveException(kArchiveNotSupported); }

DWORD COrvoArchive::BytesLeft() {
  DWORD length = 0, position = 0;
  GetLength(&length);
  GetPosition(&position);
  return position < length ? length - position : 0;
}

void COrvoArchive::RequireBytes(DWORD count) {
  if (count > BytesLeft()) ThrowArchiveException(kArchiveBadRecord);
}

std::vector<BYTE> COrvoArchive::ReadBytes(DWORD count) {
  RequireBytes(count);
  std::vector<BYTE> bytes(count);
  if (count) Read(bytes.data(), count);
  return bytes;
}
