// CFileDialog: the program's one file dialog, for opening and saving. It is a
// QFileDialog of Qt's own widgets (never the desktop's), so that a child
// template of the language library fits into it and tests can drive it.
//
// What the platform's dialog does and this one keeps:
// - the filter string "text|patterns|text|patterns||" ("*.*" is every file;
//   patterns match without regard to case);
// - the default extension, added to a typed name that has none;
// - OFN_PATHMUSTEXIST / OFN_FILEMUSTEXIST: message 61729 and the dialog stays;
// - OFN_OVERWRITEPROMPT: message 10155 (yes/no) before an existing file is
//   chosen for saving;
// - OFN_ENABLETEMPLATE: the child template placed below the standard
//   controls (its static 1119, where the platform puts them, stays empty);
// - OnInitDialog before the dialog shows, OnFileNameOK when a name is
//   chosen, signals when the selection or the folder changes.
// Messages go through platform/MessageBox.h.
#pragma once

#include "platform/MessageBox.h"  // IDOK, IDCANCEL
#include "platform/WinTypes.h"

#include <QObject>
#include <QString>

#include <functional>

class QFileDialog;
class QWidget;

// Option flags, with the platform's values.
enum : DWORD {
  OFN_READONLY = 0x1,
  OFN_OVERWRITEPROMPT = 0x2,
  OFN_HIDEREADONLY = 0x4,
  OFN_ENABLETEMPLATE = 0x40,
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
  // The proposed name; a path also chooses the folder.
  void SetFileName(const QString& fileName) { m_fileName = fileName; }

  // Builds the dialog and runs OnInitDialog without showing it; DoModal does
  // this first. FALSE when the child template is missing.
  BOOL Create();
  // IDOK or IDCANCEL.
  virtual int DoModal();

  // The chosen file after OK.
  QString GetPathName() const { return m_pathName; }
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
  // (GetSelectedPath gives it); TRUE keeps the dialog open.
  virtual BOOL OnFileNameOK() { return FALSE; }

 private:
  class Window;
  friend class Window;
  // The checks of the platform's dialog; true when `path` may be chosen.
  bool acceptName(const QString& path);

  BOOL m_open;
  DWORD m_flags;
  QString m_defaultExt;
  QString m_fileName;
  QString m_filter;
  QString m_title;
  QString m_okText;
  QString m_initialDirectory;
  QString m_pathName;
  UINT m_templateId = 0;
  QWidget* m_parent;
  QFileDialog* m_dialog = nullptr;
  QWidget* m_child = nullptr;
};
