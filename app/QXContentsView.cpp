#include "app/QXContentsView.h"

#include "app/MainFrameFunctions.h"
#include "app/QXAppMessages.h"
#include "app/QXTreeView.h"
#include "platform/RuntimeClass.h"

#include <QKeyEvent>

const CMessageMap& CQXContentsView::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXContentsView>(COrvoBaseView::messageMap());
  return map;
}

CQXContentsView::CQXContentsView(QWidget* parent) : COrvoBaseView(parent) {
  setObjectName(QStringLiteral("orvoQXViewClass"));
}

CQXContentsView::~CQXContentsView() = default;

CQXTreeView* CQXContentsView::GetTreeView() const {
  CDocument* doc = GetDocument();
  if (!doc) return nullptr;
  for (POSITION pos = doc->GetFirstViewPosition(); pos;)
    if (auto* tree = qobject_cast<CQXTreeView*>(doc->GetNextView(pos))) return tree;
  return nullptr;
}

void RegisterQXContentsViewClass() { RegisterRuntimeClass(RUNTIME_CLASS(CQXContentsView)); }

const CMessageMap& CQXContentSheet::messageMap() {
  static const CMessageMap map = MessageMapOf<CQXContentSheet>(COrvoChildPropertySheet::messageMap())
                                     .commandRange(kCmdSelectFirstPage, kCmdSelectLastPage, &CQXContentSheet::OnSelectPage)
                                     .message(kSheetMsgResizeActivePage, &CQXContentSheet::OnResizeActivePage);
  return map;
}

CQXContentSheet::CQXContentSheet(const QString& caption, QWidget* parent, UINT firstPage)
    : COrvoChildPropertySheet(caption, parent, firstPage) {}

CQXContentSheet::~CQXContentSheet() = default;

BOOL CQXContentSheet::PreTranslateMessage(MSG* msg) {
  const int count = GetPageCount();
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && msg->keyEvent && count > 0 &&
      (msg->keyEvent->modifiers() & Qt::ControlModifier)) {
    const bool back = msg->keyEvent->modifiers() & Qt::ShiftModifier;
    const int active = GetActiveIndex();
    if ((back && active == 0) || (!back && active == count - 1)) {
      SwitchToPane(0);
      return TRUE;
    }
  }
  return COrvoChildPropertySheet::PreTranslateMessage(msg);
}

void CQXContentSheet::OnSelectPage(UINT id) {
  const int index = int(id - kCmdSelectFirstPage);
  if (index < GetPageCount()) SetActivePage(index);
}

LRESULT CQXContentSheet::OnResizeActivePage(WPARAM, LPARAM) {
  ResizeActivePage();
  return 1;
}
