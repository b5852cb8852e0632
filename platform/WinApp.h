// CWinApp: the application object. It lives beside the QApplication (not
// derived from it, so that tests can build one after another), is the last
// command target of every route, keeps the main window and the recent-file
// list, and runs start-up, the message loop and exit.
#pragma once

#include "platform/CmdTarget.h"
#include "platform/HelpWindow.h"
#include "platform/WinMessages.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class CCmdUI;
class CCommandLineInfo;
class CDocManager;
class CDocTemplate;
class CDocument;
class CWnd;
class QPrinter;

class CWinApp : public QObject, public CCmdTarget {
  Q_OBJECT

 public:
  explicit CWinApp(QObject* parent = nullptr);
  ~CWinApp() override;
  DECLARE_MESSAGE_MAP()

  QPointer<CWnd> m_pMainWnd;
  std::unique_ptr<CDocManager> m_pDocManager;
  // The command line of the run, once ProcessShellCommand has seen it.
  CCommandLineInfo* m_pCmdInfo = nullptr;
  int m_nCmdShow = SW_SHOW;

  virtual BOOL InitInstance();
  // Saves the recent-file list (not after an unregister run); the exit code.
  virtual int ExitInstance();
  // The message loop until the main window goes; then ExitInstance. While
  // it runs, SIGTERM ends it through EndWithoutQuestions.
  virtual int Run();
  // Ends the program as the close of its last window does, without asking
  // anything: a menu, dialog or message box open now is ended as Escape
  // ends it, a running command is let finish, then the main window's
  // document is closed unsaved and the window goes, which ends Run's loop.
  void EndWithoutQuestions();
  // Called once each time the loop is about to wait: updates the main
  // window's tool bars and title. TRUE asks for more idle calls.
  virtual BOOL OnIdle(LONG count);

  // The profile's organisation; the profile itself is always the one of
  // platform/Profile.h.
  void SetRegistryKey(const char* key);
  const QString& GetRegistryKey() const { return registryKey_; }

  // Reads up to `maxRecentFiles` recent files from "Recent File List"/
  // "File1".."Filen"; they show in place of menu item 57616 as 57616+i.
  void LoadStdProfileSettings(UINT maxRecentFiles = 4);
  void SaveStdProfileSettings();
  virtual void AddToRecentFileList(const QString& path);
  const QStringList& GetRecentFileList() const { return recentFiles_; }

  void ParseCommandLine(CCommandLineInfo& info);
  // New, open, print, print to; unregister; FALSE ends start-up.
  BOOL ProcessShellCommand(CCommandLineInfo& info);
  virtual CDocument* OpenDocumentFile(const QString& path);
  // Removes what the program registered (its file types, its profile);
  // TRUE on success.
  virtual BOOL Unregister();

  // The document manager's services (a manager is made for the first
  // template when there is none).
  void AddDocTemplate(CDocTemplate* docTemplate);
  virtual BOOL DoPromptFileName(QString& fileName, UINT titleId, DWORD flags, BOOL openFileDialog,
                                CDocTemplate* docTemplate);
  void RegisterShellFileTypes(BOOL compat = FALSE);
  void UnregisterShellFileTypes();

  // The program's help (platform/HelpWindow.h): HELP_CONTEXT shows the
  // topic `data`, HELP_FINDER the contents.
  virtual void WinHelp(DWORD data, UINT command = HELP_CONTEXT);
  // The contents of the help, for the help menu's command.
  void OnHelpFinder();

  // The application's printer, made on first use. Making it, like every
  // use of Qt's printer code, waits on the print service: commands reach
  // it through GetPrinterIfServiceAnswers.
  QPrinter* GetPrinter();
  // The printer once the print service has answered (asked anew each
  // time, tallix::askPrintService), or null after the user was told it
  // does not.
  QPrinter* GetPrinterIfServiceAnswers();
  // Whether the printer has been made.
  BOOL HasPrinter() const { return printer_ != nullptr; }
  // The printer a job goes to: set at once when the printer is there, else
  // when it is made (the command line names it before any command runs).
  void SetPrinterName(const QString& name);
  // TRUE while Run's message loop runs.
  BOOL IsRunning() const { return running_; }

  void OnFileNew();
  void OnFileOpen();
  void OnFilePrintSetup();
  void OnAppExit();
  BOOL OnOpenRecentFile(UINT nID);
  void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);

 private:
  void onAboutToBlock();

  QString registryKey_;
  UINT maxRecentFiles_ = 0;
  QStringList recentFiles_;
  std::unique_ptr<QPrinter> printer_;
  QString printerName_;  // for the printer still to be made
  bool inIdle_ = false;
  bool running_ = false;
  bool ending_ = false;
  QPointer<QWidget> dismissed_;
  int exitCode_ = 0;
  friend void AfxPostQuitMessage(int exitCode);
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// Start-up as the class library runs it: InitInstance, then Run, or
// ExitInstance at once when start-up failed.
int AfxWinMain();
// Ends Run's message loop with `exitCode`; nothing when it does not run.
void AfxPostQuitMessage(int exitCode);
