// CQXDoc: new, open, import hand-over and save. The records, the tree
// filling and the item services are in QXDocRecords.cpp; the default
// folder tables in QXDocFolders.cpp.
#include "app/QXDoc.h"

#include "app/InstanceProbe.h"
#include "app/ItemTransfer.h"
#include "app/MainFrameFunctions.h"
#include "app/OldFileImport.h"
#include "services/ProgramServices.h"
#include "app/QXContentsView.h"
#include "app/QXDocProperties.h"
#include "app/QXMainFrame.h"
#include "services/QXSummaryInfo.h"
#include "app/QXTreeView.h"
#include "classlib/ProfileSettings.h"
#include "datamodel/ModelLookups.h"
#include "datamodel/OrvoItemStore.h"
#include "platform/AtomicFile.h"
#include "platform/ByteOrder.h"
#include "platform/DocTemplate.h"
#include "platform/FileDialog.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/OutsideFile.h"
#include "platform/RuntimeClass.h"
#include "platform/WinApp.h"
#include "platform/storage/Storage.h"
#include "tokens/SmallHelpers.h"
#include "tokens/TokenListFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

constexpr UINT kMsgNewerVersion = 10507;   // "Le fichier %1 a été créé par une version plus récente..."
constexpr UINT kMsgBetaVersion = 10506;    // "Ces données ont été créées par une version Bêta..."
constexpr UINT kMsgHeldByOther = 10511;    // "Le fichier %1 est déjà ouvert par l'application %2."
constexpr UINT kMsgUnknownType = 10512;    // the document is made for the CFX-9850G
constexpr UINT kMsgWriteProtected = 10573;  // "Le fichier %1 est protégé en écriture..."
constexpr UINT kMsgTokenListFailed = 10562;  // "Erreur survenue lors du chargement avec les commandes..."
constexpr UINT kMsgUnsupported = 10575;    // "La lecture des données n'est pas possible..."
constexpr UINT kMsgReplace = 10155;        // "Le fichier %1 existe déjà. Le remplacer?"
constexpr UINT kMsgSkipped = 10509;        // "%1 élément(s) n'ont pas pu être importé(s)."
constexpr UINT kMsgTooLarge = 10581;       // "Le document %1 n'a pas été enregistré : ... 1 Go."
constexpr UINT kMsgOtherFileAtPath = 10516;  // "Le fichier %1 a été remplacé par un autre fichier ... Le remplacer..."
constexpr UINT kFilterDocuments = 10607;   // "TALLIX (*.qxd)|*.qxd|"
constexpr UINT kFilterAll = 10620;         // "Tous les fichiers (*.*)|*.*|"
constexpr UINT kMsgFailedToOpen = 61697;
constexpr UINT kMsgFailedToCreate = 61700;
constexpr UINT kMsgCommandFailed = 61705;
constexpr UINT kMsgNoMemory = 61706;
constexpr UINT kUntitled = 61443;  // "sans nom"
constexpr UINT kAppTitle = 57344;  // "TALLIX PROFESSIONAL"
constexpr UINT kCmdProperties = 22000;

// Store modes: the document's own file (read/write, exclusive; transacted
// in our store), read-only, and a copy into a new file that becomes the
// store's.
constexpr int kModeWrite = ORVO_SHARE_EXCLUSIVE;
constexpr int kModeRead = ORVO_OPEN_READONLY;
constexpr int kModeSaveCopy = ORVO_OPEN_SAVEAS | ORVO_SHARE_EXCLUSIVE;

constexpr char kDefaultModel[] = "CFX-9850G";
constexpr char kDefaultType[] = "FX9850";

CQXOldFileImport* g_import = nullptr;

QByteArray nativePath(const QString& path) { return QFile::encodeName(path); }

// The name an imported file is saved under: a last letter I or i becomes D
// or d (".qxi" -> ".qxd"); any other extension is replaced by ".qxd", and
// ".qxd" is appended to a name without one.
QString importedName(const QString& path) {
  if (path.endsWith(QLatin1Char('I'))) return path.left(path.size() - 1) + QLatin1Char('D');
  if (path.endsWith(QLatin1Char('i'))) return path.left(path.size() - 1) + QLatin1Char('d');
  const QFileInfo info(path);
  const QString name = info.fileName();
  const int dot = name.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot > 0 ? name.left(dot) : name;
  return path.left(path.size() - name.size()) + stem + QStringLiteral(".qxd");
}

}  // namespace

CQXOldFileImport* GetOldFileImport() { return g_import; }

CQXOldFileImport* SetOldFileImport(CQXOldFileImport* import) {
  CQXOldFileImport* previous = g_import;
  g_import = import;
  return previous;
}

const CMessageMap& CQXDoc::messageMap() {
  static const CMessageMap map =
      MessageMapOf<CQXDoc>(CDocument::messageMap())
          .commandRange(ID_FILE_SAVE, ID_FILE_SAVE_AS, &CQXDoc::OnFileSave)
          .command(kCmdShowSelection, &CQXDoc::OnShowSelection)
          .command(kCmdEditCmdList, &CQXDoc::OnEditCmdList)
          .command(kCmdUserCmdList, &CQXDoc::OnUserCmdList)
          .command(kCmdMacros, &CQXDoc::OnMacros)
          // The Link menu; it, Save and Properties need an open store.
          .commandRange(CQXDocLinkCommands::ID_LINK_RECEIVE, CQXDocLinkCommands::ID_LINK_RECEIVE_SCREEN,
                        &CQXDoc::OnLinkCommand)
          .updateUIRange(CQXDocLinkCommands::ID_LINK_RECEIVE, CQXDocLinkCommands::ID_LINK_RECEIVE_SCREEN,
                         &CQXDoc::OnUpdateStoreCommand)
          .updateUI(ID_FILE_SAVE, &CQXDoc::OnUpdateStoreCommand)
          .command(kCmdProperties, &CQXDoc::OnProperties)
          .updateUI(kCmdProperties, &CQXDoc::OnUpdateStoreCommand)
          // Edit and entry commands.
          .command(CQXDocCommands::ID_EDIT_COPY, &CQXDoc::OnEditCopy)
          .updateUI(CQXDocCommands::ID_EDIT_COPY, &CQXDoc::OnUpdateEditCopy)
          .command(CQXDocCommands::ID_EDIT_CUT, &CQXDoc::OnEditCut)
          .updateUI(CQXDocCommands::ID_EDIT_CUT, &CQXDoc::OnUpdateEditCut)
          .command(CQXDocCommands::ID_EDIT_PASTE, &CQXDoc::OnEditPaste)
          .updateUI(CQXDocCommands::ID_EDIT_PASTE, &CQXDoc::OnUpdateEditPaste)
          .command(CQXDocCommands::ID_ENTRY_NEW, &CQXDoc::OnNewEntry)
          .updateUI(CQXDocCommands::ID_ENTRY_NEW, &CQXDoc::OnUpdateNewEntry)
          .command(CQXDocCommands::ID_ENTRY_EDIT, &CQXDoc::OnEditEntry)
          .updateUI(CQXDocCommands::ID_ENTRY_EDIT, &CQXDoc::OnUpdateEditEntry)
          .command(CQXDocCommands::ID_ENTRY_EDIT_OR_NEW, &CQXDoc::OnEditOrNew)
          .updateUI(CQXDocCommands::ID_ENTRY_EDIT_OR_NEW, &CQXDoc::OnUpdateEditOrNew)
          .command(CQXDocCommands::ID_ENTRY_SAVE, &CQXDoc::OnSaveEntry)
          .updateUI(CQXDocCommands::ID_ENTRY_SAVE, &CQXDoc::OnUpdateSaveEntry);
  return map;
}

CQXDoc::CQXDoc() : store_(std::make_unique<COrvoItemStore>()) { undo_.SetDocument(this); }

CQXDoc::~CQXDoc() {
  ForgetMovesOutOf(this);
  summary_.reset();
  ClearUndo();
  store_->Close();
}

void CQXDoc::OnShowSelection() { ShowSelectedItemView(); }

void CQXDoc::OnProperties() {
  if (!IsStoreOpen() || !summary_) return;
  CQXDocPropertiesSheet sheet(summary_.get(), AfxGetMainWnd());
  // OK marks the document changed even when no text changed.
  if (sheet.DoModal() == IDOK) SetModifiedFlag(TRUE);
}

// ---------------------------------------------------------------- new

void CQXDoc::ResetContents() {
  // A move out of the old contents that another instance confirms later
  // must not take an item of the new ones.
  ForgetMovesOutOf(this);
  store_->Close();
  SetTitle(CLanguageLibrary::LoadString(kUntitled));
  SetModifiedFlag(FALSE);
  readOnly_ = FALSE;
  importedFrom_.clear();
  if (CQXTreeView* tree = GetTreeView()) tree->RemoveAll();
  ClearUndo();
}

BOOL CQXDoc::OnNewDocument() {
  if (NewDocumentForCalculator(nullptr, nullptr)) return TRUE;
  AfxMessageBox(kMsgFailedToCreate, MB_OK | MB_ICONEXCLAMATION);
  return FALSE;
}

BOOL CQXDoc::NewDocumentForCalculator(const char* model, const char* type) {
  if (!CDocument::OnNewDocument()) return FALSE;
  ResetContents();
  uniqueCounter_ = kFirstUniqueNumber;
  if (!store_->Open(nullptr, kModeWrite)) {
    FormatStoreError(store_->GetLastError(), QString());
    return FALSE;
  }
  std::string modelName = model && *model ? model : "";
  if (modelName.empty() && !GetDefaultCalculator(&modelName)) modelName = kDefaultModel;
  std::string calcType = type && *type ? type : "";
  if (calcType.empty() && (!ReadModelType(modelName.c_str(), &calcType) || calcType.empty())) calcType = kDefaultType;
  if (!IsKnownCalculatorType(calcType.c_str())) {
    modelName = kDefaultModel;
    calcType = kDefaultType;
    AfxMessageBox(kMsgUnknownType, MB_OK | MB_ICONEXCLAMATION);
  }
  calculatorType_ = calcType;
  if (!CreateDefaultFolders(modelName.c_str(), calcType.c_str(), store_.get())) return FALSE;
  OrvoNodeInfo folder;
  folder.flags = kNodeFolder;
  folder.SetPath("\\Document");
  if (!store_->AddNode(&folder)) return FALSE;
  if (!newSummaryInfo()) return FALSE;
  summary_->SetCreateTime();
  summary_->SetPageCount(1);
  summary_->SetAppName(CLanguageLibrary::LoadStringA(kAppTitle).c_str());
  if (!WriteRecords()) return FALSE;
  summary_->ResetRevision();
  ReloadTokenTable();
  return BuildViews();
}

BOOL CQXDoc::newSummaryInfo() {
  try {
    summary_ = std::make_unique<CQXSummaryInfo>();
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  summary_->StartEditTimer();
  return TRUE;
}

// ---------------------------------------------------------------- open

BOOL CQXDoc::OnOpenDocument(const QString& path) { return OpenDocumentFile(path); }

// The file is read once: into a store of its own, which the document takes
// over only once it opened. A file that does not open leaves the document as
// it was; only one that another program holds costs the contents.
BOOL CQXDoc::OpenDocumentFile(const QString& path) {
  const QByteArray file = nativePath(path);
  // What is no regular file, or is too large for a document, is refused as it
  // stands: the tries below for a file held elsewhere would cost the contents.
  if (const tallix::OutsideFileError error = tallix::OutsideFile(file.constData(), kMaxCompoundFileSize).error();
      error == tallix::OutsideFileError::NotRegular || error == tallix::OutsideFileError::TooLarge) {
    FormatStoreError(ORVO_E_ACCESSDENIED, path);
    return FALSE;
  }
  auto opened = std::make_unique<COrvoItemStore>();
  if (opened->Open(file.constData(), kModeWrite)) return OpenStoreFile(path, std::move(opened), FALSE);
  DWORD code = opened->GetLastError();
  if (code == ORVO_E_ACCESSDENIED) {
    // Write-protected, or held for writing elsewhere (also by this document).
    if (opened->Open(file.constData(), kModeRead)) return OpenStoreFile(path, std::move(opened), TRUE);
    code = opened->GetLastError();
    opened.reset();
    if (code == ORVO_E_ACCESSDENIED) return OpenStoreFile(path, nullptr, FALSE);
  }
  if (code == ORVO_E_FILEEXISTS) return ImportOldFile(path);
  FormatStoreError(code, path);
  return FALSE;
}

BOOL CQXDoc::FailOpen() {
  // The contents are gone: the document counts as changed, so that the
  // template does not give it back its earlier modified flag, and File New
  // makes it a new document.
  store_->Close();
  SetModifiedFlag(TRUE);
  if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, ID_FILE_NEW, 0);
  return FALSE;
}

BOOL CQXDoc::OpenStoreFile(const QString& path, std::unique_ptr<COrvoItemStore> opened, BOOL readOnlyFile) {
  if (!CDocument::OnNewDocument()) return FailOpen();
  ResetContents();
  const QByteArray file = nativePath(path);
  std::unique_ptr<COrvoItemStore> readOnly;
  if (opened && !readOnlyFile) {
    store_ = std::move(opened);
  } else if (opened) {
    readOnly = std::move(opened);
  } else if (!store_->Open(file.constData(), kModeWrite)) {
    // Held elsewhere when it was first tried: once more, now that this
    // document let go of its own file.
    const DWORD code = store_->GetLastError();
    if (code != ORVO_E_ACCESSDENIED) {
      FormatStoreError(code, path);
      return FailOpen();
    }
    readOnly = std::make_unique<COrvoItemStore>();
    if (!readOnly->Open(file.constData(), kModeRead)) {
      char title[256] = {};
      if (AfxGetMainWnd() && FindFileHolder(path, title, sizeof title))
        AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgHeldByOther, path, QString::fromLatin1(title)),
                      MB_OK | MB_ICONEXCLAMATION);
      else
        FormatStoreError(readOnly->GetLastError(), path);
      return FailOpen();
    }
  }
  if (readOnly) {
    // The document works on a copy: it can be changed and saved elsewhere,
    // and its own file is never written.
    if (!store_->Open(nullptr, kModeWrite) || !store_->LoadFromStorage(readOnly->GetRootStorage())) {
      FormatStoreError(store_->GetLastError(), path);
      return FailOpen();
    }
    readOnly_ = TRUE;
  }
  BYTE info[kDocInfoSize];
  if (!ReadDocumentInfo(info, path)) return FailOpen();
  const DWORD version = GetLittleEndian32(info);
  if (version > 1) {
    const DWORD ms = GetLittleEndian32(info + 84 + 8), ls = GetLittleEndian32(info + 84 + 12);
    const QString writer = QStringLiteral("%1.%2.%3").arg(ms >> 16).arg(ms & 0xFFFF).arg(ls >> 16);
    AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgNewerVersion, path, writer), MB_OK | MB_ICONEXCLAMATION);
    return FailOpen();
  }
  if (version == 0 || GetLittleEndian32(info + 8) != 10) {
    AfxMessageBox(kMsgBetaVersion, MB_OK | MB_ICONEXCLAMATION);
    return FailOpen();
  }
  uniqueCounter_ = GetLittleEndian32(info + 12);
  calculatorType_.assign(reinterpret_cast<const char*>(info + 16), strnlen(reinterpret_cast<const char*>(info + 16), 63));
  ReloadTokenTable();
  if (!BuildViews()) {
    AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgFailedToOpen, path), MB_OK | MB_ICONEXCLAMATION);
    return FailOpen();
  }
  if (!newSummaryInfo()) return FailOpen();
  summary_->ReadFromStorage(store_->GetRootStorage());
  if (readOnly_) {
    BOOL showMessage = FALSE;
    if (!IsMarkedReadOnly(store_->GetRootStorage(), &showMessage) || showMessage)
      AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgWriteProtected, path), MB_OK | MB_ICONEXCLAMATION);
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CQXDoc::ImportOldFile(const QString& path) {
  CQXOldFileImport* import = g_import;
  void* handle = nullptr;
  int code = 1;
  auto fail = [&]() {
    if (handle) import->Close(handle);
    switch (code) {
      case 0: break;
      case 1: AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgFailedToOpen, path), MB_OK | MB_ICONINFORMATION); break;
      case 3:
      case 4: AfxMessageBox(kMsgUnsupported, MB_OK | MB_ICONINFORMATION); break;
      case 10: AfxMessageBox(kMsgNoMemory, MB_OK | MB_ICONINFORMATION); break;
      default: AfxMessageBox(kMsgCommandFailed, MB_OK | MB_ICONINFORMATION); break;
    }
    return FailOpen();
  };
  if (!import) return fail();
  code = import->Open(nativePath(path).constData(), &handle);
  if (code != 0) {
    handle = nullptr;
    return fail();
  }
  char name[64] = {}, type[64] = {};
  if (import->GetCalcName(handle, name, sizeof name) != 0 || import->GetCalcType(handle, type, sizeof type) != 0) {
    code = 1;
    return fail();
  }
  name[63] = type[63] = 0;
  if (!IsKnownCalculatorType(type)) {
    code = 3;
    return fail();
  }
  if (!NewDocumentForCalculator(name, type)) {
    code = 10;
    return fail();
  }
  const BOOL newer = std::strcmp(type, "FXALGEBRA20") == 0 ? TRUE : FALSE;
  if (!newer && std::strcmp(type, "FX9850") != 0 && std::strcmp(type, "FX7400") != 0) {
    code = 4;
    return fail();
  }
  int skipped = 0;
  int converted = 0;
  {
    // The answers given during the conversion hold for it alone.
    CQXOverwriteStateScope answers(&items_);
    converted = import->Convert(handle, newer, this, &skipped);
  }
  if (converted != 1) {
    code = converted == 4 ? 10 : 6;
    return fail();
  }
  code = 0;
  QString target = importedName(path);
  bool ask = FileExists(target);
  if (ask && !IsSameFile(target, path)) {
    const int answer =
        AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgReplace, target), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return fail();
    ask = answer == IDNO;
  }
  // The import never replaces the file it was read from.
  while (ask) {
    const QString filter =
        CLanguageLibrary::LoadString(kFilterDocuments) + CLanguageLibrary::LoadString(kFilterAll);
    CFileDialog dialog(FALSE, QString(), QFileInfo(target).fileName(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       filter);
    dialog.SetInitialDirectory(QFileInfo(target).absolutePath());
    if (dialog.DoModal() != IDOK) return fail();
    target = dialog.GetPathName();
    ask = IsSameFile(target, path);
  }
  if (!WriteRecords()) return fail();
  if (!store_->Open(nativePath(target).constData(), kModeSaveCopy)) {
    FormatStoreError(store_->GetLastError(), target);
    return fail();
  }
  import->Close(handle);
  handle = nullptr;
  SetPathName(target);
  importedFrom_ = path;
  importedTo_ = target;
  SetModifiedFlag(FALSE);
  if (skipped > 0)
    AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgSkipped, QString::number(skipped)), MB_OK | MB_ICONINFORMATION);
  return TRUE;
}

void CQXDoc::SetPathName(const QString& path, BOOL addToRecentFiles) {
  // The template names the document after the file it asked to open; an
  // import lives on under its new name.
  if (!importedFrom_.isEmpty() && IsSameFile(path, importedFrom_)) {
    importedFrom_.clear();
    CDocument::SetPathName(importedTo_, addToRecentFiles);
    return;
  }
  CDocument::SetPathName(path, addToRecentFiles);
}

// ---------------------------------------------------------------- save

// In place only into the file the store has open: where that file was
// removed or moved away since it was opened, the document is written whole
// at the path, as Save As writes it.
BOOL CQXDoc::OnSaveDocument(const QString& path) {
  const QByteArray file = nativePath(path);
  if (!GetPathName().isEmpty() && !readOnly_ && IsSameFile(path, GetPathName()) &&
      StgIsFileAt(store_->GetRootStorage(), file.constData()))
    return SaveTo(nullptr);
  return SaveTo(file.constData());
}

BOOL CQXDoc::DoFileSave() {
  if (GetPathName().isEmpty() || readOnly_) return SaveWithNewName();
  // Another file put at the document's name since it was opened is written
  // over only when the user says so; "Non" asks for another name.
  const QFileInfo there(GetPathName());
  if ((there.exists() || there.isSymLink()) &&
      !StgIsFileAt(store_->GetRootStorage(), nativePath(GetPathName()).constData())) {
    switch (AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgOtherFileAtPath, GetPathName()),
                          MB_YESNOCANCEL | MB_ICONQUESTION)) {
      case IDCANCEL: return FALSE;
      case IDNO: return SaveWithNewName();
      default: break;
    }
  }
  return OnSaveDocument(GetPathName());
}

BOOL CQXDoc::SaveWithNewName() {
  if (!CDocument::DoSave(QString())) return FALSE;
  readOnly_ = FALSE;
  return TRUE;
}

void CQXDoc::OnFileSave(UINT id) {
  if (id == ID_FILE_SAVE_AS)
    SaveWithNewName();
  else
    DoFileSave();
}

BOOL CQXDoc::SaveTo(const char* path) {
  if (!WriteRecords()) return FALSE;
  if (path && *path) {
    if (!store_->Open(path, kModeSaveCopy)) {
      FormatStoreError(store_->GetLastError(), QFile::decodeName(path));
      return FALSE;
    }
    readOnly_ = FALSE;
    SetPathName(QFile::decodeName(path));
  } else if (!store_->Commit()) {
    FormatStoreError(store_->GetLastError(), GetPathName());
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

// ---------------------------------------------------------------- main window

BOOL CQXDoc::CanLeaveSelection() {
  if (busy_) return TRUE;
  CQXMainFrame* frame = GetMainFrame();
  return frame ? frame->CommitActivePage() : TRUE;
}

BOOL CQXDoc::FindFileHolder(const QString& path, char* title, UINT size) {
  return FindInstanceWithFile(path, title, size);
}

namespace {
CQXDoc::SelectionViewFunction selectionView = nullptr;
}  // namespace

void CQXDoc::SetSelectionViewFunction(SelectionViewFunction show) { selectionView = show; }

BOOL CQXDoc::ShowSelectionPane(const TreeSelectionInfo& selection) {
  if (selectionView) return selectionView(selection, FALSE);
  CQXMainFrame* frame = GetMainFrame();
  if (!frame) return TRUE;
  CQXContentsView* view = nullptr;
  return frame->ReplaceContentView(RUNTIME_CLASS(CQXContentsView), &view, FALSE);
}

// For editing the page view is also activated.
void CQXDoc::ShowSelectionView(BOOL edit) {
  TreeSelectionInfo selection;
  if (!GetTreeSelection(&selection)) return;
  if (selectionView)
    selectionView(selection, edit);
  else
    ShowSelectionPane(selection);
}

// ---------------------------------------------------------------- token table

BOOL CQXDoc::ReloadTokenTable() {
  std::string model;
  GetCalculatorName(&model);
  const std::string path = TokenListReadPath(model.c_str());
  QByteArray bytes;
  const bool read =
      !path.empty() && tallix::readWholeFile(QFile::decodeName(path.c_str()), &bytes, kMaxTokenListFileSize);
  if (read && path == tokenListPath_ && !bytes.isEmpty() && bytes == tokenListBytes_) return TRUE;
  tokenListPath_.clear();
  tokenListBytes_.clear();
  // Read into a table of its own, so a damaged file leaves the document's
  // commands as they were.
  CQXCommandTable loaded;
  if (!read || !ReadCommandTable(path.c_str(), &loaded)) {
    // A name that leads out of the program directory is refused as it stands.
    std::string shown = path;
    if (shown.empty()) ReadModelTokenListName(model.c_str(), &shown);
    AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgTokenListFailed, QFile::decodeName(shown.c_str())),
                  MB_OK | MB_ICONSTOP);
    return FALSE;
  }
  tokenTable_.RemoveAll();
  tokenTable_.CopyFrom(loaded);
  tokenTable_.BuildTextIndex();
  tokenListPath_ = path;
  tokenListBytes_ = bytes;
  return TRUE;
}

// ---------------------------------------------------------------- messages

void FormatStoreError(DWORD code, const QString& path) {
  const bool named = !path.isEmpty();
  UINT id = kMsgCommandFailed;
  switch (code) {
    case ORVO_E_OUTOFMEMORY: id = kMsgNoMemory; break;
    case ORVO_E_ACCESSDENIED:
    case ORVO_E_TOOMANYOPENFILES:
    case ORVO_E_FILEEXISTS: id = named ? kMsgFailedToOpen : kMsgFailedToCreate; break;
    case ORVO_E_DISKFULL: id = 61730; break;  // "Le lecteur de disque de destination est plein."
    case ORVO_E_TOOLARGE: id = kMsgTooLarge; break;
    case ORVO_E_NOTFOUND:
    case ORVO_E_PATHNOTFOUND: id = named ? 61729 : kMsgFailedToOpen; break;  // "%1\nImpossible de trouver ce fichier..."
    default: break;
  }
  AfxMessageBox(named ? CLanguageLibrary::FormatMessage(id, path) : CLanguageLibrary::LoadString(id),
                MB_OK | MB_ICONEXCLAMATION);
}

void FormatStreamError(int code, const QString& path, BOOL writing) {
  UINT id = kMsgCommandFailed;
  switch (code) {
    case 2: id = kMsgNoMemory; break;
    case 3: id = writing ? 61734 : 61733; break;
    case 11: id = 61733; break;  // "Une erreur inattendue s'est produite lors de la lecture de %1."
    case 12: id = 61734; break;  // "... lors de l'écriture de %1."
    default: break;
  }
  AfxMessageBox(CLanguageLibrary::FormatMessage(id, path), MB_OK | MB_ICONEXCLAMATION);
}

void RegisterQXDocClass() { RegisterRuntimeClass(RUNTIME_CLASS(CQXDoc)); }
