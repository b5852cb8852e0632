#include "datamodel/OrvoItemStore.h"


#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char* const kDirectoryStream = "Directory";
const char* const kItemsStorage = "Data_Items";

void copyField(char* field, size_t fieldSize, const std::string& text) {
  const size_t n = std::min(text.size(), fieldSize - 1);
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, fieldSize - n);
}

void release(IStorage*& s) {
  if (s) s->Release();
  s = nullptr;
}

DWORD storageMode(int flags) {
  DWORD mode = (flags & ORVO_OPEN_READONLY) ? STGM_READ : STGM_READWRITE;
  if (flags & ORVO_SHARE_DENYNONE) mode |= STGM_SHARE_DENY_NONE;
  if (flags & ORVO_SHARE_DENYWRITE) mode |= STGM_SHARE_DENY_WRITE;
  if (flags & ORVO_SHARE_DENYREAD) mode |= STGM_SHARE_DENY_READ;
  if (flags & ORVO_SHARE_EXCLUSIVE) mode |= STGM_SHARE_EXCLUSIVE;
  if (!(flags & ORVO_OPEN_DIRECT)) mode |= STGM_TRANSACTED;
  return mode;
}

constexpr DWORD kShareMask = 0x70;

// A file without any write permission is not written, whoever runs the
// program (the platform's read-only attribute holds for administrators too).
bool isWriteProtected(const QFileInfo& file) {
  constexpr QFile::Permissions kWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  return file.exists() && (!file.isWritable() || !(file.permissions() & kWrite));
}

}  // namespace

void OrvoNodeInfo::SetPath(const char* text) { copyField(path, sizeof path, text ? text : ""); }
void OrvoNodeInfo::SetDescription(const char* text) { copyField(description, sizeof description, text ? text : ""); }

std::string ItemStreamName(DWORD id) {
  char name[32];
  std::snprintf(name, sizeof name, "Item_%08u", unsigned(id));
  return name;
}

COrvoItemStore::COrvoItemStore() { Reset(); }

COrvoItemStore::~COrvoItemStore() { Reset(); }

DWORD COrvoItemStore::MapError(HRESULT hr) {
  switch (DWORD(hr)) {
    case 0:
    case 0x00030200:  // STG_S_CONVERTED
      return 0;
    case 0x80030002: return ORVO_E_NOTFOUND;
    case 0x80030003: return ORVO_E_PATHNOTFOUND;
    case 0x80030004: return ORVO_E_TOOMANYOPENFILES;
    case 0x80030005:
    case 0x80030020:
    case 0x80030021: return ORVO_E_ACCESSDENIED;
    case 0x80030008: return ORVO_E_OUTOFMEMORY;
    case 0x80030009:
    case 0x800300FC:
    case 0x800300FF: return ORVO_E_BADPATH;
    case 0x80030050: return ORVO_E_FILEEXISTS;
    case 0x80030070: return ORVO_E_DISKFULL;
    case 0x80030111: return ORVO_E_TOOLARGE;  // STG_E_DOCFILETOOLARGE
    default: return ORVO_E_FAIL;
  }
}

BOOL COrvoItemStore::Fail(DWORD code) {
  m_lastError = code;
  return FALSE;
}

BOOL COrvoItemStore::FailHr(HRESULT hr) {
  const DWORD code = MapError(hr);
  return Fail(code ? code : ORVO_E_FAIL);
}

void COrvoItemStore::FreeFindHandles() { m_findHandles.clear(); }

void COrvoItemStore::Reset() {
  release(m_items);
  release(m_root);
  m_rootNode.ClearChildren();
  FreeFindHandles();
  m_rootNode.id = 1;
  m_rootNode.flags = kNodeFolder;
  m_separator = '\\';
  m_rootNode.name.assign(1, m_separator);
  m_rootNode.description.clear();
  m_rootNode.valueA = m_rootNode.valueB = 0;
  m_rootNode.parent = nullptr;
  m_nextFreeId = 1024;
  m_dirty = FALSE;
  m_directoryStale = TRUE;
  m_transacted = FALSE;
  m_lastError = 0;
}

// ---------------------------------------------------------------- opening

BOOL COrvoItemStore::Open(const char* path, int flags) {
  m_lastError = 0;
  if (flags & ORVO_OPEN_SAVEAS) return SaveAs(path, flags);
  Reset();
  if (!path || !*path) return CreateFile(nullptr, flags);
  if (flags & ORVO_OPEN_CREATE) return CreateFile(path, flags);
  return OpenExisting(path, flags);
}

BOOL COrvoItemStore::Close() {
  Reset();
  return TRUE;
}

// A new file (or, without a path, a nameless temporary one deleted when
// released) with an empty "Data_Items"; "Directory" is first written by Flush.
BOOL COrvoItemStore::CreateFile(const char* path, int flags) {
  DWORD mode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
  if (!path) mode |= STGM_DELETEONRELEASE;
  if (!(flags & ORVO_OPEN_DIRECT)) mode |= STGM_TRANSACTED;
  HRESULT hr = StgCreateDocfile(path, mode, 0, &m_root);
  if (SUCCEEDED(hr) && m_root)
    hr = m_root->CreateStorage(kItemsStorage, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0, &m_items);
  if (FAILED(hr) || !m_root || !m_items) {
    const DWORD code = FAILED(hr) ? MapError(hr) : ORVO_E_FAIL;
    const bool created = m_root != nullptr;
    Reset();
    if (created && path) QFile::remove(QFile::decodeName(path));
    return Fail(code ? code : ORVO_E_FAIL);
  }
  m_transacted = (flags & ORVO_OPEN_DIRECT) ? FALSE : TRUE;
  return TRUE;
}

BOOL COrvoItemStore::OpenExisting(const char* path, int flags) {
  const DWORD mode = storageMode(flags);
  if (!(flags & ORVO_OPEN_READONLY) && isWriteProtected(QFileInfo(QFile::decodeName(path))))
    return Fail(ORVO_E_ACCESSDENIED);
  HRESULT hr = StgOpenStorage(path, nullptr, mode, nullptr, 0, &m_root);
  if (SUCCEEDED(hr) && m_root)
    hr = m_root->OpenStorage(kItemsStorage, nullptr, (mode & ~kShareMask) | STGM_SHARE_EXCLUSIVE, nullptr, 0, &m_items);
  if (FAILED(hr) || !m_root || !m_items) {
    const DWORD code = FAILED(hr) ? MapError(hr) : ORVO_E_FAIL;
    Reset();
    return Fail(code ? code : ORVO_E_FAIL);
  }
  m_transacted = (flags & ORVO_OPEN_DIRECT) ? FALSE : TRUE;
  if (!ReadDirectory()) {
    const DWORD code = m_lastError;
    Reset();
    return Fail(code);
  }
  return TRUE;
}

// The copy is written to a new file beside the target and takes the
// target's name only once it is complete, so that a failure leaves an
// existing target as it was. A write-protected target is never replaced,
// nor one that another opener (another running copy) holds, whose later
// saves would go into the replaced file; a link is followed to the file it
// names.
BOOL COrvoItemStore::SaveAs(const char* path, int flags) {
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  if (!path || !*path) return Fail(ORVO_E_BADPATH);
  QString target = QFile::decodeName(path);
  const QFileInfo targetInfo(target);
  if (targetInfo.exists()) {
    if (!targetInfo.isFile() || isWriteProtected(targetInfo)) return Fail(ORVO_E_ACCESSDENIED);
    target = targetInfo.canonicalFilePath();
  }
  const StgReplaceHold hold(QFile::encodeName(target).constData());
  if (FAILED(hold.Result())) return FailHr(hold.Result());
  if (!Flush()) return FALSE;
  DWORD mode = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
  if (!(flags & ORVO_OPEN_DIRECT)) mode |= STGM_TRANSACTED;
  IStorage* newRoot = nullptr;
  IStorage* newItems = nullptr;
  QByteArray temporary;
  HRESULT hr = S_OK;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QFileInfo t(target);
    temporary = QFile::encodeName(t.absolutePath() + QStringLiteral("/.") + t.fileName() +
                                  QStringLiteral(".%1-%2.tmp").arg(QCoreApplication::applicationPid()).arg(attempt));
    hr = StgCreateDocfile(temporary.constData(), mode, 0, &newRoot);
    if (hr != STG_E_FILEALREADYEXISTS) break;
  }
  if (SUCCEEDED(hr) && newRoot) hr = m_items->Commit(0);
  if (SUCCEEDED(hr) && newRoot) hr = m_root->CopyTo(0, nullptr, nullptr, newRoot);
  if (SUCCEEDED(hr) && newRoot)
    hr = newRoot->OpenStorage(kItemsStorage, nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &newItems);
  if (SUCCEEDED(hr) && newRoot) hr = newRoot->Commit(0);
  if (SUCCEEDED(hr) && newRoot && std::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0)
    hr = errno == ENOSPC ? STG_E_MEDIUMFULL : STG_E_ACCESSDENIED;
  if (FAILED(hr) || !newRoot || !newItems) {
    // The old store stays open as it was.
    const DWORD code = FAILED(hr) ? MapError(hr) : ORVO_E_FAIL;
    release(newItems);
    const bool created = newRoot != nullptr;
    release(newRoot);
    if (created) QFile::remove(QFile::decodeName(temporary));
    return Fail(code ? code : ORVO_E_FAIL);
  }
  release(m_items);
  release(m_root);
  m_root = newRoot;
  m_items = newItems;
  m_transacted = (flags & ORVO_OPEN_DIRECT) ? FALSE : TRUE;
  m_dirty = FALSE;
  return TRUE;
}

IStorage* COrvoItemStore::Detach() {
  IStorage* root = m_root;
  m_root = nullptr;
  Reset();
  return root;
}

BOOL COrvoItemStore::LoadFromStorage(IStorage* source) {
  m_lastError = 0;
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  if (!source) return Fail(ORVO_E_BADPATH);
  if (!Flush()) return FALSE;
  release(m_items);
  HRESULT hr = source->CopyTo(0, nullptr, nullptr, m_root);
  if (SUCCEEDED(hr)) {
    DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    if (m_transacted) mode |= STGM_TRANSACTED;
    hr = m_root->OpenStorage(kItemsStorage, nullptr, mode, nullptr, 0, &m_items);
  }
  if (FAILED(hr) || !m_items) return FailHr(hr);
  // The copied "Directory" describes the whole tree now: read it into an
  // empty tree, so that nothing is listed twice.
  m_rootNode.ClearChildren();
  FreeFindHandles();
  if (!ReadDirectory()) return FALSE;
  m_dirty = TRUE;
  return TRUE;
}

// ---------------------------------------------------------------- directory

BOOL COrvoItemStore::ReadDirectory() {
  IStream* stream = nullptr;
  HRESULT hr = m_root->OpenStream(kDirectoryStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
  if (FAILED(hr) || !stream) return FailHr(hr);
  STATSTG stat{};
  hr = stream->Stat(&stat, STATFLAG_NONAME);
  // Read over, not set to zero first: the listing is large in big documents.
  std::unique_ptr<BYTE[]> bytes;
  size_t size = 0;
  if (SUCCEEDED(hr)) {
    if (stat.cbSize < kDirectoryHeaderSize || stat.cbSize > 0x7FFFFFFFull) {
      stream->Release();
      return Fail(ORVO_E_DAMAGED);
    }
    size = size_t(stat.cbSize);
    bytes = std::make_unique_for_overwrite<BYTE[]>(size);
    ULONG read = 0;
    hr = stream->Read(bytes.get(), ULONG(size), &read);
    if (SUCCEEDED(hr) && read != size) {
      stream->Release();
      return Fail(ORVO_E_DAMAGED);
    }
  }
  stream->Release();
  if (FAILED(hr)) return FailHr(hr);
  DWORD next = m_nextFreeId;
  char separator = m_separator;
  const DWORD code = DecodeDirectory(bytes.get(), size, &m_rootNode, &next, &separator);
  if (code) return Fail(code);
  m_nextFreeId = std::max(next, m_nextFreeId);
  m_separator = separator;
  m_directoryStale = FALSE;
  return TRUE;
}

BOOL COrvoItemStore::Flush() {
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  // An unchanged tree keeps its stream, and the file its sectors.
  if (!m_directoryStale) return TRUE;
  IStream* stream = nullptr;
  HRESULT hr = m_root->CreateStream(kDirectoryStream, STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0, &stream);
  if (FAILED(hr) || !stream) return FailHr(hr);
  const std::vector<BYTE> bytes = EncodeDirectory(m_rootNode, m_nextFreeId, m_separator);
  hr = stream->SetSize(bytes.size());
  ULONG written = 0;
  if (SUCCEEDED(hr)) hr = stream->Write(bytes.data(), ULONG(bytes.size()), &written);
  stream->Release();
  if (FAILED(hr)) return FailHr(hr);
  if (written != bytes.size()) return Fail(ORVO_E_FAIL);
  m_directoryStale = FALSE;
  return TRUE;
}

BOOL COrvoItemStore::Commit() {
  m_lastError = 0;
  if (!IsOpen()) return Fail(ORVO_E_NOTOPEN);
  if (!Flush()) return FALSE;
  HRESULT hr = m_items->Commit(0);
  if (SUCCEEDED(hr)) hr = m_root->Commit(0);
  if (FAILED(hr)) return FailHr(hr);
  m_dirty = FALSE;
  return TRUE;
}

BOOL COrvoItemStore::TreeChanged() {
  m_dirty = TRUE;
  m_directoryStale = TRUE;
  return m_transacted ? TRUE : Flush();
}
