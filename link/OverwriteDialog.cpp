#include "link/OverwriteDialog.h"

#include "charset/CalcCharset.h"
#include "datamodel/KindIcons.h"
#include "platform/MessageBox.h"

#include <QIcon>
#include <QLabel>

const CMessageMap& CQXOverwriteDialog::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXOverwriteDialog>(CDialog::messageMap())
                                     .command(IDC_ALL, &CQXOverwriteDialog::OnAll)
                                     .command(IDC_NO, &CQXOverwriteDialog::OnNo);
  return map;
}

CQXOverwriteDialog::CQXOverwriteDialog(const char* itemText, int kind, QWidget* parent)
    : CDialog(kTemplateId, parent), text_(itemText ? itemText : ""), kind_(kind) {}

CQXOverwriteDialog::~CQXOverwriteDialog() = default;

BOOL CQXOverwriteDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  if (auto* icon = GetDlgItemAs<QLabel>(IDC_KIND_ICON)) {
    QIcon kindIcon;
    LoadKindIcon(kind_, &kindIcon);
    icon->setPixmap(kindIcon.pixmap(32, 32));
    icon->update();
  }
  if (auto* text = GetDlgItemAs<QLabel>(IDC_ITEM_TEXT)) text->setText(CalcPlainText(text_));
  return TRUE;
}

void CQXOverwriteDialog::finish(int result, int endCode) {
  result_ = result;
  EndDialog(endCode);
}

void CQXOverwriteDialog::OnOK() { finish(RESULT_YES, IDOK); }
void CQXOverwriteDialog::OnAll() { finish(RESULT_ALL, IDOK); }
void CQXOverwriteDialog::OnNo() { finish(RESULT_NO, IDOK); }
void CQXOverwriteDialog::OnCancel() { finish(RESULT_CANCEL, IDCANCEL); }
