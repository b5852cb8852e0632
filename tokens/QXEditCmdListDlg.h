// CQXEditCmdListDlg (dialog 551): the commands of a command table, one row
// each ("table number", characters, list text, description; the row's data
// is the command value), with New, Edit (also a double click), Delete and
// the import and export of command-list text files (CommandTextForms.h).
// The dialog edits the table it is given; its caller hands it a copy and
// keeps that only after OK. Rows first come in the table's order; later ones
// go where their (table, number) pair sorts, a known pair is updated in
// place.
#pragma once

#include "classlib/OrvoHelpDialog.h"
#include "tokens/QXCommandTable.h"

#include <QFont>

class COrvoListCtrl;

class CQXEditCmdListDlg : public COrvoHelpDialog {
  Q_OBJECT

 public:
  static constexpr UINT kTemplateId = 551;

  CQXEditCmdListDlg(CQXCommandTable* table, QWidget* parent = nullptr);
  ~CQXEditCmdListDlg() override;
  DECLARE_MESSAGE_MAP()

  BOOL OnInitDialog() override;
  void OnOK() override;

  // The font of the characters (the caller's); the application's when not set.
  QFont m_font;
  bool m_fontSet = false;
  // After OK: the value of the selected command, 0 when none.
  DWORD m_selectedValue = 0;

  COrvoListCtrl* GetList() const { return list_; }
  // Adds every command line of the file to the table and the list; lines
  // that do not read, or that the table refuses, are skipped. FALSE with
  // message 61697 when the file cannot be opened, 10572 on a read error
  // (what was read stays), 61706 when memory runs out.
  BOOL ImportCommandList(const char* path);
  // Writes every command, one line each ("Edit Cmd List"/"Cmd Export
  // Numerical", "Cmd Hex Values"). FALSE with message 10570 when the file
  // cannot be created, 10571 on a write error; the file that was there then
  // stays as it was.
  BOOL ExportCommandList(const char* path);

 protected:
  void OnDestroy() override;

 private:
  void OnNew();
  void OnEdit();
  void OnDelete();
  void OnImport();
  void OnExport();
  void OnDblClk(NMHDR* header, LRESULT* result);

  int rowOf(int table, int number) const;
  // Inserts or updates the command's row in order; the row.
  int showCommand(int table, int number);
  void setRowTexts(int row, int table, int number, const CQXCommandTable::Entry& entry);
  void selectRow(int row);
  bool readRow(int row, QXCOMMANDINFO* info) const;

  CQXCommandTable* table_;
  COrvoListCtrl* list_ = nullptr;
};
