#include "link/SendSelectionDialog.h"

#include "charset/CalcCharset.h"
#include "platform/MessageBox.h"

#include <QListWidget>

const CMessageMap& CQXSendSelectionDialog::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXSendSelectionDialog>(COrvoHelpDialog::messageMap())
                                     .command(IDC_TOGGLE, &CQXSendSelectionDialog::OnToggle)
                                     .command(IDC_ALL, &CQXSendSelectionDialog::OnAll)
                                     .command(IDC_NONE, &CQXSendSelectionDialog::OnNone);
  return map;
}

CQXSendSelectionDialog::CQXSendSelectionDialog(std::vector<std::string>* names, QWidget* parent)
    : COrvoHelpDialog(kTemplateId, parent), names_(names) {}

CQXSendSelectionDialog::~CQXSendSelectionDialog() = default;

QListWidget* CQXSendSelectionDialog::list() const { return GetDlgItemAs<QListWidget>(IDC_LIST); }

BOOL CQXSendSelectionDialog::OnInitDialog() {
  COrvoHelpDialog::OnInitDialog();
  QListWidget* box = list();
  if (box && names_) {
    for (const std::string& name : *names_) {
      auto* item = new QListWidgetItem(CalcPlainText(name), box);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
    }
    if (box->count() > 0) box->setCurrentRow(0);
  }
  if (QWidget* ok = GetDlgItem(IDOK)) ok->setEnabled(box && box->count() > 0);
  return TRUE;
}

void CQXSendSelectionDialog::OnToggle() {
  QListWidgetItem* item = list() ? list()->currentItem() : nullptr;
  if (item) item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void CQXSendSelectionDialog::checkAll(bool on) {
  if (QListWidget* box = list())
    for (int i = 0; i < box->count(); ++i) box->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void CQXSendSelectionDialog::OnAll() { checkAll(true); }
void CQXSendSelectionDialog::OnNone() { checkAll(false); }

void CQXSendSelectionDialog::OnOK() {
  QListWidget* box = list();
  if (!box || !names_) return;
  bool any = false;
  for (int i = 0; i < box->count(); ++i) any = any || box->item(i)->checkState() == Qt::Checked;
  if (!any) {
    AfxMessageBox(kNothingChecked, MB_ICONEXCLAMATION);
    box->setFocus(Qt::OtherFocusReason);
    return;
  }
  for (int i = 0; i < box->count() && size_t(i) < names_->size(); ++i)
    if (box->item(i)->checkState() != Qt::Checked) (*names_)[size_t(i)].clear();
  COrvoHelpDialog::OnOK();
}
