#include "link/TransferProgress.h"

#include "charset/CalcCharset.h"
#include "datamodel/KindIcons.h"
#include "link/SerialLink.h"
#include "platform/WinApp.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>

#include <string>

namespace {

// The main window, which a transfer disables while it runs.
CWnd* mainWindow() { return AfxGetMainWnd(); }

}  // namespace

CQXTransferProgressDialog::CQXTransferProgressDialog(UINT templateId, CQXCalcLink* link)
    : CDialog(templateId), link_(link) {}

BOOL CQXTransferProgressDialog::Create(QWidget* parent) { return CDialog::Create(GetTemplateId(), parent); }

BOOL CQXTransferProgressDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  adjustSize();
  QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
  const QRect area = over && over->isVisible() ? over->frameGeometry()
                     : QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                        : QRect();
  if (area.isValid()) move(area.center() - rect().center());
  SetByteCount(0);
  SetTimer(kTimerId, kTimerMs);
  return TRUE;
}

void CQXTransferProgressDialog::OnTimer(UINT_PTR id) {
  if (id == kTimerId && link_) SetByteCount(link_->GetByteCount());
}

void CQXTransferProgressDialog::OnCancel() {
  if (link_) link_->Cancel();
  CDialog::OnCancel();
}

void CQXTransferProgressDialog::OnDestroy() {
  if (CWnd* main = mainWindow(); main && !main->isEnabled()) main->EnableWindow(TRUE);
  KillTimer(kTimerId);
}

QString CQXTransferProgressDialog::FormatByteCount(DWORD count) {
  const std::string digits = std::to_string(count);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
    out += digits[i];
  }
  return QString::fromLatin1(out);
}

void CQXTransferProgressDialog::SetByteCount(DWORD count) {
  if (auto* label = GetDlgItemAs<QLabel>(IDC_BYTE_COUNT)) label->setText(FormatByteCount(count));
}

void CQXTransferProgressDialog::SetItem(DWORD byteCount, const char* text, int kind) {
  SetByteCount(byteCount);
  if (auto* icon = GetDlgItemAs<QLabel>(IDC_KIND_ICON)) {
    QIcon image;
    LoadKindIcon(kind, &image);
    icon->setPixmap(image.pixmap(icon->minimumSize().expandedTo(QSize(32, 32))));
    icon->repaint();
  }
  if (auto* label = GetDlgItemAs<QLabel>(IDC_ITEM_TEXT)) label->setText(CalcPlainText(text ? text : ""));
}

CQXTransferProgress::CQXTransferProgress(int direction, CQXCalcLink* link) : direction_(direction), link_(link) {}

CQXTransferProgress::~CQXTransferProgress() { Destroy(); }

BOOL CQXTransferProgress::Create(QWidget* parent) {
  Destroy();
  if (direction_ == 1)
    dialog_ = new CQXReceiveProgressDialog(link_);
  else
    dialog_ = new CQXSendProgressDialog(link_);
  if (dialog_->Create(parent)) return TRUE;
  delete dialog_;
  return FALSE;
}

void CQXTransferProgress::Show() {
  if (!dialog_) return;
  dialog_->EnableWindow(TRUE);
  dialog_->ShowWindow(SW_SHOW);
  if (CWnd* main = mainWindow()) main->EnableWindow(FALSE);
  // A disabled window disables its child windows too: the dialog is enabled
  // again on its own.
  dialog_->EnableWindow(TRUE);
}

void CQXTransferProgress::Destroy() {
  if (CWnd* main = mainWindow()) main->EnableWindow(TRUE);
  if (!dialog_) return;
  if (!dialog_->IsDestroyed()) {
    dialog_->ShowWindow(SW_HIDE);
    dialog_->DestroyWindow();
  }
  delete dialog_;
}

void CQXTransferProgress::Update(DWORD byteCount, const char* text, int kind) {
  if (dialog_) dialog_->SetItem(byteCount, text, kind);
}
