#include "app/QXApp.h"

#include "app/AppServices.h"
#include "app/CalculatorFonts.h"
#include "app/DocManagerEx.h"
#include "app/ItemClipboardFormats.h"
#include "app/MenuExtension.h"
#include "app/MenuPopups.h"
#include "charset/Cp1252.h"
#include "services/ProgramServices.h"
#include "app/QXAppMessages.h"
#include "app/QXDoc.h"
#include "app/QXMainFrame.h"
#include "app/QXSingleDocTemplate.h"
#include "app/QXTreeView.h"
#include "app/QXAboutDialog.h"
#include "app/QXCalculatorDialog.h"
#include "app/QXSettingsDialog.h"
#include "classlib/FetchwellLibrary.h"
#include "classlib/GridCtrl.h"
#include "classlib/ProfileSettings.h"
#include "classlib/ProgramVersion.h"
#include "classlib/SettingsTable.h"
#include "datamodel/ModelLookups.h"
#include "platform/ByteOrder.h"
#include "platform/CmdUI.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/ProgramPaths.h"
#include "platform/ShellOpen.h"
#include "platform/QtTranslations.h"
#include "platform/Wnd.h"
#include "tokens/CmdTreeCtrl.h"
#include "tokens/MacroListCtrl.h"
#include "tokens/QXTokenEditor.h"
#include "tokens/QXTokenField.h"
#include "tokens/TokenClipboard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QSettings>

#include <utility>

using tallix::settings::kSettings;

namespace {

constexpr UINT kOutOfMemory = 61706;
// The update hint by which the views show their item again (the page views
// reload it): after the picture colours changed.
constexpr LPARAM kHintItemChanged = 2;

// Message `kOutOfMemory` with what failed, as start-up reports it.
void ShowStartupFailure(const char* what) {
  AfxMessageBox(QStringLiteral("%1\n (%2)").arg(CLanguageLibrary::LoadString(kOutOfMemory), QLatin1String(what)),
                MB_ICONSTOP);
}

// `name` below the program directory: separators of either kind, never an
// absolute path, never above the directory. Empty when it leaves it.
QString PathBelowProgramDirectory(const QString& name) {
  QString relative = name;
  relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
  while (relative.startsWith(QLatin1Char('/'))) relative.remove(0, 1);
  const QString dir = QDir::cleanPath(tallix::programDirectory());
  const QString path = QDir::cleanPath(dir + QLatin1Char('/') + relative);
  if (relative.isEmpty() || !path.startsWith(dir + QLatin1Char('/'))) return {};
  return path;
}

}  // namespace

QString LanguageLibraryFileName(WORD language, const QString& setting) {
  switch (language) {
    case 0x0407:
      return QStringLiteral("QXL0049.LNG");
    case 0x0409:
      return QStringLiteral("QXL0001.LNG");
    case 0x040C:
      return QStringLiteral("QXL0033.LNG");
    default:
      return setting.isEmpty() ? QStringLiteral("QXLWIN32.LNG") : setting;
  }
}

CQXApp* GetQXApp() { return qobject_cast<CQXApp*>(AfxGetApp()); }

const CMessageMap& CQXApp::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXApp>(COrvoWinApp::messageMap())
                                     .command(ID_FILE_NEW_CALCULATOR, &CQXApp::OnFileNewCalculator)
                                     .command(ID_OPTIONS_CALCULATOR, &CQXApp::OnCalculator)
                                     .command(ID_OPTIONS_SETTINGS, &CQXApp::OnSettings)
                                     .updateUI(ID_OPTIONS_SETTINGS, &CQXApp::OnUpdateSettings)
                                     .command(ID_FILE_PAGE_SETUP, &CQXApp::OnFilePageSetup)
                                     .command(ID_HELP_HOMEPAGE, &CQXApp::OnHomepage)
                                     .commandEx(ID_MENU_FILE_FIRST, ID_MENU_FILE_LAST, &CQXApp::OnMenuFileCommand)
                                     .updateUIRange(ID_MENU_FILE_FIRST, ID_MENU_FILE_LAST,
                                                    &CQXApp::OnUpdateMenuFileCommand);
  return map;
}

CQXApp::CQXApp(QObject* parent) : COrvoWinApp(parent) {
  SetAboutDialogFactory([] { return std::make_unique<CQXAboutDialog>(); });
}

CQXApp::~CQXApp() {
  if (!languageLoaded_) return;
  CLanguageLibrary::Unload();
  tallix::installQtTranslations();
}

BOOL CQXApp::LoadLanguageLibrary(QString* fileName) {
  VersionTranslation translation{};
  const WORD language = GetProgramTranslation(&translation) ? translation.language : 9;
  std::string setting;
  AppGetProfileString(&setting, kSettings, "Language DLL", nullptr);
  const QString name = LanguageLibraryFileName(language, tallix::fromCp1252(setting));
  if (fileName) *fileName = QFileInfo(QString(name).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
  const QString path = PathBelowProgramDirectory(name);
  languageLoaded_ = !path.isEmpty() && CLanguageLibrary::Load(path);
  // Qt's own dialogs speak the library's language from here on.
  if (languageLoaded_) tallix::installQtTranslations();
  return languageLoaded_;
}

BOOL CQXApp::InitInstance() {
  SetRegistryKey("Brindlewood");

  QString libraryName;
  if (!LoadLanguageLibrary(&libraryName)) {
    // No string table yet: the program's own text.
    ShowMessageBox({QStringLiteral("Could not load language DLL: %1").arg(libraryName), QStringLiteral("TALLIX"),
                    MB_OK | MB_ICONSTOP});
    return FALSE;
  }
  RegisterQXMessages();
  RegisterItemClipboardFormats();
  RegisterTokenClipboardFormats();
  // The "..." button of a token field tells its page.
  RegisterCmdButtonMessage();
  if (!COrvoWinApp::InitInstance()) return FALSE;
  if (!InitSystemComponents()) return FALSE;

  LoadPageSettings();
  if (BuildAppImageLists() < 6) {
    ShowStartupFailure("Create application ImageList");
    return FALSE;
  }

  RegisterQXMainFrameClasses();
  m_pDocManager = std::make_unique<CDocManagerEx>();
  AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CQXMainFrame),
                                          RUNTIME_CLASS(CQXTreeView)));
  RegisterShellFileTypes(FALSE);

  cmdInfo_ = CCommandLineInfo();
  cmdInfo_.ParseArguments(arguments_.isEmpty() ? QCoreApplication::arguments() : arguments_);
  if (!ProcessShellCommandEx(cmdInfo_)) return FALSE;

  InitMenuPopupTable();
  std::string menuFile;
  AppGetProfileString(&menuFile, kSettings, "Menu File", "");
  BuildExtensionMenus(menuFile.empty() ? tallix::findDataFile(QStringLiteral("qxmenu.ini"))
                                       : MenuExtensionFilePath(tallix::fromCp1252(menuFile)));

  CWnd* main = m_pMainWnd;
  if (!main) return FALSE;
  main->update();
  main->DragAcceptFiles(TRUE);

  // The first start without a document asks for the calculator of new
  // documents; a document named on the command line opens without it.
  std::string calculator;
  if (!GetDefaultCalculator(&calculator) && cmdInfo_.m_strFileName.isEmpty()) {
    startupChooser_ = true;
    openedBeforeChooser_ = documentsOpened_;
    main->PostMessage(WM_COMMAND, ID_FILE_NEW_CALCULATOR, 0);
  }
  return TRUE;
}

BOOL CQXApp::InitSystemComponents() {
  if (!RegisterGridWindowClass()) {
    ShowStartupFailure("Register Class: Grid control");
    return FALSE;
  }
  if (!RegisterTokenEditorWindowClass()) {
    ShowStartupFailure("Register Class: token editor");
    return FALSE;
  }
  // Drag and drop, the clipboard and rich text are Qt's own: nothing to
  // initialise for them. Without the calculator fonts the program still
  // runs; the windows that need them say so.
  InstallCalculatorFonts();
  return TRUE;
}

BOOL CQXApp::RegisterGridWindowClass() {
  CGridCtrl::RegisterWindowClass();
  return TRUE;
}
BOOL CQXApp::RegisterTokenEditorWindowClass() {
  // The forms' other token controls: the macro list and the command tree.
  CQXMacroListCtrl::RegisterMacroListClass();
  CQXCmdTreeCtrl::RegisterCmdTreeClass();
  return CQXTokenEditor::RegisterTokenEditorClass();
}
void CQXApp::InitMenuPopupTable() { ::InitMenuPopupTable(); }
void CQXApp::BuildExtensionMenus(const QString& menuFile) { BuildMenuExtension(menuFile); }

void CQXApp::LoadPageSettings() {
  m_rcPageMargin = kDefaultPageMargins;
  std::vector<BYTE> bytes;
  if (tallix::profileBinary(kSettings, "Page Margin", &bytes) && bytes.size() == 16) {
    const auto at = [&bytes](int i) { return LONG(GetLittleEndian32(bytes.data() + 4 * i)); };
    m_rcPageMargin = {at(0), at(1), at(2), at(3)};
  }
  pageSettingsLoaded_ = TRUE;
}

void CQXApp::SavePageMargin() {
  BYTE bytes[16];
  const LONG values[4] = {m_rcPageMargin.left, m_rcPageMargin.top, m_rcPageMargin.right, m_rcPageMargin.bottom};
  for (int i = 0; i < 4; ++i) PutLittleEndian32(bytes + 4 * i, DWORD(values[i]));
  AppWriteProfileBinary(kSettings, "Page Margin", bytes, sizeof bytes);
}

BOOL CQXApp::IsUnregisterRun() const {
  return m_pCmdInfo && m_pCmdInfo->m_nShellCommand == CCommandLineInfo::AppUnregister;
}

int CQXApp::ExitInstance() {
  // A failed start-up holds the defaults, and an unregister run has just
  // removed the profile: neither may write the margins.
  if (pageSettingsLoaded_ && !IsUnregisterRun()) SavePageMargin();
  RemoveCalculatorFonts();
  return COrvoWinApp::ExitInstance();
}

BOOL CQXApp::ProcessShellCommandEx(CCommandLineInfo& info) {
  if (info.m_nShellCommand == CCommandLineInfo::FilePrintTo && !info.m_strPrinterName.isEmpty())
    SetPrinterName(info.m_strPrinterName);
  return ProcessShellCommand(info);
}

BOOL CQXApp::Unregister() {
  const BOOL done = COrvoWinApp::Unregister();
  const QString file = tallix::openProfile().fileName();
  const QFileInfo info(file);
  if (info.exists() && !QFile::remove(file)) return FALSE;
  QDir().rmdir(info.absolutePath());  // only when nothing else is left there
  return done;
}

CDocument* CQXApp::OpenDocumentFile(const QString& path) {
  CDocument* document = COrvoWinApp::OpenDocumentFile(path);
  if (document) ++documentsOpened_;
  return document;
}

void CQXApp::OnFileNewCalculator() {
  const bool startup = std::exchange(startupChooser_, false);
  const auto documentCame = [&] { return startup && documentsOpened_ != openedBeforeChooser_; };
  if (documentCame()) return;
  CQXCalculatorDialog dialog(m_pMainWnd);
  if (dialog.DoModal() == IDOK && !documentCame()) OnFileNew();
}

void CQXApp::OnCalculator() {
  CQXCalculatorDialog dialog(m_pMainWnd);
  dialog.DoModal();
}

void CQXApp::OnSettings() {
  // Without a parent of its own the sheet belongs to the main window.
  CQXSettingsDialog sheet(m_pMainWnd);
  if (sheet.DoModal() != IDOK || !sheet.m_bColorsChanged) return;
  auto* frame = qobject_cast<CFrameWnd*>(m_pMainWnd);
  if (CDocument* doc = frame ? frame->GetActiveDocument() : nullptr) doc->UpdateAllViews(nullptr, kHintItemChanged, nullptr);
}

void CQXApp::OnUpdateSettings(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }

void CQXApp::OnFilePageSetup() {
  if (QPrinter* printer = GetPrinterIfServiceAnswers()) RunPageSetup(printer, &m_rcPageMargin, m_pMainWnd);
}

void CQXApp::OnHomepage() { OpenStringTableUrl(500, 10574, 61706); }

BOOL CQXApp::OnMenuFileCommand(UINT nID) {
  std::string target;
  if (GetMenuCommandTarget(nID, &target)) tallix::ShellOpen(QFile::decodeName(QByteArray::fromStdString(target)));
  return TRUE;
}

void CQXApp::OnUpdateMenuFileCommand(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
