// CQXEditMacroListDlg (dialog 645): the macros of the macro file in use
// ("Edit Macro List"/"Macro File", else "qxlmacro.qxc"), with New, Edit
// (also a double click) and Delete, which run the macro editor (dialog
// 646), and Open and Save As for other macro files. OK writes the rows to
// the file and keeps its name and the selected macro in the profile (a
// failed write keeps the dialog open); Cancel touches neither file nor
// profile. Open after a change the user chose to save, when the save fails
// or is cancelled, opens nothing.
#pragma once

#include "classlib/OrvoHelpDialog.h"
#include "platform/DC.h"
#include "tokens/QXTokenTextMap.h"

#include <string>

class CQXDocServices;
class CQXMacroListCtrl;
class QLineEdit;

class CQXEditMacroListDlg : public COrvoHelpDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 645;

  CQXEditMacroListDlg(CQXDocServices* document, QWidget* parent = nullptr);
  ~CQXEditMacroListDlg() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;
  void OnOK() override;

  CQXMacroListCtrl* GetList() const { return list_; }
  const std::string& GetFileName() const { return fileName_; }
  BOOL IsModified() const { return modified_; }

 private:
  void OnNew();
  void OnEdit();
  void OnDelete();
  void OnOpen();
  void OnSaveAs();
  void OnDblClk(NMHDR* header, LRESULT* result);
  // Runs the editor on `row` (-1: a new macro); the row of the result.
  int runEditor(int row);
  void selectRow(int row);
  void setFileName(const std::string& name);
  // Write the rows (to a file the user chooses, or to `path`), which then
  // becomes the file in use; false when nothing was written.
  bool saveAs();
  bool saveTo(const std::string& path);
  QString chooseFile(BOOL open);

  CQXDocServices* document_;
  CFont font_;
  BOOL modified_ = FALSE;
  CQXTokenTextMap textMap_;
  std::string fileName_;
  QLineEdit* fileEdit_ = nullptr;
  CQXMacroListCtrl* list_ = nullptr;
};
