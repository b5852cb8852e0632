#include "platform/FrameWnd.h"

#include "platform/Accelerators.h"
#include "platform/CmdUI.h"
#include "platform/Document.h"
#include "platform/Menu.h"
#include "platform/StatusBar.h"
#include "platform/ToolBar.h"
#include "platform/View.h"
#include "platform/WinApp.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

QString firstLine(const QString& text) {
  const qsizetype nl = text.indexOf(u'\n');
  return nl < 0 ? text : text.left(nl);
}

}  // namespace

const CMessageMap& CFrameWnd::messageMap() {
  static const CMessageMap map = MessageMapOf<CFrameWnd>(CWnd::messageMap());
  return map;
}

CFrameWnd::CFrameWnd() : CWnd(nullptr, Qt::Window) {
  layout_ = new QVBoxLayout(this);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
  menuBar_ = new QMenuBar(this);
  layout_->setMenuBar(menuBar_);
  topBars_ = new QVBoxLayout;
  bottomBars_ = new QVBoxLayout;
  layout_->addLayout(topBars_);
  layout_->addLayout(bottomBars_);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now && now != menuBar_ && now->window() == this) keyFocus_ = now;
  });
}

CFrameWnd::~CFrameWnd() = default;

BOOL CFrameWnd::LoadFrame(UINT nIDResource, QWidget* parent, CCreateContext* context) {
  resourceId_ = nIDResource;
  if (title_.isEmpty()) title_ = CLanguageLibrary::LoadString(nIDResource).section(u'\n', 0, 0);
  const QIcon icon = CLanguageLibrary::LoadIcon(nIDResource);
  if (!icon.isNull()) setWindowIcon(icon);
  if ((menuResource_ = CLanguageLibrary::LoadMenu(nIDResource, this))) {
    for (QAction* a : menuResource_->actions()) {
      if (a->menu()) menuBar_->addMenu(a->menu());
      else if (!a->isSeparator()) menuBar_->addAction(a);
    }
    wireMenu(menuResource_);
  }
  accelerators_ = CLanguageLibrary::LoadAccelerators(nIDResource);
  if (parent) setParent(parent, windowFlags());
  CREATESTRUCT cs{context, parent, nIDResource};
  if (OnCreate(&cs) == -1) {
    DestroyWindow();
    return FALSE;
  }
  return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT cs) {
  if (!OnCreateClient(cs, cs ? static_cast<CCreateContext*>(cs->lpCreateParams) : nullptr)) return -1;
  RecalcLayout();
  SetMessageText(AFX_IDS_IDLEMESSAGE);
  OnUpdateFrameTitle(TRUE);
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* context) {
  if (context && context->m_pNewViewClass) {
    CWnd* view = CreateView(context, AFX_IDW_PANE_FIRST);
    if (!view) return FALSE;
    if (!activeView_) SetActiveView(qobject_cast<CView*>(view), FALSE);
  }
  return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT nID) {
  if (!context || !context->m_pNewViewClass) return nullptr;
  QObject* object = context->m_pNewViewClass->newInstance();
  auto* view = qobject_cast<CWnd*>(object);
  if (!view) {
    delete object;
    return nullptr;
  }
  QPointer<CWnd> guard(view);
  if (!view->Create(this, nID, context)) {
    // A view that refused creation destroyed itself; one that does not own
    // itself is deleted here.
    if (guard && !qobject_cast<CView*>(guard)) delete guard;
    return nullptr;
  }
  return view;
}

void CFrameWnd::RecalcLayout(BOOL) {
  for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->isWindow() || layout_->indexOf(w) >= 0 || topBars_->indexOf(w) >= 0 || bottomBars_->indexOf(w) >= 0)
      continue;
    if (auto* bar = qobject_cast<QToolBar*>(w)) {
      topBars_->addWidget(bar);
      for (QAction* a : bar->actions()) wireAction(a, true);
    } else if (qobject_cast<QStatusBar*>(w)) {
      bottomBars_->addWidget(w);
    } else if (w->property("ctrlId").toUInt() == AFX_IDW_PANE_FIRST) {
      layout_->insertWidget(1, w, 1);
    }
  }
  layout_->activate();
}

void CFrameWnd::ActivateFrame(int nCmdShow) {
  if (nCmdShow == -1) nCmdShow = isMinimized() ? SW_RESTORE : SW_SHOW;
  ShowWindow(nCmdShow);
  raise();
  activateWindow();
}

void CFrameWnd::SetActiveView(CView* view, BOOL notify) {
  CView* old = activeView_;
  if (old == view) return;
  activeView_ = view;
  if (notify) {
    if (old) old->OnActivateView(FALSE, view, old);
    if (view) view->OnActivateView(TRUE, view, old);
  }
  OnUpdateFrameTitle(TRUE);
}

CDocument* CFrameWnd::GetActiveDocument() { return activeView_ ? activeView_->GetDocument() : nullptr; }

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle) {
  CDocument* doc = addToTitle ? GetActiveDocument() : nullptr;
  const QString text = doc && !doc->GetTitle().isEmpty() ? doc->GetTitle() + QStringLiteral(" - ") + title_ : title_;
  if (windowTitle() != text) setWindowTitle(text);
}

void CFrameWnd::SetMessageText(const QString& text) {
  if (auto* bar = findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly)) bar->showMessage(text);
}

void CFrameWnd::SetMessageText(UINT stringId) {
  QString text;
  GetMessageString(stringId, text);
  SetMessageText(text);
}

void CFrameWnd::GetMessageString(UINT stringId, QString& out) const {
  out = firstLine(CLanguageLibrary::LoadString(stringId));
}

void CFrameWnd::OnIdleUpdateCmdUI() {
  if (IsDestroyed()) return;
  for (QToolBar* bar : findChildren<QToolBar*>()) {
    // A bar of a window inside the frame (a page's) goes by its owner's route.
    if (auto* owned = qobject_cast<CToolBar*>(bar); owned && owned->GetOwner()) {
      owned->OnUpdateCmdUI(owned->GetOwner(), TRUE);
      continue;
    }
    const QList<QAction*> actions = bar->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
      QAction* a = actions[i];
      const UINT id = CommandIdOf(a);
      if (id == 0) continue;
      wireAction(a, true);
      CCmdUI ui;
      ui.m_nID = id;
      ui.m_nIndex = UINT(i);
      ui.m_nIndexMax = UINT(actions.size());
      ui.m_pAction = a;
      ui.m_pOther = bar;
      ui.DoUpdate(this, TRUE);
    }
  }
  for (CStatusBar* bar : findChildren<CStatusBar*>()) bar->OnUpdateCmdUI(this, FALSE);
  OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::OnInitMenuPopup(QMenu* popup) {
  // Qt's bar holds the keyboard while the user goes from one of its menus to
  // the next; the update handlers ask the window that has the keys.
  if (QApplication::focusWidget() == menuBar_) giveKeysBack();
  FillMenu(popup);
  UpdateMenuCommands(popup, this, TRUE);
  wireMenu(popup);  // items the handlers added
}

void CFrameWnd::DrawMenuBar() {
  for (QAction* a : menuBar_->actions()) {
    if (a->menu()) wireMenu(a->menu());
    else wireAction(a, false);
  }
  menuBar_->update();
}

bool CFrameWnd::giveKeysBack() {
  QWidget* target = keyFocus_;
  if (!target || !target->isVisible() || !target->isEnabled() || target->window() != this) return false;
  target->setFocus(Qt::MenuBarFocusReason);
  return true;
}

bool CFrameWnd::eventFilter(QObject* watched, QEvent* event) {
  auto* menu = qobject_cast<QMenu*>(watched);
  if (!menu || escaping_ || event->type() != QEvent::KeyPress ||
      static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
    return CWnd::eventFilter(watched, event);
  // Escape closes the menu, and Qt's bar keeps the keyboard in a mode that
  // highlights nothing: the keys go back at once to where they were.
  QPointer<CFrameWnd> self(this);
  escaping_ = true;
  QCoreApplication::sendEvent(menu, event);
  if (!self) return true;
  escaping_ = false;
  if (!QApplication::activePopupWidget() && QApplication::focusWidget() == menuBar_ && !giveKeysBack())
    menuBar_->clearFocus();
  return true;
}

void CFrameWnd::wireMenu(QMenu* menu) {
  if (!menu->property("frameWired").toBool()) {
    menu->setProperty("frameWired", true);
    menu->installEventFilter(this);
    if (menu != menuResource_) connect(menu, &QMenu::aboutToShow, this, [this, menu] { OnInitMenuPopup(menu); });
  }
  for (QAction* a : menu->actions()) {
    if (a->menu()) wireMenu(a->menu());
    else wireAction(a, false);
  }
}

void CFrameWnd::wireAction(QAction* action, bool toolButton) {
  const UINT id = CommandIdOf(action);
  if (id == 0 || action->property("frameWired").toBool()) return;
  action->setProperty("frameWired", true);
  if (toolButton) {
    const QString prompt = CLanguageLibrary::LoadString(id);
    const qsizetype nl = prompt.indexOf(u'\n');
    if (action->statusTip().isEmpty()) action->setStatusTip(firstLine(prompt));
    if (nl >= 0) action->setToolTip(prompt.mid(nl + 1));
  }
  connect(action, &QAction::triggered, this, [this, action] { ExecuteUserCommand(CommandIdOf(action)); });
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CView* view = activeView_; view && view->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
  if (TranslateAccelerator(this, accelerators_, msg)) return TRUE;
  return CWnd::PreTranslateMessage(msg);
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETMESSAGESTRING) {
    if (wParam) SetMessageText(UINT(wParam));
    else SetMessageText(lParam ? *reinterpret_cast<const QString*>(lParam) : QString());
    return 0;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

void CFrameWnd::OnClose() {
  if (m_lpfnCloseProc) {
    m_lpfnCloseProc(this);
    return;
  }
  if (IsCommandRunning()) return;
  CDocument* doc = GetActiveDocument();
  if (doc && !doc->CanCloseFrame(this)) return;
  if (doc) doc->OnCloseDocument();
  DestroyWindow();
}

void CFrameWnd::OnHelp() {
  if (CWinApp* app = AfxGetApp()) app->WinHelp(0x20000 + resourceId_, HELP_CONTEXT);
}

void CFrameWnd::OnDestroy() {
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) AfxPostQuitMessage(0);
  CWnd::OnDestroy();
}

void CFrameWnd::PostNcDestroy() { deleteLater(); }

bool CFrameWnd::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    if (tip.isEmpty()) SetMessageText(AFX_IDS_IDLEMESSAGE);
    else SetMessageText(tip);
    return true;
  }
  return CWnd::event(event);
}
