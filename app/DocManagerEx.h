// CDocManagerEx: the program's document manager. Its file dialog offers the
// open or the save string of a CQXSingleDocTemplate (several extensions in
// one filter, CMultiExtFilterFileDialog), and it makes the document types
// known to the desktop: a MIME type with one glob per extension, and a
// desktop entry that opens (and, fully registered, prints) the files with
// this program.
#pragma once

#include "platform/DocManager.h"

class CDocManagerEx : public CDocManager {
  Q_OBJECT

 public:
  CDocManagerEx();
  ~CDocManagerEx() override;

  // For each template with a file-type id (field 5), in the user's part of
  // the desktop's database ($XDG_DATA_HOME):
  // - mime/packages/<id>.xml: the MIME type "application/x-<id in lower
  //   case, '.' as '-'>", its comment field 6 (else the id), a glob per
  //   extension of field 4 that no other MIME type owns;
  // - applications/<id up to its first '.'>.desktop: Name field 0, Exec the
  //   program with the file; `full` adds the program's icon (written beside
  //   the user's icons) and a print action (the program with /p).
  // A file is written only when its content changes; a failed write ends
  // that template's registration. update-mime-database then runs without
  // being waited for.
  void RegisterShellFileTypes(BOOL full) override;
  // Removes exactly those files again.
  void UnregisterShellFileTypes() override;

 protected:
  BOOL GetFilterFields(CDocTemplate* docTemplate, BOOL openFileDialog, QString* name, QString* extensions) override;
  std::unique_ptr<CFileDialog> CreateFileDialog(BOOL openFileDialog, DWORD flags) override;
};

// Removes the file at `relativePath` below the user's part of the desktop's
// database; the folders stay (others share them). TRUE when it is gone.
BOOL UnregisterShellKey(const QString& relativePath);
