#include "tokens/QXEditMacroListDlg.h"

#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/FileDialog.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "services/DocServices.h"
#include "tokens/EditorFonts.h"
#include "tokens/MacroFile.h"
#include "tokens/MacroListCtrl.h"
#include "tokens/QXEditMacroDlg.h"

#include <QFile>
#include <QLineEdit>

using tallix::settings::kEditMacroList;

namespace {

constexpr int kList = 1080, kFileEdit = 1089;
constexpr UINT kNewButton = 1084, kEditButton = 1085, kDeleteButton = 1086, kOpenButton = 1090, kSaveAsButton = 1091;
constexpr UINT kMacroFilter = 10610;
constexpr UINT kMsgSaveChanges = 61699;
constexpr char kLastSelected[] = "Last Selected Macro";

// The font is asked for once per run in this dialog.
bool& fontAsked() {
  static bool asked = false;
  return asked;
}

}  // namespace

const CMessageMap& CQXEditMacroListDlg::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXEditMacroListDlg>(COrvoHelpDialog::messageMap())
                                     .command(kNewButton, &CQXEditMacroListDlg::OnNew)
                                     .command(kEditButton, &CQXEditMacroListDlg::OnEdit)
                                     .command(kDeleteButton, &CQXEditMacroListDlg::OnDelete)
                                     .command(kOpenButton, &CQXEditMacroListDlg::OnOpen)
                                     .command(kSaveAsButton, &CQXEditMacroListDlg::OnSaveAs)
                                     .notify(NM_DBLCLK, kList, &CQXEditMacroListDlg::OnDblClk);
  return map;
}

CQXEditMacroListDlg::CQXEditMacroListDlg(CQXDocServices* document, QWidget* parent)
    : COrvoHelpDialog(kTemplateId, parent), document_(document) {
  CQXMacroListCtrl::RegisterMacroListClass();
}

CQXEditMacroListDlg::~CQXEditMacroListDlg() { DestroyWindow(); }

BOOL CQXEditMacroListDlg::OnInitDialog() {
  COrvoHelpDialog::OnInitDialog();
  list_ = GetDlgItemAs<CQXMacroListCtrl>(kList);
  fileEdit_ = GetDlgItemAs<QLineEdit>(kFileEdit);
  if (!list_ || !document_) return TRUE;
  LoadProgramEditorFont(&font_, fontAsked());
  FillTokenTextMap(document_->GetTokenTable(), &textMap_);
  list_->contextMenuId = 0;
  // The shipped file is read until the user's own copy exists; what is
  // written always goes to the user's.
  setFileName(MacroFilePath(true));
  ReadMacroFile(list_, MacroFilePath(false).c_str());
  std::string last;
  AppGetProfileString(&last, kEditMacroList, kLastSelected, "");
  int row = 0;
  for (int i = 0; i < list_->GetItemCount(); ++i)
    if (list_->GetMacro(i).name == last) row = i;
  selectRow(row);
  return TRUE;
}

void CQXEditMacroListDlg::setFileName(const std::string& name) {
  fileName_ = name;
  if (fileEdit_) fileEdit_->setText(QFile::decodeName(name.c_str()));
}

void CQXEditMacroListDlg::selectRow(int row) {
  list_->SetItemState(-1, 0, LVIS_SELECTED);
  if (row < 0 || row >= list_->GetItemCount()) return;
  list_->SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  list_->EnsureVisible(row, FALSE);
}

int CQXEditMacroListDlg::runEditor(int row) {
  CQXEditMacroDlg editor(this, &font_, document_, list_, &textMap_);
  if (row >= 0) {
    const CQXMacro macro = list_->GetMacro(row);
    editor.m_name = macro.name;
    editor.m_description = macro.description;
    if (macro.record) editor.m_bytes = macro.record->bytes;
  }
  if (editor.DoModal() != IDOK) return -1;
  if (row >= 0) list_->DeleteMacro(row, TRUE);
  const std::vector<BYTE>& bytes = editor.GetResult();
  const int added = list_->AddMacro(int(bytes.size()), bytes.data(), editor.m_name.c_str(),
                                    editor.m_description.c_str(), TRUE);
  modified_ = TRUE;
  if (added >= 0) list_->EnsureVisible(added, FALSE);
  return added;
}

void CQXEditMacroListDlg::OnNew() {
  if (list_) runEditor(-1);
}

void CQXEditMacroListDlg::OnEdit() {
  const int row = list_ ? GetFirstSelectedItem(list_) : -1;
  if (row >= 0) runEditor(row);
}

void CQXEditMacroListDlg::OnDblClk(NMHDR*, LRESULT* result) {
  *result = 0;
  OnEdit();
}

void CQXEditMacroListDlg::OnDelete() {
  const int row = list_ ? GetFirstSelectedItem(list_) : -1;
  if (row < 0) return;
  list_->DeleteMacro(row, TRUE);
  modified_ = TRUE;
  selectRow(row < list_->GetItemCount() ? row : row - 1);
}

QString CQXEditMacroListDlg::chooseFile(BOOL open) {
  // The filter's second field names the extension: "*.qxc" gives "qxc".
  const QString filter = CLanguageLibrary::LoadString(kMacroFilter);
  const QString pattern = filter.section(QLatin1Char('|'), 1, 1);
  const QString extension = pattern.mid(pattern.indexOf(QLatin1Char('.')) + 1, 3);
  CFileDialog dialog(open, extension, QFile::decodeName(fileName_.c_str()),
                     OFN_HIDEREADONLY | (open ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT), filter + QLatin1Char('|'),
                     this);
  return dialog.DoModal() == IDOK ? dialog.GetPathName() : QString();
}

void CQXEditMacroListDlg::OnOpen() {
  if (!list_) return;
  if (modified_) {
    const int answer = AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgSaveChanges, QFile::decodeName(fileName_.c_str())),
                                     MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return;
    // Edits the user wanted kept and could not be saved stay in the list.
    if (answer == IDYES && !(fileName_.empty() ? saveAs() : saveTo(fileName_))) return;
  }
  const QString chosen = chooseFile(TRUE);
  if (chosen.isEmpty()) return;
  const std::string path = QFile::encodeName(chosen).toStdString();
  if (!ReadMacroFile(list_, path.c_str())) return;
  setFileName(path);
  modified_ = FALSE;
  selectRow(0);
}

void CQXEditMacroListDlg::OnSaveAs() {
  if (list_) saveAs();
}

bool CQXEditMacroListDlg::saveAs() {
  const QString chosen = chooseFile(FALSE);
  return !chosen.isEmpty() && saveTo(QFile::encodeName(chosen).toStdString());
}

bool CQXEditMacroListDlg::saveTo(const std::string& path) {
  if (!WriteMacroFile(list_, path.c_str())) return false;
  setFileName(path);
  modified_ = FALSE;
  return true;
}

void CQXEditMacroListDlg::OnOK() {
  if (list_) {
    // A list that could not be written stays open, so that the user can
    // save it elsewhere rather than lose it.
    if (!WriteMacroFile(list_, fileName_.c_str())) return;
    const int row = GetFirstSelectedItem(list_);
    if (row >= 0)
      AppWriteProfileString(kEditMacroList, kLastSelected, list_->GetMacro(row).name.substr(0, kMacroNameMax).c_str());
    AppWriteProfileString(kEditMacroList, "Macro File", fileName_.c_str());
  }
  COrvoHelpDialog::OnOK();
}
