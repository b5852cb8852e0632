// CFileDialog: the program's one file dialog, for opening and saving. It is a
// QFileDialog of Qt's own widgets (never the desktop's), so that a child
// template of the language library fits into it and tests can drive it.
//
// What the platform's dialog does and this one keeps:
// - the filter string "text|patterns|text|patterns||" or the same pairs
//   separated by '\0' ("*.*" is every file; patterns match without regard to
//   case), the texts shown as they stand, and the selected filter's index;
// - the default extension, added to a typed name that has none; when saving,
//   the selected filter's extension ("*.txt": "txt") in its place, so a name
//   gets the extension of the chosen type ("*.*" keeps the default);
// - OFN_PATHMUSTEXIST / OFN_FILEMUSTEXIST: message 61729 and the dialog stays;
// - OFN_OVERWRITEPROMPT: message 10155 (yes/no) before an existing file is
//   chosen for saving;
// - OFN_ALLOWMULTISELECT: several files chosen at once (GetPathNames);
// - OFN_ENABLETEMPLATE: the child template placed below the standard
//   controls (its static 1119, where the platform puts them, stays empty);
// - OnInitDialog before the dialog shows, OnFileNameOK when a name is
//   chosen, signals when the selection or the folder changes.
// Where it starts: the caller's folder (SetInitialDirectory) or the
// proposed name's; else the folder of the main window's document, else the
// folder of the last file chosen in any file dialog ("Settings"/"Last
// Folder", kept across runs), else the user's documents folder, else the
// home folder. Never the program's folder or the working directory.
// Messages go through platform/MessageBox.h.
#pragma once

#include "platform/MessageBox.h"  // IDOK, IDCANCEL
#include "platform/WinTypes.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QFileDialog;
class QWidget;

// Option flags, with the platform's values.
enum : DWORD {
  OFN_READONLY = 0x1,
  OFN_OVERWRITEPROMPT = 0x2,
  OFN_HIDEREADONLY = 0x4,
  OFN_ENABLETEMPLATE = 0x40,
  OFN_ALLOWMULTISELECT = 0x200,
  OFN_PATHMUSTEXIST = 0x800,
  OFN_FILEMUSTEXIST = 0x1000,
  OFN_EXPLORER = 0x80000,
};

class CFileDialog : public QObject {
  Q_OBJECT

 public:
  // `defaultExt` without its '.'; `fileName` the proposed name (may hold a
  // folder); `filter` in the platform's "|" form, empty for every file.
  CFileDialog(BOOL openFileDialog, const QString& defaultExt = {}, const QString& fileName = {},
              DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const QString& filter = {},
              QWidget* parent = nullptr);
  ~CFileDialog() override;

  DWORD GetFlags() const { return m_flags; }
  void SetFlags(DWORD flags) { m_flags = flags; }
  // The child template (a form of the language library with a QWidget top
  // level); OFN_ENABLETEMPLATE switches it on.
  void SetTemplate(UINT templateId) { m_templateId = templateId; }
  void SetTitle(const QString& title);
  void SetOkButtonText(const QString& text);
  void SetInitialDirectory(const QString& folder) { m_initialDirectory = folder; }
  // The folder the dialog opens in (see above).
  QString GetStartFolder() const;
  // The proposed name; a path also chooses the folder.
  void SetFileName(const QString& fileName) { m_fileName = fileName; }
  // The filter string, as for the constructor.
  void SetFilter(const QString& filter) { m_filter = filter; }
  // Without its '.'; empty for none.
  const QString& GetDefaultExt() const { return m_defaultExt; }
  void SetDefaultExt(const QString& ext) { m_defaultExt = ext; }
  // The filter selected when the dialog opens, and after OK the one the user
  // had selected: 1 for the first pair of the filter string.
  DWORD GetFilterIndex() const { return m_filterIndex; }
  void SetFilterIndex(DWORD index) { m_filterIndex = index; }
  // The patterns of the selected filter as the filter string gives them
  // ("*.qxd", "*.*"); empty without a filter.
  QStringList GetFilterPatterns() const;

  // Builds the dialog and runs OnInitDialog without showing it; DoModal does
  // this first. FALSE when the child template is missing.
  BOOL Create();
  // IDOK or IDCANCEL.
  virtual int DoModal();

  // The chosen file after OK (with several, the first); while OnFileNameOK
  // runs, the name being checked.
  QString GetPathName() const { return m_pathName; }
  // Every chosen file after OK.
  const QStringList& GetPathNames() const { return m_pathNames; }
  QString GetFileName() const;
  // The chosen file's extension without the '.'.
  QString GetFileExt() const;
  // The file the dialog shows as chosen now (selected in the list or typed),
  // empty when there is none or it names a folder.
  QString GetSelectedPath() const;
  QString GetFolderPath() const;

  QFileDialog* GetDialog() const { return m_dialog; }
  // The child template's widget, or null.
  QWidget* GetChild() const { return m_child; }
  BOOL IsOpenDialog() const { return m_open; }

  // Tests: called with every dialog once DoModal has shown it; the hook
  // drives the widgets, and a dialog still open when it returns is cancelled.
  using ModalHook = std::function<void(CFileDialog& dialog)>;
  static ModalHook SetModalHook(ModalHook hook);

 signals:
  void selectionChanged();
  void folderChanged();

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  // A name passed the dialog's own checks and is about to be chosen
  // (GetPathName gives it, SetChosenPath may change it); TRUE keeps the
  // dialog open.
  virtual BOOL OnFileNameOK() { return FALSE; }
  void SetChosenPath(const QString& path) { m_pathName = path; }
  // The dialog's own message for a file that does not exist (61729).
  void ShowFileNotFound(const QString& path);

 private:
  class Window;
  friend class Window;
  // The checks of the platform's dialog; true when `path` may be chosen.
  bool acceptName(const QString& path);
  // The chosen files pass the checks, then OnFileNameOK; true when they are
  // taken.
  bool acceptNames(const QStringList& paths);
  int showMessage(UINT id, const QString& path, UINT type);
  // The filter the dialog shows now, 1 for the first; 0 without a dialog.
  int shownFilterIndex() const;
  // The extension a name without one gets under filter `filterIndex`.
  QString defaultSuffixOf(DWORD filterIndex) const;

  BOOL m_open;
  DWORD m_flags;
  QString m_defaultExt;
  QString m_fileName;
  QString m_filter;
  QString m_title;
  QString m_okText;
  QString m_initialDirectory;
  QString m_pathName;
  QStringList m_pathNames;
  DWORD m_filterIndex = 1;
  UINT m_templateId = 0;
  QWidget* m_parent;
  QFileDialog* m_dialog = nullptr;
  QWidget* m_child = nullptr;
};
