#include "platform/Dialog.h"

#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

QWidget* CDataExchange::PrepareCtrl(int id) {
  lastControl_ = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(id) : nullptr;
  return lastControl_;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && lastControl_) {
    lastControl_->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(lastControl_)) edit->selectAll();
  }
  throw Failure{};
}

const CMessageMap& CDialog::messageMap() {
  static const CMessageMap map = MessageMapOf<CDialog>(CWnd::messageMap())
                                     .command(IDOK, &CDialog::OnOK)
                                     .command(IDCANCEL, &CDialog::OnCancel);
  return map;
}

CDialog::CDialog(UINT nIDTemplate, QWidget* parent) : CWnd(parent, Qt::Dialog), templateId_(nIDTemplate) {}

CDialog::~CDialog() {
  if (loop_) loop_->exit();
}

BOOL CDialog::buildTemplate() {
  if (built_) return TRUE;
  if (templateId_ == 0 || !CLanguageLibrary::LoadDialogInto(templateId_, this)) return FALSE;
  built_ = true;
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
    bool ok = false;
    const int id = button->property("ctrlId").toInt(&ok);
    if (ok && id != 0) connect(button, &QAbstractButton::clicked, this, [this, id] { sendButtonCommand(id); });
  }
  return TRUE;
}

void CDialog::sendButtonCommand(int id) {
  QWidget* control = GetDlgItem(id);
  SendMessage(WM_COMMAND, MAKEWPARAM(WORD(id), BN_CLICKED), reinterpret_cast<LPARAM>(control ? control : this));
}

int CDialog::DoModal() {
  if (!buildTemplate()) return -1;
  result_ = -1;
  OnInitDialog();
  if (result_ != -1) return result_;  // ended while it initialised
  fixSizeUnlessResizable();
  setWindowModality(Qt::ApplicationModal);
  show();
  QEventLoop loop;
  loop_ = &loop;
  QPointer<CDialog> self(this);
  loop.exec(QEventLoop::DialogExec);
  if (!self) return IDCANCEL;
  loop_ = nullptr;
  hide();
  return result_;
}

BOOL CDialog::Create(UINT nIDTemplate, QWidget* parent) {
  if (nIDTemplate) templateId_ = nIDTemplate;
  if (parent && parent != parentWidget()) setParent(parent, windowFlags());
  if (!buildTemplate()) return FALSE;
  result_ = -1;
  OnInitDialog();
  fixSizeUnlessResizable();
  if (IsCommandRunning()) setWindowModality(Qt::ApplicationModal);
  show();
  return TRUE;
}

void CDialog::fixSizeUnlessResizable() {
  if (!isWindow() || property("resizable").toBool()) return;
  QLayout* form = layout();
  if (form && !testAttribute(Qt::WA_Resized)) {
    // As big as the layout wants it, also when its contents change.
    form->setSizeConstraint(QLayout::SetFixedSize);
    return;
  }
  // Sized by its own code while it initialised: that size.
  setFixedSize(size().expandedTo(minimumSizeHint()));
}

void CDialog::EndDialog(int result) {
  result_ = result;
  hide();
  if (loop_) loop_->exit();
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const CDataExchange::Failure&) {
    return FALSE;
  }
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnClose() { sendButtonCommand(IDCANCEL); }

void CDialog::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) {
    CWnd::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Escape:
      sendButtonCommand(IDCANCEL);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
      if (focused && isAncestorOf(focused) && focused->isEnabled()) {
        focused->click();
        return;
      }
      for (QPushButton* button : findChildren<QPushButton*>()) {
        if (button->isDefault() && button->isEnabled() && button->isVisible()) {
          button->click();
          return;
        }
      }
      if (QWidget* ok = GetDlgItem(IDOK); !ok || ok->isEnabled()) sendButtonCommand(IDOK);
      return;
    }
    default:
      CWnd::keyPressEvent(event);
  }
}
