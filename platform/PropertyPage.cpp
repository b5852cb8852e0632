#include "platform/PropertyPage.h"

#include "platform/LanguageLibrary.h"
#include "platform/PropertySheet.h"

#include <QApplication>
#include <QKeyEvent>
#include <QResizeEvent>

#include <memory>

// Chained to the window's map, not the dialog's: OK and Cancel are commands
// of the sheet, which calls OnOK and OnCancel of its pages itself.
const CMessageMap& CPropertyPage::messageMap() {
  static const CMessageMap map = MessageMapOf<CPropertyPage>(CWnd::messageMap());
  return map;
}

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption) : CDialog(nIDTemplate) {
  setWindowFlags(Qt::Widget);
  m_psp.pszTemplate = nIDTemplate;
  m_psp.dwFlags = PSP_HASHELP;
  if (nIDCaption) {
    m_psp.pszTitle = CLanguageLibrary::LoadString(nIDCaption);
    m_psp.dwFlags |= PSP_USETITLE;
  }
}

CPropertyPage::~CPropertyPage() {
  if (sheet_) sheet_->forgetPage(this);
}

void CPropertyPage::probeTemplate() {
  if (probed_ || made_) return;
  probed_ = true;
  std::unique_ptr<QWidget> form(CLanguageLibrary::LoadDialog(m_psp.pszTemplate));
  if (!form) return;
  templateTitle_ = form->windowTitle();
  templateSize_ = form->sizeHint();
}

QString CPropertyPage::GetCaption() {
  if (m_psp.dwFlags & PSP_USETITLE) return m_psp.pszTitle;
  if (made_) return windowTitle();
  probeTemplate();
  return templateTitle_;
}

QSize CPropertyPage::GetTemplateSize() {
  if (made_) return sizeHint();
  probeTemplate();
  return templateSize_;
}

BOOL CPropertyPage::makeWindow(QWidget* sheet) {
  if (made_) return TRUE;
  setParent(sheet, Qt::Widget);
  hide();
  made_ = true;  // OnInitDialog may already ask the sheet about its pages
  if (!Create(m_psp.pszTemplate, sheet)) {
    made_ = false;
    hide();
    return FALSE;
  }
  return TRUE;
}

void CPropertyPage::destroyWindow() {
  if (!made_) return;
  OnDestroy();
  made_ = false;
  activatedBefore_ = false;
  // The focus leaves first: a page taken out of its window while one of its
  // controls has the focus would stay the focus child of the window's
  // widgets, which then point at it after it is deleted.
  if (QWidget* focus = QApplication::focusWidget(); focus && isAncestorOf(focus)) focus->clearFocus();
  hide();
  setParent(nullptr, Qt::Widget);
}

BOOL CPropertyPage::OnSetActive() {
  if (activatedBefore_) UpdateData(FALSE);
  activatedBefore_ = true;
  return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

void CPropertyPage::OnOK() {}
void CPropertyPage::OnCancel() {}
void CPropertyPage::OnSize(UINT, int, int) {}

BOOL CPropertyPage::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CDialog::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if ((nCode != CN_COMMAND && nCode != CN_UPDATE_COMMAND_UI) || nID == 0 || nID >= 0xF000) return FALSE;
  return sheet_ && sheet_->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

LRESULT CPropertyPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) {
    OnSize(UINT(wParam), LOWORD(WPARAM(lParam)), HIWORD(WPARAM(lParam)));
    return 0;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}

void CPropertyPage::resizeEvent(QResizeEvent* event) {
  CDialog::resizeEvent(event);
  OnSize(SIZE_RESTORED, event->size().width(), event->size().height());
}

void CPropertyPage::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->ignore();  // the sheet's
      return;
    default:
      CWnd::keyPressEvent(event);
  }
}
