#include "app/MainFrameFunctions.h"
#include "app/MenuPopups.h"
#include "app/QXDoc.h"
#include "app/QXSendableItems.h"
#include "charset/CalcCharset.h"
#include "classlib/MenuHelpers.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXProgramItem.h"
#include "pages/QXDescriptionPage.h"
#include "pages/QXPasswordPages.h"
#include "pages/QXProgramFile.h"
#include "pages/QXProgramPages.h"
#include "platform/CmdUI.h"
#include "platform/FileDialog.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/PropertySheet.h"
#include "platform/RuntimeClass.h"
#include "tokens/SmallHelpers.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>

#include <cstring>
#include <vector>

namespace {

constexpr UINT kMsgNameMissing = 10569;
constexpr UINT kMsgNameTaken = 10568;
constexpr UINT kPasswordMenuText = 10047;
constexpr DWORD kTextFilterIndex = 3;

// The filter the user chose last for an import, kept for the run.
DWORD importFilterIndex = 1;

CQXProgramItem* programOf(CQXDocEntry* entry) {
  return entry ? dynamic_cast<CQXProgramItem*>(entry->GetItem()) : nullptr;
}

QString filterOf(std::initializer_list<UINT> ids) {
  std::vector<UINT> list(ids);
  list.push_back(0);
  QString filter;
  BuildFileDialogFilter(list.data(), &filter);
  return filter;
}

}  // namespace

// ---------------------------------------------------------------- page

const CMessageMap& CQXProgramDataPage::messageMap() {
  using P = CQXProgramDataPage;
  static const CMessageMap map = MessageMapOf<P>(CQXProgramCtrlDataPage::messageMap())
                                     .command(kPasswordButton, &P::OnPasswordButton)
                                     .command(kBaseNCheck, &P::OnBaseN)
                                     .command(kCmdProgramImport, &P::OnImport)
                                     .updateUI(kCmdProgramImport, &P::OnUpdateFileCommand)
                                     .command(kCmdProgramExport, &P::OnExport)
                                     .updateUI(kCmdProgramExport, &P::OnUpdateFileCommand);
  return map;
}

CQXProgramDataPage::CQXProgramDataPage() : CQXProgramCtrlDataPage(kPageId) {}

CQXProgramDataPage::~CQXProgramDataPage() = default;

QCheckBox* CQXProgramDataPage::GetBaseNCheck() const { return GetDlgItemAs<QCheckBox>(kBaseNCheck); }

BOOL CQXProgramDataPage::OnInitDialog() {
  CQXProgramCtrlDataPage::OnInitDialog();
  if (!IsPageCreated()) return FALSE;
  std::unique_ptr<CQXDocEntry> entry;
  if (GetCurrentItem(&entry)) LoadFromItem(entry.get());
  initialised_ = 1;
  return FALSE;
}

BOOL CQXProgramDataPage::LoadFromItem(CQXDocEntry* entry) {
  QCheckBox* baseN = GetBaseNCheck();
  if (CQXProgramItem* program = programOf(entry)) {
    if (!ReadProgramFromItem(program)) return FALSE;
    if (baseN) baseN->setChecked(program->IsBaseN());
    return TRUE;
  }
  if (GetEditor()) GetEditor()->ClearTokens();
  SetNameBox({});
  return TRUE;
}

BOOL CQXProgramDataPage::StoreToItem(CQXDocEntry* entry) {
  CQXProgramItem* program = programOf(entry);
  if (!program || !WriteProgramToItem(program)) return FALSE;
  const QCheckBox* baseN = GetBaseNCheck();
  program->SetBaseN(baseN && baseN->isChecked());
  return TRUE;
}

BOOL CQXProgramDataPage::Validate(TreeItemInfo* info) {
  if (!GetNameEdit()) return TRUE;
  const std::string name = NameFromBox();
  if (name.empty()) return refuseName(kMsgNameMissing);
  auto* doc = dynamic_cast<CQXDoc*>(document);
  if (!info || !doc) return TRUE;
  const std::string path = info->path;
  const size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return TRUE;
  const std::string folder = path.substr(0, slash), own = path.substr(slash + 1);
  for (const OrvoNodeInfo& child : ChildNodes(doc->GetItemStore(), folder.c_str())) {
    if ((child.flags & kNodeFolder) || own == child.path) continue;
    if (name == child.description) return refuseName(kMsgNameTaken);
  }
  return TRUE;
}

BOOL CQXProgramDataPage::refuseName(UINT message) {
  AfxMessageBox(message, MB_ICONEXCLAMATION);
  if (CPropertySheet* sheet = GetSheet(); sheet && sheet->GetActivePage() != this) sheet->SetActivePage(this);
  if (QLineEdit* name = GetNameEdit()) name->setFocus();
  SwitchToPane(1);
  return FALSE;
}

void CQXProgramDataPage::OnPasswordButton() {
  CPropertySheet* sheet = GetSheet();
  if (!sheet) return;
  for (int i = 0; i < sheet->GetPageCount(); ++i) {
    auto* page = dynamic_cast<CQXDataPage*>(sheet->GetPage(i));
    if (page && page->GetPageId() == CQXModifyPasswordPage::kPageId) sheet->SetActivePage(i);
  }
}

void CQXProgramDataPage::OnBaseN() { SetModified(TRUE); }

void CQXProgramDataPage::OnUpdateFileCommand(CCmdUI* ui) { ui->Enable(IsActivePage()); }

void CQXProgramDataPage::OnImport() {
  CFileDialog dialog(TRUE, QStringLiteral("cas"), {}, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                     filterOf({10605, 10606, 10620}), this);
  dialog.SetFilterIndex(importFilterIndex);
  if (dialog.DoModal() != IDOK) return;
  importFilterIndex = dialog.GetFilterIndex();
  ReadProgramFile(QFile::encodeName(dialog.GetPathName()).constData());
}

void CQXProgramDataPage::OnExport() {
  CFileDialog dialog(FALSE, QStringLiteral("cas"), {}, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
                     filterOf({10605, 10606, 10604, 10620}), this);
  if (dialog.DoModal() != IDOK) return;
  // The chosen filter decides the form, whatever the name's extension.
  const QByteArray path = QFile::encodeName(dialog.GetPathName());
  if (dialog.GetFilterIndex() == kTextFilterIndex) WriteProgramText(path.constData());
  else WriteProgramFile(path.constData());
}

BOOL CQXProgramDataPage::WriteProgramFile(const char* path) {
  CQXProgramItem program;
  if (!WriteProgramToItem(&program)) return FALSE;
  const QCheckBox* baseN = GetBaseNCheck();
  program.SetBaseN(baseN && baseN->isChecked());
  return ::WriteProgramFile(path, program);
}

BOOL CQXProgramDataPage::WriteProgramText(const char* path) {
  CQXProgramTokenEditor* editor = GetEditor();
  if (!editor) return FALSE;
  QByteArray text(editor->GetTokensLength(kTokenFormatText), '\0');
  int length = 0;
  editor->GetTokens(reinterpret_cast<BYTE*>(text.data()), int(text.size()), &length, kTokenFormatText);
  text.truncate(length);
  // A text file for other programs: what the calculator shows, in UTF-8.
  return ::WriteProgramText(path, CalcPlainText({text.constData(), size_t(length)}).toUtf8());
}

BOOL CQXProgramDataPage::ReadProgramFile(const char* path) {
  CQXProgramItem program;
  if (!::ReadProgramFile(path, &program)) return FALSE;
  ReadProgramFromItem(&program);
  if (QCheckBox* baseN = GetBaseNCheck()) baseN->setChecked(program.IsBaseN());
  SetModified(TRUE);
  return TRUE;
}

// ---------------------------------------------------------------- view

const CMessageMap& CQXProgramDataView::messageMap() {
  using V = CQXProgramDataView;
  static const CMessageMap map = MessageMapOf<V>(CQXDataPageView::messageMap())
                                     .command(kCmdUnlockProgram, &V::OnUnlock)
                                     .updateUI(kCmdUnlockProgram, &V::OnUpdateUnlock)
                                     .command(kCmdShowPasswordPage, &V::OnShowPasswordPage)
                                     .updateUI(kCmdShowPasswordPage, &V::OnUpdateShowPasswordPage);
  return map;
}

CQXProgramDataView::CQXProgramDataView(QWidget* parent) : CQXDataPageView(parent) {
  mainPageId = CQXProgramDataPage::kPageId;
  mainPageMenuText = 10023;
}

CQXProgramDataView::~CQXProgramDataView() = default;

void CQXProgramDataView::addUnlockedPages() {
  AddPage(new CQXProgramDataPage);
  AddPage(new CQXModifyPasswordPage);
  AddPage(new CQXDescriptionPage);
}

BOOL CQXProgramDataView::CreatePages() {
  std::unique_ptr<CQXDocEntry> entry;
  if (!GetSelectedDocItem(&entry, nullptr) || !entry) return TRUE;
  const CQXProgramItem* program = programOf(entry.get());
  if (program && program->HasPassword()) AddPage(new CQXEnterPasswortPage);
  else addUnlockedPages();
  return TRUE;
}

BOOL CQXProgramDataView::IsLocked() const { return FindPageIndex(CQXEnterPasswortPage::kPageId) >= 0; }

void CQXProgramDataView::OnUnlock() {
  // The command comes through the enter-password page (the sheet offers it
  // to its active page first): the page goes once that route is left.
  QMetaObject::invokeMethod(this, &CQXProgramDataView::unlockNow, Qt::QueuedConnection);
}

void CQXProgramDataView::unlockNow() {
  const int index = FindPageIndex(CQXEnterPasswortPage::kPageId);
  CQXContentSheet* sheet = GetSheet();
  if (index < 0 || !sheet) return;
  // An unlock whose password another view's page checked (the user moved
  // on before it arrived) opens nothing here.
  auto* locked = dynamic_cast<CQXEnterPasswortPage*>(sheet->GetPage(index));
  if (!locked || !locked->IsPasswordChecked()) return;
  SetRedraw(FALSE);
  sheet->RemovePage(index);
  locked->deleteLater();
  addUnlockedPages();
  ShowPage(CQXModifyPasswordPage::kPageId);
  ShowPage(CQXProgramDataPage::kPageId);
  SetRedraw(TRUE);
  Invalidate();
  update();
}

void CQXProgramDataView::OnUpdateUnlock(CCmdUI* ui) { UpdatePageCommand(CQXEnterPasswortPage::kPageId, ui); }

void CQXProgramDataView::OnShowPasswordPage() { ShowPage(CQXModifyPasswordPage::kPageId); }

void CQXProgramDataView::OnUpdateShowPasswordPage(CCmdUI* ui) { UpdatePageCommand(CQXModifyPasswordPage::kPageId, ui); }

int CQXProgramDataView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CQXDataPageView::OnCreate(lpCreateStruct) == -1) return -1;
  if (CMenu* view = GetMenuPopupByKey(kPopupView)) {
    const int at = FindMenuCommand(view, kCmdShowDescription);
    if (at >= 0) passwordItemAdded_ = InsertMenuString(view, kPasswordMenuText, kCmdShowPasswordPage, UINT(at));
  }
  return 0;
}

void CQXProgramDataView::OnDestroy() {
  if (passwordItemAdded_) {
    if (CMenu* view = GetMenuPopupByKey(kPopupView)) RemoveMenuCommand(view, kCmdShowPasswordPage);
    passwordItemAdded_ = FALSE;
  }
  CQXDataPageView::OnDestroy();
}

void RegisterProgramPageClasses() {
  RegisterRuntimeClass(RUNTIME_CLASS(CQXProgramCtrlDataPage));
  RegisterRuntimeClass(RUNTIME_CLASS(CQXProgramDataPage));
  RegisterRuntimeClass(RUNTIME_CLASS(CQXProgramDataView));
  RegisterRuntimeClass(RUNTIME_CLASS(CQXEnterPasswortPage));
  RegisterRuntimeClass(RUNTIME_CLASS(CQXModifyPasswordPage));
}
