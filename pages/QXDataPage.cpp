#include "pages/QXDataPage.h"

#include "app/MainFrameFunctions.h"
#include "app/MenuPopups.h"
#include "app/QXAppMessages.h"
#include "app/QXDoc.h"
#include "app/QXTreeView.h"
#include "charset/CalcCharset.h"
#include "classlib/CommonControls.h"
#include "datamodel/QXDocEntry.h"
#include "platform/Accelerators.h"
#include "platform/CmdUI.h"
#include "platform/FrameWnd.h"
#include "platform/LanguageLibrary.h"
#include "platform/Menu.h"
#include "platform/PropertySheet.h"
#include "platform/WinApp.h"
#include "tokens/QXTokenEditor.h"

#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QList>

#include <algorithm>

const CMessageMap& CQXDataPage::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXDataPage>(COrvoPropertyPage::messageMap())
                                     .message(kPageMsgRestoreFocus, &CQXDataPage::OnRestoreFocus)
                                     .message(kPageMsgFocusWindow, &CQXDataPage::OnFocusWindow)
                                     .registeredMessage(msgQXGetViewData, &CQXDataPage::OnGetViewData);
  return map;
}

CQXDataPage::CQXDataPage() : COrvoPropertyPage() { init(); }

CQXDataPage::CQXDataPage(UINT templateId) : COrvoPropertyPage(templateId), pageId_(templateId) { init(); }

CQXDataPage::~CQXDataPage() = default;

void CQXDataPage::init() {
  postSizeOnActivation_ = GetPropertyPageResize();
  document = GetCurrentDocument();
  mainFrame = AfxGetMainWnd();
}

BOOL CQXDataPage::LoadFromItem(CQXDocEntry*) { return TRUE; }
BOOL CQXDataPage::StoreToItem(CQXDocEntry*) { return TRUE; }
BOOL CQXDataPage::ClearPage() { return TRUE; }
BOOL CQXDataPage::IsModified() { return FALSE; }
void CQXDataPage::SetModified(BOOL) {}
BOOL CQXDataPage::Validate(TreeItemInfo*) { return TRUE; }
void CQXDataPage::OnDocNotify(int, QObject*) {}
void CQXDataPage::MergeMenus() {}
void CQXDataPage::UnmergeMenus() {}

BOOL CQXDataPage::GetCurrentItem(std::unique_ptr<CQXDocEntry>* entry) {
  return GetSelectedDocItem(entry, nullptr);
}

void CQXDataPage::SetTabTextFromSelection() {
  TreeItemInfo info;
  info.mask = TreeItemInfo::kDescription;
  if (GetSelectedItemInfo(&info)) SetTabText(CalcPlainText(info.description));
}

void CQXDataPage::HidePlaceholder(UINT id, QRect* rect) {
  QWidget* placeholder = GetDlgItem(int(id));
  if (!placeholder) return;
  QSizePolicy policy = placeholder->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  placeholder->setSizePolicy(policy);
  placeholder->hide();
  placeholder->setEnabled(false);
  if (layout()) layout()->activate();
  *rect = QRect(placeholder->mapTo(this, QPoint(0, 0)), placeholder->size());
}

QRect CQXDataPage::PlaceholderArea(UINT id, QRect* rect, int cx, int cy) const {
  if (const QWidget* placeholder = GetDlgItem(int(id)))
    *rect = QRect(placeholder->mapTo(this, QPoint(0, 0)), placeholder->size());
  return QRect(1, rect->top(), std::max(0, cx - 2), std::max(0, cy - rect->top() - 1));
}

BOOL CQXDataPage::OnInitDialog() {
  COrvoPropertyPage::OnInitDialog();
  editorKeys_ = CLanguageLibrary::LoadAccelerators(kTokenEditorKeys);
  if (tabTextFromDescription) SetTabTextFromSelection();
  return FALSE;  // the page sets the focus itself
}

BOOL CQXDataPage::OnSetActive() {
  if (!menusMerged_) {
    menusMerged_ = 1;
    MergeMenus();
  }
  if (!COrvoPropertyPage::OnSetActive()) return FALSE;
  if (postSizeOnActivation_)
    if (CPropertySheet* sheet = GetSheet())
      if (CWnd* view = sheet->GetParent()) {
        QRect client;
        view->GetClientRect(&client);
        view->PostMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(client.width()), WORD(client.height())));
      }
  if (savedFocus_) PostMessage(kPageMsgRestoreFocus);
  return TRUE;
}

BOOL CQXDataPage::OnKillActive() {
  if (menusMerged_) {
    menusMerged_ = 0;
    UnmergeMenus();
  }
  // Only a control of this page is given the focus back later.
  QWidget* focus = QApplication::focusWidget();
  savedFocus_ = focus && isAncestorOf(focus) ? focus : nullptr;
  return COrvoPropertyPage::OnKillActive();
}

BOOL CQXDataPage::PreTranslateMessage(MSG* msg) {
  auto* editor = qobject_cast<CQXTokenEditor*>(msg->hwnd);
  if (editor && isAncestorOf(editor) && TranslateAccelerator(this, editorKeys_, msg)) return TRUE;
  return COrvoPropertyPage::PreTranslateMessage(msg);
}

void CQXDataPage::OnDestroy() {
  if (menusMerged_) {
    menusMerged_ = 0;
    UnmergeMenus();
  }
  COrvoPropertyPage::OnDestroy();
}

LRESULT CQXDataPage::OnRestoreFocus(WPARAM, LPARAM) {
  SetFocusIfUsable(savedFocus_);
  savedFocus_ = nullptr;
  return 0;
}

LRESULT CQXDataPage::OnFocusWindow(WPARAM wParam, LPARAM) {
  SetFocusIfUsable(reinterpret_cast<QWidget*>(wParam));
  return 0;
}

BOOL CQXDataPage::FillViewData(void* detail) {
  const int kind = GetPrintKind();
  if (kind == kPrintKindNone || kind == kPrintKindImage) return FALSE;
  auto* record = static_cast<QXViewDataControl*>(detail);
  if (!record || record->size != int(sizeof(QXViewDataControl)) || record->kind != kind) return FALSE;
  record->control = GetPrintControl();
  return TRUE;
}

LRESULT CQXDataPage::OnGetViewData(WPARAM, LPARAM lParam) {
  auto* request = reinterpret_cast<QXViewDataRequest*>(lParam);
  const int kind = GetPrintKind();
  if (!request || request->size != int(sizeof(QXViewDataRequest)) || kind == kPrintKindNone) return 0;
  if (request->kind == 0) {
    request->kind = kind;
    return 1;
  }
  if (request->kind != kind) return 0;
  return FillViewData(request->detail) ? 1 : 0;
}

void CQXDataPage::UpdatePopupMenu(QMenu* popup) {
  if (!popup) return;
  QList<QPointer<QAction>> items;
  for (QAction* a : popup->actions()) items.append(a);
  for (int i = 0; i < items.size(); ++i) {
    QAction* a = items[i];
    if (!a || a->isSeparator()) continue;
    QAction* target = a;
    // A sub-menu is enabled as its first item is.
    if (QMenu* sub = a->menu()) {
      const QList<QAction*> subItems = sub->actions();
      if (subItems.isEmpty()) continue;
      target = subItems.first();
    }
    const UINT id = CommandIdOf(target);
    if (id == 0) continue;
    CCmdUI ui;
    ui.m_nID = id;
    ui.m_nIndex = UINT(i);
    ui.m_nIndexMax = UINT(items.size());
    ui.m_pAction = target;
    ui.m_pMenu = popup;
    ui.DoUpdate(this, autoMenuEnable && id < 0xF000);
    if (target != a) a->setEnabled(ui.m_bEnabled);
  }
}

BOOL SetFocusIfUsable(QWidget* window) {
  if (!window || !window->isVisible() || !window->isEnabled()) return FALSE;
  window->setFocus(Qt::OtherFocusReason);
  return TRUE;
}
