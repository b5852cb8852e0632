#include "datamodel/OrvoItemStream.h"

#include "datamodel/OrvoItemStore.h"
#include "platform/ByteOrder.h"

COrvoItemStream::~COrvoItemStream() { Close(); }

void COrvoItemStream::Throw(int code) {
  m_nStatus = code;
  ThrowArchiveException(code);
}

BOOL COrvoItemStream::OpenWith(const char* path, int mode, int storeFlags, const char* description, int refusedCode) {
  // The item's stream is opened exclusively: one held before goes back first,
  // or the item could not be opened again.
  Close();
  m_nMode = mode;
  if (!path) {
    m_nStatus = kArchiveNoPath;
    return FALSE;
  }
  if (!m_store || !m_store->IsOpen()) {
    m_nStatus = kArchiveStoreNotOpen;
    return FALSE;
  }
  OrvoNodeInfo info;
  info.SetPath(path);
  info.SetDescription(description);
  if (mode & 1)
    storeFlags |= ORVO_STREAM_READ;
  else if (mode & 2)
    storeFlags |= ORVO_STREAM_WRITE;
  if (!m_store->OpenItemStream(&info, &m_stream, storeFlags)) {
    m_stream = nullptr;
    m_nStatus = refusedCode;
    return FALSE;
  }
  m_nStatus = 0;
  return TRUE;
}

BOOL COrvoItemStream::Open(const char* path, int mode, BOOL create) {
  return OpenWith(path, mode, create ? ORVO_STREAM_CREATE : 0, nullptr, kArchiveOpenFailed);
}

BOOL COrvoItemStream::Create(const char* path, int mode, const char* description) {
  return OpenWith(path, mode, ORVO_STREAM_CREATE | ORVO_STREAM_CREATENODE, description, kArchiveCreateFailed);
}

BOOL COrvoItemStream::Close() {
  if (m_stream) {
    if (!m_store || !m_store->CloseItemStream(m_stream)) m_stream->Release();
    m_stream = nullptr;
  }
  m_nStatus = 0;
  m_nMode = 0;
  return TRUE;
}

void COrvoItemStream::Read(void* buffer, UINT count) {
  m_nStatus = 0;
  if (!m_stream || !m_store->Read(m_stream, buffer, count)) Throw(kArchiveReadFailed);
}

void COrvoItemStream::ReadDword(DWORD* out) {
  BYTE b[4];
  Read(b, 4);
  *out = GetLittleEndian32(b);
}

void COrvoItemStream::Write(const void* buffer, UINT count) {
  m_nStatus = 0;
  if (!m_stream || !m_store->Write(m_stream, buffer, count)) Throw(kArchiveWriteFailed);
}

void COrvoItemStream::WriteDword(const DWORD* value) {
  BYTE b[4];
  PutLittleEndian32(b, *value);
  Write(b, 4);
}

void COrvoItemStream::GetLength(DWORD* out) {
  m_nStatus = 0;
  if (!m_stream || !m_store->GetStreamLength(m_stream, out)) Throw(kArchiveSeekFailed);
}

void COrvoItemStream::SetLength(DWORD length) {
  m_nStatus = 0;
  if (!m_stream || !m_store->SetStreamLength(m_stream, length)) Throw(kArchiveSeekFailed);
}

void COrvoItemStream::Seek(DWORD position) {
  m_nStatus = 0;
  if (!m_stream || !m_store->Seek(m_stream, position)) Throw(kArchiveSeekFailed);
}

void COrvoItemStream::GetPosition(DWORD* out) {
  m_nStatus = 0;
  if (!m_stream || !m_store->GetStreamPosition(m_stream, out)) Throw(kArchiveSeekFailed);
}
