// CQXApp: the program's application object. It runs the start-up (language
// library, registrations, fonts, page margins, image lists, document
// template, command line, menus), answers the application's menu commands,
// and undoes its installations at exit; the language library stays loaded
// until the object goes, after every window and document.
#pragma once

#include "app/PageSetup.h"
#include "classlib/OrvoWinApp.h"
#include "platform/CommandLineInfo.h"

#include <QString>
#include <QStringList>

class CCmdUI;

// Command ids of the application's menu items.
enum : UINT {
  ID_FILE_NEW_CALCULATOR = 57610,
  ID_FILE_PAGE_SETUP = 57605,
  ID_OPTIONS_CALCULATOR = 22300,
  ID_OPTIONS_SETTINGS = 22301,
  ID_HELP_HOMEPAGE = 22500,
  ID_MENU_FILE_FIRST = 15000,
  ID_MENU_FILE_LAST = 15999,
};

class CQXApp : public COrvoWinApp {
  Q_OBJECT

 public:
  explicit CQXApp(QObject* parent = nullptr);
  // Frees the language library when one is loaded.
  ~CQXApp() override;
  DECLARE_MESSAGE_MAP()

  // The start-up; FALSE ends the program before any window shows.
  BOOL InitInstance() override;
  // Writes the page margins (only after they were read, and not in an
  // unregister run), removes the calculator fonts, then the base's exit.
  int ExitInstance() override;

  // The language library named by the version block's language, else by
  // "Settings"/"Language DLL", else "QXLWIN32.LNG", from the program
  // directory. `fileName` receives the name chosen (without directory).
  BOOL LoadLanguageLibrary(QString* fileName = nullptr);
  BOOL IsLanguageLibraryLoaded() const { return languageLoaded_; }
  BOOL InitSystemComponents();
  // "Settings"/"Page Margin" (16 bytes: left, top, right, bottom in twips,
  // little-endian) into the page margins; the defaults when it is missing
  // or of another size.
  void LoadPageSettings();
  void SavePageMargin();
  // Print-to takes the named printer; the rest is the standard processing
  // (unregister included, which marks the run so that nothing is saved).
  BOOL ProcessShellCommandEx(CCommandLineInfo& info);
  // The base's removal, then the profile's file and its maker's folder when
  // that is left empty.
  BOOL Unregister() override;
  // The base's opening; counts the documents opened, whatever asked.
  CDocument* OpenDocumentFile(const QString& path) override;

  // The arguments the command line is read from (the process's own until
  // set), and what was read from them.
  void SetArguments(const QStringList& arguments) { arguments_ = arguments; }
  const CCommandLineInfo& GetCommandLineInfo() const { return cmdInfo_; }
  BOOL IsUnregisterRun() const;

  // Left, top, right, bottom in twips; the print views read them.
  RECT m_rcPageMargin = kDefaultPageMargins;

  // The chooser, then a new document for the model chosen. The chooser the
  // start-up posts (no document named, no default calculator) makes none
  // when a document opened before or while it showed (a drop), nor shows
  // when one came first.
  void OnFileNewCalculator();
  void OnCalculator();
  void OnSettings();
  void OnUpdateSettings(CCmdUI* pCmdUI);
  void OnFilePageSetup();
  void OnHomepage();
  // Opens the command's target from the menu extension file with the shell.
  BOOL OnMenuFileCommand(UINT nID);
  void OnUpdateMenuFileCommand(CCmdUI* pCmdUI);

 protected:
  // The window classes of the grid control ("QXLGridCtrl") and the token
  // editor ("QXTokenEditor") for the language library's forms; FALSE
  // refuses the start-up.
  virtual BOOL RegisterGridWindowClass();
  virtual BOOL RegisterTokenEditorWindowClass();
  // The main menu's popup table, and the menus of the menu extension file.
  virtual void InitMenuPopupTable();
  virtual void BuildExtensionMenus(const QString& menuFile);

 private:
  BOOL languageLoaded_ = FALSE;
  BOOL pageSettingsLoaded_ = FALSE;
  CCommandLineInfo cmdInfo_;
  QStringList arguments_;
  int documentsOpened_ = 0;
  // The start-up's chooser is still to come; the count of documents then.
  bool startupChooser_ = false;
  int openedBeforeChooser_ = 0;
};

// The running application object, or null.
CQXApp* GetQXApp();

// The language library's file name: 0x0407 "QXL0049.LNG", 0x0409
// "QXL0001.LNG", 0x040C "QXL0033.LNG"; any other language `setting` when it
// is non-empty, else "QXLWIN32.LNG".
QString LanguageLibraryFileName(WORD language, const QString& setting);
