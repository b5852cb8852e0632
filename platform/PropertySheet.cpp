#include "platform/PropertySheet.h"

#include "platform/LanguageLibrary.h"
#include "platform/WinApp.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>

#include <algorithm>

namespace {

constexpr int kMargin = 6;  // around the tab control and the buttons
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr DWORD kStyleVisible = 0x10000000;
constexpr DWORD kStyleDisabled = 0x08000000;

// The nearest window the sheet belongs to: its parent, or the owner of a
// top-level sheet.
CWnd* ownerWindow(const QWidget* sheet) {
  for (QWidget* w = sheet->parentWidget(); w; w = w->parentWidget())
    if (CWnd* wnd = CWnd::FromHandle(w)) return wnd;
  return nullptr;
}

void focusFirstControl(QWidget* page) {
  for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
    if (page->isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(page) && (w->focusPolicy() & Qt::TabFocus)) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

}  // namespace

const CMessageMap& CPropertySheet::messageMap() {
  static const CMessageMap map = MessageMapOf<CPropertySheet>(CWnd::messageMap());
  return map;
}

CPropertySheet::CPropertySheet(UINT nIDCaption, QWidget* parent, UINT iSelectPage)
    : CPropertySheet(nIDCaption ? CLanguageLibrary::LoadString(nIDCaption) : QString(), parent, iSelectPage) {}

CPropertySheet::CPropertySheet(const QString& caption, QWidget* parent, UINT iSelectPage) : CWnd(parent, Qt::Dialog) {
  m_psh.pszCaption = caption;
  m_psh.nStartPage = iSelectPage;
}

CPropertySheet::~CPropertySheet() {
  if (loop_) loop_->exit();
  // The pages belong to their owner: they leave the widget tree before Qt
  // deletes the sheet's children.
  for (CPropertyPage* page : pages_) {
    page->destroyWindow();
    page->sheet_ = nullptr;
  }
}

void CPropertySheet::AddPage(CPropertyPage* page) {
  if (!page || GetPageIndex(page) >= 0) return;
  if (page->sheet_) page->sheet_->RemovePage(page);
  pages_.push_back(page);
  page->sheet_ = this;
  if (!windowMade_) return;
  tab_->InsertItem(GetPageCount() - 1, page->GetCaption());
  if (active_ < 0) changePage(GetPageCount() - 1, false);
}

void CPropertySheet::RemovePage(CPropertyPage* page) { RemovePage(GetPageIndex(page)); }

void CPropertySheet::RemovePage(int index) {
  if (index < 0 || index >= GetPageCount()) return;
  CPropertyPage* page = pages_[size_t(index)];
  if (windowMade_) {
    if (index == active_) {
      const int neighbour = index + 1 < GetPageCount() ? index + 1 : index - 1;
      if (neighbour < 0 || !changePage(neighbour, false)) active_ = -1;
    }
    page->destroyWindow();
    tab_->DeleteItem(index);
  } else if (m_psh.nStartPage > UINT(index)) {
    --m_psh.nStartPage;
  }
  pages_.erase(pages_.begin() + index);
  page->sheet_ = nullptr;
  if (active_ > index) --active_;
  if (tab_ && active_ >= 0) tab_->SetCurSel(active_);
}

void CPropertySheet::forgetPage(CPropertyPage* page) { RemovePage(page); }

CPropertyPage* CPropertySheet::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? pages_[size_t(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  return it == pages_.end() ? -1 : int(it - pages_.begin());
}

int CPropertySheet::GetActiveIndex() const { return windowMade_ ? active_ : int(m_psh.nStartPage); }

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(GetActiveIndex()); }

BOOL CPropertySheet::SetActivePage(int index) {
  if (index < 0 || index >= GetPageCount()) return FALSE;
  if (!windowMade_) {
    m_psh.nStartPage = UINT(index);
    return TRUE;
  }
  return changePage(index, true);
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }

void CPropertySheet::SetTitle(const QString& caption) {
  m_psh.pszCaption = caption;
  setWindowTitle(caption);
}

QRect CPropertySheet::DisplayRect() const {
  if (!tab_) return {};
  QRect r(QPoint(0, 0), tab_->size());
  tab_->AdjustRect(FALSE, &r);
  return r.translated(tab_->pos());
}

BOOL CPropertySheet::changePage(int index, bool askActive) {
  if (index < 0 || index >= GetPageCount()) return FALSE;
  if (index == active_) return TRUE;
  QPointer<CPropertyPage> old = GetPage(active_);
  if (askActive && old && old->HasWindow() && !old->OnKillActive()) return FALSE;
  QPointer<CPropertyPage> page = pages_[size_t(index)];
  if (!page->HasWindow() && !page->makeWindow(this)) {
    if (tab_ && active_ >= 0) tab_->SetCurSel(active_);
    return FALSE;
  }
  if (!page || GetPageIndex(page) < 0) return FALSE;  // gone while it initialised
  page->setGeometry(DisplayRect());
  if (old && old != page) old->hide();
  active_ = GetPageIndex(page);
  tab_->SetCurSel(active_);
  updateHelpButton();
  page->OnSetActive();
  if (page && page->sheet_ == this && active_ == GetPageIndex(page)) {
    page->show();
    page->raise();
  }
  return TRUE;
}

BOOL CPropertySheet::OnInitDialog() { return buildWindow(); }

BOOL CPropertySheet::buildWindow() {
  if (windowMade_) return TRUE;
  windowMade_ = true;
  active_ = -1;
  setWindowTitle(m_psh.pszCaption);
  tab_ = new CTabCtrl(this);
  tab_->SetDlgCtrlID(AFX_IDC_TAB_CONTROL);
  QSize pageSize(0, 0);
  for (int i = 0; i < GetPageCount(); ++i) {
    tab_->InsertItem(i, pages_[size_t(i)]->GetCaption());
    pageSize = pageSize.expandedTo(pages_[size_t(i)]->GetTemplateSize());
  }
  QRect tabRect(QPoint(0, 0), pageSize);
  tab_->AdjustRect(TRUE, &tabRect);
  tab_->setGeometry(kMargin, kMargin, tabRect.width(), tabRect.height());
  tab_->show();
  int width = tabRect.width() + 2 * kMargin;
  int height = tabRect.height() + 2 * kMargin;
  if (modal_) {
    std::vector<std::pair<int, QString>> buttons = {{IDOK, QStringLiteral("OK")},
                                                    {IDCANCEL, QStringLiteral("Annuler")}};
    if (m_psh.dwFlags & PSH_HASHELP) buttons.emplace_back(IDHELP, QStringLiteral("Aide"));
    int x = width - kMargin;
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
      auto* button = new QPushButton(it->second, this);
      button->setProperty("ctrlId", it->first);
      const QSize hint = button->sizeHint();
      const int w = std::max(kButtonWidth, hint.width());
      x -= w;
      button->setGeometry(x, height, w, std::max(kButtonHeight, hint.height()));
      x -= kMargin;
      const int id = it->first;
      connect(button, &QPushButton::clicked, this, [this, id, button] {
        SendMessage(WM_COMMAND, MAKEWPARAM(WORD(id), BN_CLICKED), reinterpret_cast<LPARAM>(button));
      });
      button->show();
      (id == IDOK ? okButton_ : id == IDCANCEL ? cancelButton_ : helpButton_) = button;
    }
    okButton_->setDefault(true);
    height += okButton_->height() + kMargin;
  }
  resize(width, height);
  if (GetPageCount() > 0) changePage(std::clamp(int(m_psh.nStartPage), 0, GetPageCount() - 1), false);
  return TRUE;
}

void CPropertySheet::updateHelpButton() {
  if (!helpButton_) return;
  const CPropertyPage* page = GetPage(active_);
  helpButton_->setEnabled(page && (page->m_psp.dwFlags & PSP_HASHELP));
}

void CPropertySheet::destroyContent() {
  if (!windowMade_) return;
  for (CPropertyPage* page : pages_) page->destroyWindow();
  if (active_ >= 0) m_psh.nStartPage = UINT(active_);
  delete tab_;
  delete okButton_;
  delete cancelButton_;
  delete helpButton_;
  tab_ = nullptr;
  okButton_ = cancelButton_ = helpButton_ = nullptr;
  active_ = -1;
  windowMade_ = false;
}

void CPropertySheet::OnDestroy() { destroyContent(); }

int CPropertySheet::DoModal() {
  if (pages_.empty() || windowMade_) return -1;
  modal_ = true;
  result_ = IDCANCEL;
  ended_ = false;
  loop_ = nullptr;
  QPointer<CPropertySheet> self(this);
  OnInitDialog();
  if (!self) return IDCANCEL;
  setFixedSize(size());
  setWindowModality(Qt::ApplicationModal);
  if (!ended_) {  // not ended while it initialised
    show();
    if (CPropertyPage* page = GetActivePage()) focusFirstControl(page);
    QEventLoop loop;
    loop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    if (!self) return IDCANCEL;
    loop_ = nullptr;
  }
  hide();
  OnDestroy();
  modal_ = false;
  return result_;
}

BOOL CPropertySheet::Create(QWidget* parent, DWORD style) {
  if (pages_.empty() || windowMade_) return FALSE;
  modal_ = false;
  setParent(parent, Qt::Widget);
  OnInitDialog();
  setVisible(style & kStyleVisible);
  setEnabled(!(style & kStyleDisabled));
  return TRUE;
}

void CPropertySheet::EndDialog(int result) {
  result_ = result;
  ended_ = true;
  hide();
  if (loop_) loop_->exit();
}

void CPropertySheet::onOK() {
  CPropertyPage* active = GetPage(active_);
  if (active && active->HasWindow() && !active->OnKillActive()) return;
  for (CPropertyPage* page : std::vector<CPropertyPage*>(pages_))
    if (GetPageIndex(page) >= 0 && page->HasWindow()) page->OnOK();
  EndDialog(IDOK);
}

void CPropertySheet::onCancel() {
  for (CPropertyPage* page : std::vector<CPropertyPage*>(pages_))
    if (GetPageIndex(page) >= 0 && page->HasWindow()) page->OnCancel();
  EndDialog(IDCANCEL);
}

BOOL CPropertySheet::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if ((nCode != CN_COMMAND && nCode != CN_UPDATE_COMMAND_UI) || nID == 0 || nID >= 0xF000) return FALSE;
  if (nID == UINT(IDOK) || nID == UINT(IDCANCEL) || nID == UINT(IDHELP)) return FALSE;
  // The owner's and the application's commands are refused while another
  // command runs, when they come in through the sheet as when they come to
  // the main window itself: a key of the sheet never starts a second
  // transfer, or closes the document, inside a running one.
  if (nCode == CN_COMMAND && CWnd::IsInnerCommandFrom(this)) return FALSE;
  if (CWnd* owner = ownerWindow(this); owner && owner->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

LRESULT CPropertySheet::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && modal_) {
    switch (LOWORD(wParam)) {
      case IDOK: onOK(); return 0;
      case IDCANCEL: onCancel(); return 0;
      default: break;
    }
  }
  if (message == WM_NOTIFY && tab_) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->hwndFrom == tab_) {
      if (header->code == TCN_SELCHANGING) {
        CPropertyPage* active = GetPage(active_);
        return active && active->HasWindow() && !active->OnKillActive() ? TRUE : FALSE;
      }
      if (header->code == TCN_SELCHANGE) {
        changePage(tab_->GetCurSel(), false);
        return 0;
      }
    }
  }
  return CWnd::DefWindowProc(message, wParam, lParam);
}

BOOL CPropertySheet::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && tab_ && GetPageCount() > 0 && msg->keyEvent &&
      (msg->keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == Qt::ControlModifier) {
    int step = 0;
    if (msg->wParam == VK_TAB) step = (msg->keyEvent->modifiers() & Qt::ShiftModifier) ? -1 : 1;
    else if (msg->wParam == VK_NEXT) step = 1;
    else if (msg->wParam == VK_PRIOR) step = -1;
    if (step != 0) {
      // As the user's own change of tab: the tab control asks the sheet.
      const int count = GetPageCount();
      tab_->GetTabBar()->setCurrentIndex(((active_ < 0 ? 0 : active_) + step + count) % count);
      return TRUE;
    }
  }
  return CWnd::PreTranslateMessage(msg);
}

void CPropertySheet::OnClose() {
  if (modal_) {
    SendMessage(WM_COMMAND, MAKEWPARAM(WORD(IDCANCEL), BN_CLICKED), reinterpret_cast<LPARAM>(cancelButton_));
    return;
  }
  CWnd::OnClose();
}

void CPropertySheet::keyPressEvent(QKeyEvent* event) {
  const bool plain = !(event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier));
  if (!modal_ || !plain) {
    CWnd::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Escape:
      cancelButton_->click();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
      if (focused && isAncestorOf(focused) && focused->isEnabled()) focused->click();
      else if (okButton_->isEnabled()) okButton_->click();
      return;
    }
    default:
      CWnd::keyPressEvent(event);
  }
}
