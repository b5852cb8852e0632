#include "link/BackupFiles.h"

#include "services/DocServices.h"
#include "services/QXSummaryInfo.h"
#include "classlib/ProgramVersion.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/OrvoItemStream.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXMemberFileItems.h"
#include "link/BackupFileDialogs.h"
#include "link/OldBackupLibrary.h"
#include "platform/AtomicFile.h"
#include "platform/ByteOrder.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <new>
#include <unistd.h>

namespace {

constexpr UINT kSaveFilter = 10600;  // "Fichiers de sauvegarde (*.qxm)|*.qxm|..."
constexpr UINT kOpenFilter = 10609;  // "... (*.qxm; *.qxb)|*.qxm;*.qxb|..."
constexpr UINT kSummaryTitle = 10240;
constexpr UINT kAppTitle = 57344;
constexpr UINT kReadError = 61733;   // "... lors de la lecture de %1."
constexpr UINT kWriteError = 61734;  // "... lors de l'écriture de %1."
constexpr UINT kOpenFailed = 61697;
constexpr UINT kNotSupported = 10575;
constexpr UINT kOutOfMemory = 61706;
constexpr UINT kCommandFailed = 61705;

constexpr int kReadOnlyShared = ORVO_OPEN_READONLY | ORVO_SHARE_DENYWRITE;
constexpr UINT kVersionSize = kVersionRecordSize;

// The program's version record; zeros when it cannot be had.
void programVersionRecord(BYTE out[kVersionSize]) {
  VS_FIXEDFILEINFO info{};
  if (GetProgramVersion(&info))
    StoreVersionRecord(info, out);
  else
    std::memset(out, 0, kVersionSize);
}

void showPathMessage(UINT id, const char* path, UINT type) {
  AfxMessageBox(CLanguageLibrary::FormatMessage(id, tallix::filePathFromBytes(path)), type);
}

// An empty new file beside `path`, with a name no file had, created with the
// permissions a new file gets.
bool createSiblingFile(const std::string& path, std::string* out) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", unsigned(QRandomGenerator::global()->generate()));
    std::string candidate = folder + "." + name + suffix;
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      *out = std::move(candidate);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool writeStream(COrvoItemStore& store, const char* path, const std::function<void(COrvoItemStream&)>& write) {
  COrvoItemStream ar(&store);
  if (!ar.Create(path, 2, nullptr)) return false;
  try {
    write(ar);
  } catch (const COrvoArchiveException&) {
    return false;
  }
  return true;
}

// The whole backup file at `file`, committed at the end: nothing reaches the
// file unless every part was written.
bool writeBackupStore(const char* file, CQXDocServices* doc, CQXDocEntry* entry, const std::string& description) {
  COrvoItemStore store;
  if (!store.Open(file, ORVO_OPEN_CREATE)) return false;
  OrvoNodeInfo folder;
  folder.flags = kNodeFolder;
  folder.SetPath(kBackupFolder);
  if (!store.AddNode(&folder)) return false;
  if (!writeStream(store, kBackupDataPath, [entry](COrvoItemStream& ar) { entry->Store(ar); })) return false;

  std::string calculatorType, calculatorName;
  if (doc) {
    doc->GetCalculatorType(&calculatorType);
    doc->GetCalculatorName(&calculatorName);
  }
  BYTE version[kVersionSize];
  programVersionRecord(version);
  BYTE info[kBackupInfoSize];
  BuildBackupInfo(calculatorType, version, info);
  if (!writeStream(store, kBackupInfoPath, [&info](COrvoItemStream& ar) { ar.Write(info, sizeof info); }))
    return false;

  CQXSummaryInfo summary;
  summary.SetTitle(CLanguageLibrary::LoadStringA(kSummaryTitle).c_str());
  summary.SetKeywords(calculatorName.c_str());
  summary.SetComments(description.c_str());
  summary.SetAppName(CLanguageLibrary::LoadStringA(kAppTitle).c_str());
  if (!summary.WriteToStorage(store.GetRootStorage())) return false;
  return store.Commit();
}

// The record's name, which the library ends with a zero within its field.
std::string recordName(const qxl16_Record& r) { return std::string(r.name, strnlen(r.name, sizeof r.name)); }

bool dataPresent(const qxl16_Record& r) { return r.dataLength == 0 || r.data != nullptr; }

// The older family's backup: its "MEM" header and its memory image; null
// when the item refuses either.
CQXCalcItem* buildOlderBackupItem(const qxl16_Record& record) {
  auto item = std::make_unique<CQXBackupV4Item>();
  if (!item->ParseHeader(record.header, int(record.headerLength)) ||
      !item->SetBytes(record.data, int(record.dataLength)))
    return nullptr;
  return item.release();
}

// The newer family's backup: every record of the chain one member, in order.
CQXCalcItem* buildNewerBackupItem(const qxl16_Record& first) {
  auto item = std::make_unique<CQXBackupItem>();
  for (const qxl16_Record* r = &first; r; r = r->next)
    if (!item->GetBlockList().AddBlock(r->header, r->headerLength, r->data, r->dataLength)) return nullptr;
  return item.release();
}

// The entry an older backup's record chain describes, or null with the code
// that says why not.
std::unique_ptr<CQXDocEntry> buildOldBackupEntry(const qxl16_Record& first, int* code) {
  const std::string name = recordName(first);
  std::unique_ptr<CQXCalcItem> item;
  if (name == "Backup V4") {
    // One record: the 50-byte "MEM" header and the memory image.
    if (first.headerLength == 50 && dataPresent(first) && first.dataLength <= INT_MAX)
      item.reset(buildOlderBackupItem(first));
  } else if (name == "Backup V5") {
    // Every record one member: its 40-byte header and its data.
    bool wellFormed = true;
    for (const qxl16_Record* r = &first; r && wellFormed; r = r->next)
      wellFormed = r->headerLength == 40 && dataPresent(*r);
    if (wellFormed) item.reset(buildNewerBackupItem(first));
  } else {
    *code = qxl16_UnknownCalc;
    return nullptr;
  }
  if (!item) {
    *code = qxl16_BadContent;
    return nullptr;
  }
  auto entry = std::make_unique<CQXDocEntry>();
  entry->SetItem(item.release());
  return entry;
}

UINT oldBackupMessage(int code) {
  switch (code) {
    case qxl16_CannotOpen: return kOpenFailed;
    case qxl16_VersionTooNew:
    case qxl16_NotSupported: return kNotSupported;
    case qxl16_OutOfMemory: return kOutOfMemory;
    default: return kCommandFailed;
  }
}

}  // namespace

void BuildBackupInfo(const std::string& calculatorType, const BYTE version[kVersionSize], BYTE out[kBackupInfoSize]) {
  std::memset(out, 0, kBackupInfoSize);
  PutLittleEndian32(out + 0, 1);
  PutLittleEndian32(out + 4, 1);
  PutLittleEndian32(out + 8, 10);
  PutLittleEndian32(out + 12, 0);
  std::memcpy(out + 16, calculatorType.data(), std::min<size_t>(calculatorType.size(), 63));
  PutLittleEndian32(out + 80, kVersionSize);
  std::memcpy(out + 84, version, kVersionSize);
}

QString DefaultExtensionFromFilter(const QString& filter) {
  const QString pattern = filter.section(QLatin1Char('|'), 1, 1);
  const qsizetype dot = pattern.indexOf(QLatin1Char('.'));
  return dot < 0 ? QString() : pattern.mid(dot + 1, 3);
}

BOOL WriteBackupFile(const char* path, CQXDocServices* doc, CQXDocEntry* entry, const std::string& description) {
  if (!path || !*path || !entry || !entry->GetItem()) return FALSE;
  // A link is followed: the file it names is replaced, the link stays.
  std::string target = path;
  const QFileInfo existing(tallix::filePathFromBytes(path));
  if (existing.exists()) target = QFile::encodeName(existing.canonicalFilePath()).toStdString();
  std::string temporary;
  if (!createSiblingFile(target, &temporary)) return FALSE;
  bool written = false;
  try {
    written = writeBackupStore(temporary.c_str(), doc, entry, description);
  } catch (const std::bad_alloc&) {
  }
  if (written) {
    // A file replaced keeps its permissions.
    if (existing.exists())
      QFile::setPermissions(tallix::filePathFromBytes(temporary.c_str()), existing.permissions());
    written = ::rename(temporary.c_str(), target.c_str()) == 0;
  }
  if (!written) ::unlink(temporary.c_str());
  return written ? TRUE : FALSE;
}

BOOL SaveBackupFile(CQXDocServices* doc, CQXDocEntry* entry, QWidget* parent) {
  const QString filter = CLanguageLibrary::LoadString(kSaveFilter);
  QString lastPath;
  std::string lastDescription;
  for (;;) {
    CQXBackupSaveDialog dialog(DefaultExtensionFromFilter(filter), filter, parent);
    if (!lastPath.isEmpty()) {
      // Again after a failure: where the user was, with what was typed.
      dialog.SetFileName(lastPath);
      dialog.SetDescription(lastDescription);
    }
    if (dialog.DoModal() != IDOK) return FALSE;
    lastPath = dialog.GetPathName();
    lastDescription = dialog.GetDescription();
    if (WriteBackupFile(QFile::encodeName(lastPath).constData(), doc, entry, lastDescription)) return TRUE;
    AfxMessageBox(CLanguageLibrary::FormatMessage(kWriteError, lastPath), MB_OK | MB_ICONEXCLAMATION);
  }
}

BOOL ReadBackupFile(const char* path, CQXDocEntry** out) {
  if (!out) return FALSE;
  *out = nullptr;
  COrvoItemStore store;
  if (!store.Open(path, kReadOnlyShared)) return LoadOldBackupFile(path, out);
  auto entry = std::make_unique<CQXDocEntry>();
  UINT message = kReadError;
  try {
    COrvoItemStream ar(&store);
    if (ar.Open(kBackupDataPath, 1, FALSE)) {
      entry->Load(ar);
      if (entry->GetItem()) message = 0;
    }
  } catch (const COrvoArchiveException&) {
  } catch (const std::bad_alloc&) {
    message = kOutOfMemory;
  }
  if (message) {
    showPathMessage(message, path, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  *out = entry.release();
  return TRUE;
}

BOOL LoadBackupFile(CQXDocEntry** out, QWidget* parent) {
  if (!out) return FALSE;
  *out = nullptr;
  const QString filter = CLanguageLibrary::LoadString(kOpenFilter);
  CQXBackupSendDialog dialog(DefaultExtensionFromFilter(filter), filter, parent);
  if (dialog.DoModal() != IDOK) return FALSE;
  return ReadBackupFile(QFile::encodeName(dialog.GetPathName()).constData(), out);
}

BOOL LoadOldBackupFile(const char* path, CQXDocEntry** out) {
  if (!out) return FALSE;
  *out = nullptr;
  const COldBackupLibrary& library = GetOldBackupLibrary();
  int code = qxl16_Ok;
  try {
    qxl16_Record* chain = nullptr;
    code = library.readBackupFile(path, &chain);
    // The chain goes back to the library on every path.
    std::unique_ptr<qxl16_Record, std::function<int(qxl16_Record*)>> held(chain, library.free);
    if (code == qxl16_Ok && !chain) code = qxl16_BadContent;
    if (code == qxl16_Ok) {
      if (std::unique_ptr<CQXDocEntry> entry = buildOldBackupEntry(*chain, &code)) {
        *out = entry.release();
        return TRUE;
      }
    }
  } catch (const std::bad_alloc&) {
    code = qxl16_OutOfMemory;
  }
  AfxMessageBox(oldBackupMessage(code), MB_OK | MB_ICONINFORMATION);
  return FALSE;
}

BOOL ReadBackupDescription(const char* path, std::string* out) {
  if (!out) return FALSE;
  out->clear();
  COrvoItemStore store;
  if (!path || !store.Open(path, kReadOnlyShared)) return FALSE;
  CQXSummaryInfo summary;
  if (!summary.ReadFromStorage(store.GetRootStorage())) return FALSE;
  summary.GetComments(out);
  return TRUE;
}

BOOL WriteBackupDescription(const char* path, const std::string& description) {
  // Transacted: the summary reaches the file whole, with the commit, or not.
  COrvoItemStore store;
  if (!path || !store.Open(path, ORVO_SHARE_EXCLUSIVE)) return FALSE;
  {
    COrvoItemStream ar(&store);
    if (!ar.Open(kBackupInfoPath, 1, FALSE)) return FALSE;
  }
  IStorage* root = store.GetRootStorage();
  CQXSummaryInfo summary;
  if (!summary.ReadFromStorage(root) || !summary.SetComments(description.c_str()) || !summary.WriteToStorage(root))
    return FALSE;
  return SUCCEEDED(root->Commit(STGC_DEFAULT)) ? TRUE : FALSE;
}

BOOL EditBackupDescription(QWidget* parent) {
  const QString filter = CLanguageLibrary::LoadString(kSaveFilter);
  CQXBackupDescriptionDialog dialog(DefaultExtensionFromFilter(filter), filter, parent);
  if (dialog.DoModal() != IDOK) return FALSE;
  BOOL done = FALSE;
  try {
    done = WriteBackupDescription(QFile::encodeName(dialog.GetPathName()).constData(), dialog.GetDescription());
  } catch (const std::bad_alloc&) {
  }
  if (!done) AfxMessageBox(CLanguageLibrary::FormatMessage(kReadError, dialog.GetPathName()), MB_OK | MB_ICONEXCLAMATION);
  return done;
}
