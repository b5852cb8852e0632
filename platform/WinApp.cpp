#include "platform/WinApp.h"

#include "platform/CmdUI.h"
#include "platform/CommandLineInfo.h"
#include "platform/DocManager.h"
#include "platform/FrameWnd.h"
#include "platform/MessageBox.h"
#include "platform/PrintSystem.h"
#include "platform/Profile.h"
#include "platform/QtTranslations.h"
#include "platform/TerminationSignal.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QThread>
#include <QTimer>

#include <utility>

namespace {

constexpr char kRecentFileSection[] = "Recent File List";
CWinApp* g_app = nullptr;

QString recentFileKey(UINT index) {
  return tallix::profileKey(QLatin1String(kRecentFileSection), QStringLiteral("File%1").arg(index + 1));
}

}  // namespace

CWinApp* AfxGetApp() { return g_app; }
CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd.data() : nullptr; }

int AfxWinMain() {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  if (!app->InitInstance()) {
    if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
    return app->ExitInstance();
  }
  return app->Run();
}

void AfxPostQuitMessage(int exitCode) {
  CWinApp* app = AfxGetApp();
  if (!app || !app->running_) return;
  app->exitCode_ = exitCode;
  QCoreApplication::exit(exitCode);
}

const CMessageMap& CWinApp::messageMap() {
  static const CMessageMap map = MessageMapOf<CWinApp>(CCmdTarget::messageMap())
                                     .command(ID_APP_EXIT, &CWinApp::OnAppExit)
                                     .updateUI(ID_FILE_MRU_FILE1, &CWinApp::OnUpdateRecentFileMenu)
                                     .commandEx(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, &CWinApp::OnOpenRecentFile);
  return map;
}

CWinApp::CWinApp(QObject* parent) : QObject(parent) {
  g_app = this;
  // Qt's own dialogs in the language of a library loaded already, else the
  // system's; the application installs them again once it loads its own.
  tallix::installQtTranslations();
  if (auto* dispatcher = QAbstractEventDispatcher::instance())
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CWinApp::onAboutToBlock);
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() {
  if (!m_pCmdInfo || m_pCmdInfo->m_nShellCommand != CCommandLineInfo::AppUnregister) SaveStdProfileSettings();
  return 0;
}

int CWinApp::Run() {
  QGuiApplication::setQuitOnLastWindowClosed(false);
  if (m_pMainWnd) {
    const tallix::TerminationSignal termination;
    connect(&termination, &tallix::TerminationSignal::received, this, &CWinApp::EndWithoutQuestions);
    running_ = true;
    exitCode_ = QCoreApplication::exec();
    running_ = false;
  }
  return ExitInstance();
}

void CWinApp::EndWithoutQuestions() {
  // Once under way, a second signal changes nothing.
  if (std::exchange(ending_, true)) return;
  const auto again = [this](int ms) {
    QTimer::singleShot(ms, this, [this] {
      ending_ = false;
      EndWithoutQuestions();
    });
  };
  QWidget* open = QApplication::activePopupWidget();
  if (!open) open = QApplication::activeModalWidget();
  if (open) {
    // Escape first, as the user would; one that stays is closed.
    if (open == dismissed_) {
      open->close();
    } else {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
      QCoreApplication::sendEvent(open, &press);
      QCoreApplication::sendEvent(open, &release);
    }
    dismissed_ = open;
    again(0);
    return;
  }
  // Back in the message loop itself, with no command under way.
  if (!running_ || CWnd::IsCommandRunning() || QThread::currentThread()->loopLevel() > 1) {
    again(50);
    return;
  }
  auto* frame = qobject_cast<CFrameWnd*>(m_pMainWnd.data());
  if (CDocument* doc = frame ? frame->GetActiveDocument() : nullptr) doc->OnCloseDocument();
  if (m_pMainWnd) m_pMainWnd->DestroyWindow();
  else AfxPostQuitMessage(0);
}

BOOL CWinApp::OnIdle(LONG count) {
  if (count == 0)
    if (auto* frame = qobject_cast<CFrameWnd*>(m_pMainWnd.data())) frame->OnIdleUpdateCmdUI();
  return FALSE;
}

void CWinApp::onAboutToBlock() {
  // Once per batch of events; not while a command runs its own loop.
  if (inIdle_ || CWnd::IsCommandRunning()) return;
  inIdle_ = true;
  OnIdle(0);
  inIdle_ = false;
}

void CWinApp::SetRegistryKey(const char* key) { registryKey_ = QString::fromLatin1(key ? key : ""); }

void CWinApp::LoadStdProfileSettings(UINT maxRecentFiles) {
  maxRecentFiles_ = maxRecentFiles;
  recentFiles_.clear();
  const QSettings profile = tallix::openProfile();
  for (UINT i = 0; i < maxRecentFiles; ++i) {
    const QString path = profile.value(recentFileKey(i)).toString();
    if (!path.isEmpty()) recentFiles_.append(path);
  }
}

void CWinApp::SaveStdProfileSettings() {
  if (maxRecentFiles_ == 0) return;
  QSettings profile = tallix::openProfile();
  profile.remove(QLatin1String(kRecentFileSection));
  for (qsizetype i = 0; i < recentFiles_.size(); ++i) profile.setValue(recentFileKey(UINT(i)), recentFiles_[i]);
  profile.sync();
}

void CWinApp::AddToRecentFileList(const QString& path) {
  if (maxRecentFiles_ == 0 || path.isEmpty()) return;
  const QString full = QFileInfo(path).absoluteFilePath();
  recentFiles_.removeAll(full);
  recentFiles_.prepend(full);
  while (recentFiles_.size() > qsizetype(maxRecentFiles_)) recentFiles_.removeLast();
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI) {
  if (maxRecentFiles_ == 0 || !pCmdUI->m_pMenu || !pCmdUI->m_pAction) {
    pCmdUI->Enable(maxRecentFiles_ != 0 && !recentFiles_.isEmpty());
    return;
  }
  QAction* placeholder = pCmdUI->m_pAction;
  if (placeholder->property("recentIndex").isValid()) {  // an entry, not the placeholder
    pCmdUI->Enable(TRUE);
    return;
  }
  QMenu* menu = pCmdUI->m_pMenu;
  for (QAction* a : menu->actions())
    if (a->property("recentIndex").isValid()) delete a;
  for (qsizetype i = 0; i < recentFiles_.size(); ++i) {
    QString shown = QDir::toNativeSeparators(recentFiles_[i]);
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    auto* entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), menu);
    const UINT id = ID_FILE_MRU_FILE1 + UINT(i);
    entry->setData(id);
    entry->setProperty("commandId", id);
    entry->setProperty("recentIndex", int(i));
    menu->insertAction(placeholder, entry);
  }
  placeholder->setVisible(recentFiles_.isEmpty());
  pCmdUI->Enable(FALSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID) {
  const qsizetype index = qsizetype(nID) - ID_FILE_MRU_FILE1;
  if (index < 0 || index >= recentFiles_.size()) return FALSE;
  const QString path = recentFiles_[index];
  if (!OpenDocumentFile(path)) recentFiles_.removeAll(path);
  return TRUE;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) { info.ParseArguments(QCoreApplication::arguments()); }

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
  m_pCmdInfo = &info;
  switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
    case CCommandLineInfo::FileDDE:  // no DDE conversation follows here: open what was named, else a new document
      if (!info.m_strFileName.isEmpty()) return OpenDocumentFile(info.m_strFileName) != nullptr;
      if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr)) OnFileNew();
      return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
      return OpenDocumentFile(info.m_strFileName) != nullptr;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
      m_nCmdShow = SW_HIDE;
      if (OpenDocumentFile(info.m_strFileName) && m_pMainWnd) {
        m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
        m_pMainWnd->SendMessage(WM_CLOSE, 0, 0);
      }
      return FALSE;
    case CCommandLineInfo::AppUnregister: {
      const BOOL done = Unregister();
      if (!info.m_bRunEmbedded) AfxMessageBox(done ? AFX_IDP_UNREG_DONE : AFX_IDP_UNREG_FAILURE);
      return FALSE;
    }
    default:
      return TRUE;
  }
}

CDocument* CWinApp::OpenDocumentFile(const QString& path) {
  return m_pDocManager ? m_pDocManager->OpenDocumentFile(path) : nullptr;
}

void CWinApp::AddDocTemplate(CDocTemplate* docTemplate) {
  if (!m_pDocManager) m_pDocManager = std::make_unique<CDocManager>();
  m_pDocManager->AddDocTemplate(docTemplate);
}

BOOL CWinApp::DoPromptFileName(QString& fileName, UINT titleId, DWORD flags, BOOL openFileDialog,
                               CDocTemplate* docTemplate) {
  return m_pDocManager && m_pDocManager->DoPromptFileName(fileName, titleId, flags, openFileDialog, docTemplate);
}

void CWinApp::RegisterShellFileTypes(BOOL compat) {
  if (m_pDocManager) m_pDocManager->RegisterShellFileTypes(compat);
}

void CWinApp::UnregisterShellFileTypes() {
  if (m_pDocManager) m_pDocManager->UnregisterShellFileTypes();
}

BOOL CWinApp::Unregister() {
  UnregisterShellFileTypes();
  QSettings profile = tallix::openProfile();
  profile.clear();
  profile.sync();
  return profile.status() == QSettings::NoError;
}

QPrinter* CWinApp::GetPrinter() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>();
    if (!printerName_.isEmpty()) printer_->setPrinterName(printerName_);
  }
  return printer_.get();
}

QPrinter* CWinApp::GetPrinterIfServiceAnswers() {
  return tallix::askPrintService(m_pMainWnd) ? GetPrinter() : nullptr;
}

void CWinApp::SetPrinterName(const QString& name) {
  if (printer_) printer_->setPrinterName(name);
  else printerName_ = name;
}

void CWinApp::OnFileNew() {
  if (m_pDocManager) m_pDocManager->OnFileNew();
}

void CWinApp::OnFileOpen() {
  if (m_pDocManager) m_pDocManager->OnFileOpen();
}

void CWinApp::OnFilePrintSetup() {
  QPrinter* printer = GetPrinterIfServiceAnswers();
  if (!printer) return;
  QPrintDialog dialog(printer, m_pMainWnd);
  dialog.exec();
}

void CWinApp::WinHelp(DWORD data, UINT command) { ShowHelp(data, command); }

void CWinApp::OnHelpFinder() { WinHelp(0, HELP_FINDER); }

void CWinApp::OnAppExit() {
  // Posted: the frame refuses a close while a command runs, and this one
  // still does.
  if (m_pMainWnd) m_pMainWnd->PostMessage(WM_CLOSE);
}
