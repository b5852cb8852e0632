// CMultiExtFilterFileDialog: the file dialog for filters that list several
// extensions ("*.qxd;*.qxi"). An open dialog for one file without a default
// extension takes a typed name without extension as the first existing
// name + extension of the selected filter; a missing name with an extension
// is refused without a message; a missing name without one gets the
// dialog's own "file not found" message when the file must exist.
#pragma once

#include "platform/FileDialog.h"

class CMultiExtFilterFileDialog : public CFileDialog {
  Q_OBJECT

 public:
  explicit CMultiExtFilterFileDialog(BOOL openFileDialog, const QString& defaultExt = {},
                                     const QString& fileName = {},
                                     DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                     const QString& filter = {}, QWidget* parent = nullptr);
  ~CMultiExtFilterFileDialog() override;

  int DoModal() override;

 protected:
  BOOL OnFileNameOK() override;

 private:
  // An open dialog for one file without a default extension.
  bool triesExtensions() const;

  // OFN_FILEMUSTEXIST as the caller asked for it; the dialog runs without it.
  BOOL m_bFileMustExist = FALSE;
};
