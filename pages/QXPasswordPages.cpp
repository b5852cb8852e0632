#include "pages/QXPasswordPages.h"

#include "app/QXAppMessages.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXProgramItem.h"
#include "platform/CalcTextEdit.h"
#include "platform/MessageBox.h"
#include "platform/PropertySheet.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

constexpr int kMaxPassword = 8;
constexpr UINT kMsgWrongPassword = 10502;
constexpr UINT kMsgPasswordsDiffer = 10503;
constexpr UINT kMsgPasswordTooLong = 10504;
constexpr UINT kMsgPasswordAccepted = 10154;
constexpr UINT kMsgPasswordCleared = 10156;

CQXProgramItem* programOf(CQXDocEntry* entry) {
  return entry ? dynamic_cast<CQXProgramItem*>(entry->GetItem()) : nullptr;
}

std::string passwordOf(const CQXProgramItem& program) {
  char buffer[kMaxPassword + 1] = {};
  if (!program.GetPassword(buffer, sizeof buffer)) return {};
  return buffer;
}

// Loads the page from a private copy of the selected entry.
void loadCurrentItem(CQXDataPage* page) {
  std::unique_ptr<CQXDocEntry> entry;
  if (page->GetCurrentItem(&entry)) page->LoadFromItem(entry.get());
}

}  // namespace

void PreparePasswordEdit(QLineEdit* edit) {
  if (!edit) return;
  // No length limit: a box that dropped the ninth character would set or
  // compare another password than the one typed.
  MakeCalcTextEdit(edit);
}

// ---------------------------------------------------------------- enter

const CMessageMap& CQXEnterPasswortPage::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXEnterPasswortPage>(CQXStandardMenuPage::messageMap())
                                     .command(kUnlockButton, &CQXEnterPasswortPage::OnUnlock);
  return map;
}

CQXEnterPasswortPage::CQXEnterPasswortPage() : CQXStandardMenuPage(kPageId) {}

CQXEnterPasswortPage::~CQXEnterPasswortPage() = default;

BOOL CQXEnterPasswortPage::OnInitDialog() {
  CQXStandardMenuPage::OnInitDialog();
  passwordEdit_ = GetDlgItemAs<QLineEdit>(kPasswordEdit);
  PreparePasswordEdit(passwordEdit_);
  loadCurrentItem(this);
  initialised_ = 1;
  return TRUE;
}

BOOL CQXEnterPasswortPage::LoadFromItem(CQXDocEntry* entry) {
  if (CQXProgramItem* program = programOf(entry)) password_ = passwordOf(*program);
  return TRUE;
}

BOOL CQXEnterPasswortPage::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && passwordEdit_ && passwordEdit_->hasFocus()) {
    PostMessage(WM_COMMAND, kUnlockButton);
    return TRUE;
  }
  return CQXStandardMenuPage::PreTranslateMessage(msg);
}

void CQXEnterPasswortPage::OnUnlock() {
  if (GetCalcEditCodes(passwordEdit_) != password_) {
    AfxMessageBox(kMsgWrongPassword, MB_ICONINFORMATION);
    return;
  }
  checked_ = TRUE;
  if (mainFrame) mainFrame->PostMessage(WM_COMMAND, kCmdUnlockProgram);
  if (CPropertySheet* sheet = GetSheet()) sheet->PostMessage(kSheetMsgResizeActivePage);
}

// ---------------------------------------------------------------- modify

const CMessageMap& CQXModifyPasswordPage::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXModifyPasswordPage>(CQXStandardMenuPage::messageMap())
                                     .command(kSetButton, &CQXModifyPasswordPage::OnSet)
                                     .command(kClearButton, &CQXModifyPasswordPage::OnClear);
  return map;
}

CQXModifyPasswordPage::CQXModifyPasswordPage() : CQXStandardMenuPage(kPageId) {}

CQXModifyPasswordPage::~CQXModifyPasswordPage() = default;

BOOL CQXModifyPasswordPage::OnInitDialog() {
  CQXStandardMenuPage::OnInitDialog();
  newEdit_ = GetDlgItemAs<QLineEdit>(kNewEdit);
  repeatEdit_ = GetDlgItemAs<QLineEdit>(kRepeatEdit);
  PreparePasswordEdit(newEdit_);
  PreparePasswordEdit(repeatEdit_);
  loadCurrentItem(this);
  return TRUE;
}

BOOL CQXModifyPasswordPage::LoadFromItem(CQXDocEntry* entry) {
  if (CQXProgramItem* program = programOf(entry)) password_ = passwordOf(*program);
  modified_ = 0;
  return TRUE;
}

BOOL CQXModifyPasswordPage::StoreToItem(CQXDocEntry* entry) {
  if (CQXProgramItem* program = programOf(entry)) program->SetPassword(password_.c_str());
  return TRUE;
}

void CQXModifyPasswordPage::OnSet() {
  const std::string typed = GetCalcEditCodes(newEdit_);
  if (typed != GetCalcEditCodes(repeatEdit_)) {
    AfxMessageBox(kMsgPasswordsDiffer, MB_ICONINFORMATION);
    return;
  }
  // The program's field holds 8 bytes: a longer password is refused, with
  // the reason, and the program keeps the one it has.
  if (typed.size() > size_t(kMaxPassword)) {
    AfxMessageBox(kMsgPasswordTooLong, MB_ICONEXCLAMATION);
    return;
  }
  password_ = typed;
  modified_ = 1;
  AfxMessageBox(kMsgPasswordAccepted, MB_ICONINFORMATION);
}

void CQXModifyPasswordPage::OnClear() {
  if (newEdit_) newEdit_->clear();
  if (repeatEdit_) repeatEdit_->clear();
  password_.clear();
  modified_ = 1;
  AfxMessageBox(kMsgPasswordCleared, MB_ICONINFORMATION);
}
