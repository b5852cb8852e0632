#include "tokens/TokenListFile.h"

#include "services/ProgramServices.h"
#include "services/QXSummaryInfo.h"
#include "classlib/ProgramVersion.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/OrvoItemStream.h"
#include "platform/AtomicFile.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/ProgramPaths.h"
#include "tokens/SmallHelpers.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr char kTokenFolder[] = "\\Token";
constexpr char kInfoStream[] = "\\Token\\Token Table Info";
constexpr char kTableStream[] = "\\Token\\Table";
constexpr char kTreeStream[] = "\\Token\\Command Tree";

constexpr UINT kMsgOutOfMemory = 61706;
constexpr UINT kMsgReadError = 61733;
constexpr UINT kMsgWriteError = 61734;

void writeText(COrvoArchive& ar, const char* text) {
  const DWORD length = DWORD(std::strlen(text));
  ar.WriteDwordValue(length);
  if (length) ar.Write(text, length);
}

// A length-prefixed text into a field of `capacity` bytes (NUL included).
void readText(COrvoArchive& ar, char* field, DWORD capacity) {
  const DWORD length = ar.ReadDwordValue();
  if (length >= capacity) ThrowArchiveException(kArchiveBadRecord);
  if (length) ar.Read(field, length);
  field[length] = '\0';
}

// The program's fixed version record; zero when it cannot be read.
void programVersionBlock(BYTE out[kVersionRecordSize]) {
  VS_FIXEDFILEINFO version;
  if (GetProgramVersion(&version))
    StoreVersionRecord(version, out);
  else
    std::memset(out, 0, kVersionRecordSize);
}

// The summary information at the root of a token list file.
bool writeSummaryInformation(COrvoItemStore& store, const char* modelName) {
  CQXSummaryInfo summary;
  return summary.SetAppName(CLanguageLibrary::LoadStringA(57344).c_str()) &&
         summary.SetTitle(CLanguageLibrary::LoadStringA(10241).c_str()) &&
         summary.SetKeywords(modelName ? modelName : "") && summary.WriteToStorage(store.GetRootStorage());
}

// A free name beside `path` for the file that replaces it.
QString scratchPathBeside(const QString& target) {
  QTemporaryFile probe(target + QStringLiteral(".XXXXXX"));
  if (!probe.open()) return {};
  const QString name = probe.fileName();
  probe.close();
  probe.remove();
  return name;
}

// A write-protected file stays as it is.
bool mayReplace(const QString& target) {
  const QFileInfo info(target);
  return !info.exists() || info.isWritable();
}

bool replaceFile(const QString& from, const QString& to) {
  return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

struct FileContents {
  const CQXCommandTable* table = nullptr;
  const char* calcType = "";
  const char* modelName = "";
  const CQXCommandTreeNodes* tree = nullptr;
};

// Writes a whole new token list file at `scratch`; false on any failure.
bool writeNewFile(const QString& scratch, const FileContents& contents) {
  const QByteArray scratchName = QFile::encodeName(scratch);
  COrvoItemStore store;
  if (!store.Open(scratchName.constData(), ORVO_OPEN_CREATE | ORVO_SHARE_EXCLUSIVE)) return false;
  OrvoNodeInfo folder;
  folder.SetPath(kTokenFolder);
  folder.flags = 1;
  if (!store.AddNode(&folder)) return false;
  try {
    COrvoItemStream info(&store);
    if (!info.Create(kInfoStream, 2, nullptr)) return false;
    WriteTokenTableInfo(info, contents.calcType);
    info.Close();
    COrvoItemStream table(&store);
    if (!table.Create(kTableStream, 2, nullptr)) return false;
    WriteCommandTableRecords(table, *contents.table);
    table.Close();
    if (contents.tree) {
      COrvoItemStream tree(&store);
      if (!tree.Create(kTreeStream, 2, nullptr)) return false;
      WriteCommandTreeRecords(tree, *contents.tree);
      tree.Close();
    }
  } catch (const COrvoArchiveException&) {
    return false;
  }
  if (!writeSummaryInformation(store, contents.modelName)) return false;
  return store.Commit() && store.Close();
}

// Writes `contents` beside `path` and renames it over `path`. Messages as
// the writers promise.
BOOL writeWholeFile(const char* path, const FileContents& contents) {
  const QString target = tallix::filePathFromBytes(path);
  QString scratch;
  bool written = false;
  try {
    if (mayReplace(target)) scratch = scratchPathBeside(target);
    written = !scratch.isEmpty() && writeNewFile(scratch, contents) && replaceFile(scratch, target);
  } catch (const std::bad_alloc&) {
    if (!scratch.isEmpty()) QFile::remove(scratch);
    AfxMessageBox(kMsgOutOfMemory, MB_ICONEXCLAMATION);
    return FALSE;
  }
  if (!written) {
    if (!scratch.isEmpty()) QFile::remove(scratch);
    ShowFileMessage(kMsgWriteError, path);
    return FALSE;
  }
  return TRUE;
}

enum class TreeRead { Missing, Damaged, Read };

TreeRead readTree(const char* path, CQXCommandTreeNodes* tree) {
  COrvoItemStore store;
  if (!store.Open(path, ORVO_OPEN_READONLY)) return TreeRead::Missing;
  COrvoItemStream stream(&store);
  if (!stream.Open(kTreeStream, 1, FALSE)) return TreeRead::Missing;
  CQXCommandTreeNodes nodes;
  try {
    ReadCommandTreeRecords(stream, &nodes);
  } catch (const COrvoArchiveException&) {
    return TreeRead::Damaged;
  }
  *tree = std::move(nodes);
  return TreeRead::Read;
}

}  // namespace

void WriteTokenRecord(COrvoArchive& ar, const QXCOMMANDINFO& info) {
  ar.WriteDwordValue(DWORD(info.number));
  ar.WriteDwordValue(DWORD(info.table));
  writeText(ar, info.characters);
  writeText(ar, info.listText);
  writeText(ar, info.description);
}

void ReadTokenRecord(COrvoArchive& ar, QXCOMMANDINFO* info) {
  info->Clear();
  info->number = LONG(ar.ReadDwordValue());
  info->table = LONG(ar.ReadDwordValue());
  readText(ar, info->characters, sizeof info->characters);
  readText(ar, info->listText, sizeof info->listText);
  readText(ar, info->description, kCommandDescriptionMax + 1);
}

void WriteCommandTableRecords(COrvoArchive& ar, const CQXCommandTable& table) {
  std::vector<BYTE> header(kTokenTableHeaderSize, 0);
  header[0] = 0x00;
  header[1] = 0x04;  // 1024
  header[4] = 1;
  ar.Write(header.data(), UINT(header.size()));
  QXCOMMANDINFO info;
  DWORD position = 0;
  for (BOOL more = table.GetFirstCommand(&position); more; more = table.GetNextCommand(&position)) {
    table.GetCommandInfo(position, &info);
    WriteTokenRecord(ar, info);
  }
  info.Clear();
  info.number = -1;
  info.table = -1;
  WriteTokenRecord(ar, info);
}

void ReadCommandTableRecords(COrvoArchive& ar, CQXCommandTable* table) {
  ar.RequireBytes(kTokenTableHeaderSize);
  ar.Seek(kTokenTableHeaderSize);
  QXCOMMANDINFO info;
  for (;;) {
    ReadTokenRecord(ar, &info);
    if (info.number == -1 && info.table == -1) return;
    const bool inRange = info.table >= 0 && info.table <= 254 && info.number >= 0 && info.number <= 254;
    // Out of range (byte 255 is neither a lead nor a number byte) is
    // skipped; a refusal in range can only be memory.
    if (inRange && !table->SetCommandInfo(&info)) throw std::bad_alloc();
  }
}

void WriteTokenTableInfo(COrvoArchive& ar, const char* calcType) {
  BYTE record[kTokenTableInfoSize] = {};
  const DWORD head[4] = {1, 1, 10, 0};
  for (int i = 0; i < 4; ++i) record[i * 4] = BYTE(head[i]);
  std::strncpy(reinterpret_cast<char*>(record + 16), calcType ? calcType : "", 63);
  record[80] = BYTE(kVersionRecordSize);
  programVersionBlock(record + 84);
  ar.Write(record, kTokenTableInfoSize);
}

BOOL WriteTokenListFile(const char* path, const CQXCommandTable& table, const char* calcType, const char* modelName) {
  CQXCommandTreeNodes tree;
  const bool keepTree = readTree(path, &tree) == TreeRead::Read;
  return writeWholeFile(path, {&table, calcType, modelName, keepTree ? &tree : nullptr});
}

BOOL WriteTokenListFileWithTree(const char* path, const CQXCommandTable& table, const char* calcType,
                                const char* modelName, const CQXCommandTreeNodes& tree) {
  return writeWholeFile(path, {&table, calcType, modelName, &tree});
}

BOOL WriteCommandTree(const char* path, const CQXCommandTreeNodes& tree) {
  const QString target = tallix::filePathFromBytes(path);
  const QString scratch = QFileInfo::exists(target) && mayReplace(target) ? scratchPathBeside(target) : QString();
  bool written = false;
  QByteArray bytes;
  if (!scratch.isEmpty() && tallix::readWholeFile(target, &bytes, kMaxTokenListFileSize) &&
      tallix::writeFileAtomically(scratch, bytes)) {
    QFile::setPermissions(scratch, QFile::permissions(target) | QFileDevice::WriteOwner);
    const QByteArray scratchName = QFile::encodeName(scratch);
    COrvoItemStore store;
    if (store.Open(scratchName.constData(), ORVO_SHARE_EXCLUSIVE)) {
      try {
        COrvoItemStream stream(&store);
        if (stream.Create(kTreeStream, 2, nullptr)) {
          WriteCommandTreeRecords(stream, tree);
          stream.Close();
          written = store.Commit();
        }
      } catch (const COrvoArchiveException&) {
      } catch (const std::bad_alloc&) {
        store.Close();
        QFile::remove(scratch);
        AfxMessageBox(kMsgOutOfMemory, MB_ICONEXCLAMATION);
        return FALSE;
      }
      store.Close();
    }
    written = written && replaceFile(scratch, target);
  }
  if (!written) {
    if (!scratch.isEmpty()) QFile::remove(scratch);
    ShowFileMessage(kMsgWriteError, path);
    return FALSE;
  }
  return TRUE;
}

BOOL ReadCommandTable(const char* path, CQXCommandTable* table) {
  if (!table) return FALSE;
  try {
    COrvoItemStore store;
    if (!store.Open(path, ORVO_OPEN_READONLY)) return FALSE;
    COrvoItemStream stream(&store);
    if (!stream.Open(kTableStream, 1, FALSE)) return FALSE;
    CQXCommandTable read;
    ReadCommandTableRecords(stream, &read);
    return table->CopyFrom(read);
  } catch (const COrvoArchiveException&) {
    return FALSE;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}

BOOL ReadCommandTree(const char* path, CQXCommandTreeNodes* tree) {
  try {
    if (readTree(path, tree) == TreeRead::Read) return TRUE;
  } catch (const std::bad_alloc&) {
    AfxMessageBox(kMsgOutOfMemory, MB_ICONEXCLAMATION);
    return FALSE;
  }
  ShowFileMessage(kMsgReadError, path);
  return FALSE;
}

std::string TokenListReadPath(const char* model) {
  std::string name;
  if (!ReadModelTokenListName(model, &name)) return {};
  return QFile::encodeName(tallix::findDataFile(QFile::decodeName(name.c_str()))).toStdString();
}

std::string TokenListWritePath(const char* model) {
  std::string name;
  if (!ReadModelTokenListName(model, &name)) return {};
  return QFile::encodeName(tallix::writableDataFilePath(QFile::decodeName(name.c_str()))).toStdString();
}
