#include "tokens/QXEditCmdListDlg.h"

#include "charset/Cp1252.h"
#include "classlib/ListHelpers.h"
#include "classlib/OrvoListCtrl.h"
#include "classlib/OrvoTextArchive.h"
#include "classlib/SettingsTable.h"
#include "platform/CalcShownText.h"
#include "platform/FileDialog.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/WaitCursor.h"
#include "tokens/CommandTextForms.h"
#include "tokens/QXEditCmdDlg.h"

#include <QFile>
#include <QTreeView>

#include <new>

using tallix::settings::kEditCmdList;

namespace {

constexpr int kList = 1010;
constexpr UINT kNewButton = 1004, kEditButton = 1030, kDeleteButton = 1005, kImportButton = 1001,
               kExportButton = 1002;
constexpr UINT kColumnCaptions[] = {10203, 10204, 10202, 10201};
constexpr int kColumnWidths[] = {6, 10, 10, 80};
const ListColumnSetup kColumns{4, kColumnCaptions, kColumnWidths, kEditCmdList, "Column Width 2"};
constexpr UINT kTextFilter = 10603;
constexpr UINT kMsgOpenFailed = 61697, kMsgCreateFailed = 10570, kMsgWriteFailed = 10571, kMsgReadFailed = 10572,
               kMsgOutOfMemory = 61706;
constexpr UINT kLineBufferSize = 4096;

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

const CMessageMap& CQXEditCmdListDlg::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXEditCmdListDlg>(COrvoHelpDialog::messageMap())
                                     .command(kNewButton, &CQXEditCmdListDlg::OnNew)
                                     .command(kEditButton, &CQXEditCmdListDlg::OnEdit)
                                     .command(kDeleteButton, &CQXEditCmdListDlg::OnDelete)
                                     .command(kImportButton, &CQXEditCmdListDlg::OnImport)
                                     .command(kExportButton, &CQXEditCmdListDlg::OnExport)
                                     .notify(NM_DBLCLK, kList, &CQXEditCmdListDlg::OnDblClk);
  return map;
}

CQXEditCmdListDlg::CQXEditCmdListDlg(CQXCommandTable* table, QWidget* parent)
    : COrvoHelpDialog(kTemplateId, parent), table_(table) {
  COrvoListCtrl::RegisterListClass();
}

CQXEditCmdListDlg::~CQXEditCmdListDlg() { DestroyWindow(); }

BOOL CQXEditCmdListDlg::OnInitDialog() {
  COrvoHelpDialog::OnInitDialog();
  list_ = GetDlgItemAs<COrvoListCtrl>(kList);
  if (!list_ || !table_) return TRUE;
  list_->ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
  list_->SetExtendedStyle(list_->GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  if (m_fontSet) list_->setFont(m_font);
  InitListColumns(list_->GetReportView(), &kColumns);
  DWORD position = 0;
  for (BOOL more = table_->GetFirstCommand(&position); more; more = table_->GetNextCommand(&position)) {
    QXCOMMANDINFO info;
    const CQXCommandTable::Entry* entry =
        table_->GetCommandInfo(position, &info) ? table_->FindCommand(info.table, info.number) : nullptr;
    if (!entry) continue;
    const int row = list_->InsertItem(LVIF_TEXT | LVIF_PARAM, list_->GetItemCount(), QString(), 0, 0, -1,
                                      LPARAM(MakeCommandValue(info.table, info.number)));
    if (row >= 0) setRowTexts(row, info.table, info.number, *entry);
  }
  const bool exports = tallix::settings::readInt(kEditCmdList, "Cmd List Export") != 0;
  if (QWidget* button = GetDlgItem(int(kExportButton))) {
    button->setVisible(exports);
    button->setEnabled(exports);
  }
  if (list_->GetItemCount() > 0) selectRow(0);
  return TRUE;
}

void CQXEditCmdListDlg::OnDestroy() {
  if (list_) SaveListColumnWidths(list_->GetReportView(), &kColumns);
  COrvoHelpDialog::OnDestroy();
}

void CQXEditCmdListDlg::OnOK() {
  const int row = list_ ? GetFirstSelectedItem(list_) : -1;
  m_selectedValue = row >= 0 ? DWORD(list_->GetItemData(row)) : 0;
  COrvoHelpDialog::OnOK();
}

int CQXEditCmdListDlg::rowOf(int table, int number) const {
  const DWORD value = MakeCommandValue(table, number);
  for (int row = 0; row < list_->GetItemCount(); ++row)
    if (DWORD(list_->GetItemData(row)) == value) return row;
  return -1;
}

int CQXEditCmdListDlg::showCommand(int table, int number) {
  const CQXCommandTable::Entry* entry = table_->FindCommand(table, number);
  if (!entry) return -1;
  int row = rowOf(table, number);
  if (row < 0) {
    // Before the first row whose pair sorts after the new one.
    row = 0;
    const long key = long(table) << 8 | number;
    for (; row < list_->GetItemCount(); ++row) {
      const DWORD value = DWORD(list_->GetItemData(row));
      if ((long(CommandValueTable(value)) << 8 | CommandValueNumber(value)) > key) break;
    }
    row = list_->InsertItem(LVIF_TEXT | LVIF_PARAM, row, QString(), 0, 0, -1, LPARAM(MakeCommandValue(table, number)));
    if (row < 0) return -1;
  }
  setRowTexts(row, table, number, *entry);
  return row;
}

void CQXEditCmdListDlg::setRowTexts(int row, int table, int number, const CQXCommandTable::Entry& entry) {
  list_->SetItemText(row, 0, QStringLiteral("%1 %2").arg(table).arg(number));
  list_->SetItemText(row, 1, CalcDisplayText(entry.characters, list_->font()));
  list_->SetItemText(row, 2, tallix::fromCp1252(entry.listText));
  list_->SetItemText(row, 3, tallix::fromCp1252(entry.description));
}

void CQXEditCmdListDlg::selectRow(int row) {
  if (row < 0 || row >= list_->GetItemCount()) return;
  list_->SetItemState(-1, 0, LVIS_SELECTED);
  list_->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  list_->EnsureVisible(row, FALSE);
}

bool CQXEditCmdListDlg::readRow(int row, QXCOMMANDINFO* info) const {
  if (row < 0) return false;
  const DWORD value = DWORD(list_->GetItemData(row));
  return table_->LookupCommand(CommandValueTable(value), CommandValueNumber(value), info);
}

void CQXEditCmdListDlg::OnNew() {
  if (!list_) return;
  CQXEditCmdDlg edit(this);
  edit.m_font = m_fontSet ? m_font : list_->font();
  edit.m_fontSet = true;
  if (edit.DoModal() != IDOK) return;
  const QXCOMMANDINFO& c = edit.m_command;
  if (!table_->SetCommandInfo(&c)) return;
  selectRow(showCommand(c.table, c.number));
}

void CQXEditCmdListDlg::OnEdit() {
  if (!list_) return;
  for (int row = GetFirstSelectedItem(list_); row >= 0;) {
    CQXEditCmdDlg edit(this);
    if (!readRow(row, &edit.m_command)) return;
    edit.m_font = m_fontSet ? m_font : list_->font();
    edit.m_fontSet = true;
    const int oldTable = edit.m_command.table, oldNumber = edit.m_command.number;
    if (edit.DoModal() != IDOK) return;
    const QXCOMMANDINFO& c = edit.m_command;
    if (c.table != oldTable || c.number != oldNumber) {
      table_->RemoveCommand(oldTable, oldNumber);
      list_->DeleteItem(row);
    }
    if (!table_->SetCommandInfo(&c) || (row = showCommand(c.table, c.number)) < 0) return;
    selectRow(row);
    if (edit.m_navigation == CQXEditCmdDlg::kNextButton && row + 1 < list_->GetItemCount())
      ++row;
    else if (edit.m_navigation == CQXEditCmdDlg::kPreviousButton && row > 0)
      --row;
    else
      return;
    selectRow(row);
  }
}

void CQXEditCmdListDlg::OnDblClk(NMHDR*, LRESULT* result) {
  *result = 0;
  OnEdit();
}

void CQXEditCmdListDlg::OnDelete() {
  if (!list_) return;
  const int row = GetFirstSelectedItem(list_);
  if (row < 0) return;
  const DWORD value = DWORD(list_->GetItemData(row));
  table_->RemoveCommand(CommandValueTable(value), CommandValueNumber(value));
  list_->DeleteItem(row);
  selectRow(row > 0 ? row - 1 : 0);
}

void CQXEditCmdListDlg::OnImport() {
  CFileDialog dialog(TRUE, QStringLiteral("txt"), {}, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                     CLanguageLibrary::LoadString(kTextFilter), this);
  if (dialog.DoModal() != IDOK) return;
  ImportCommandList(localPath(dialog.GetPathName()).c_str());
}

void CQXEditCmdListDlg::OnExport() {
  CFileDialog dialog(FALSE, QStringLiteral("txt"), {}, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     CLanguageLibrary::LoadString(kTextFilter), this);
  if (dialog.DoModal() != IDOK) return;
  ExportCommandList(localPath(dialog.GetPathName()).c_str());
}

BOOL CQXEditCmdListDlg::ImportCommandList(const char* path) {
  CFile file;
  if (!path || !file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) {
    AfxMessageBox(kMsgOpenFailed, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  CWaitCursor wait;
  int last = -1;
  try {
    COrvoTextArchive ar(&file, CArchive::load, kLineBufferSize);
    // Lines are read whole: a line the export wrote may be longer than any
    // fixed buffer (numbers, doubled quotes).
    std::string line;
    while (ar.ReadLine(&line)) {
      QXCOMMANDINFO info;
      if (!ParseCommandListLine(line.c_str(), &info) || !table_->SetCommandInfo(&info)) continue;
      if (list_) last = showCommand(info.table, info.number);
    }
    file.Close();
  } catch (const CFileException&) {
    file.Abort();
    AfxMessageBox(kMsgReadFailed, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  } catch (const std::bad_alloc&) {
    file.Abort();
    AfxMessageBox(kMsgOutOfMemory, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  if (list_ && last >= 0) selectRow(last);
  return TRUE;
}

BOOL CQXEditCmdListDlg::ExportCommandList(const char* path) {
  CFile file;
  if (!path || !file.Open(path, CFile::modeCreate | CFile::modeWrite)) {
    AfxMessageBox(kMsgCreateFailed, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  const bool numerical = tallix::settings::readInt(kEditCmdList, "Cmd Export Numerical") != 0;
  const bool hex = tallix::settings::readInt(kEditCmdList, "Cmd Hex Values") != 0;
  CWaitCursor wait;
  try {
    COrvoTextArchive ar(&file, CArchive::store, kLineBufferSize);
    DWORD position = 0;
    for (BOOL more = table_->GetFirstCommand(&position); more; more = table_->GetNextCommand(&position)) {
      QXCOMMANDINFO info;
      if (table_->GetCommandInfo(position, &info)) ar.WriteLine(FormatCommandListLine(info, numerical, hex).c_str());
    }
    // Put in place only when everything was written: a failure keeps the
    // file that was there.
    file.Close();
  } catch (const CFileException&) {
    file.Abort();
    AfxMessageBox(kMsgWriteFailed, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  } catch (const std::bad_alloc&) {
    file.Abort();
    AfxMessageBox(kMsgOutOfMemory, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  return TRUE;
}
