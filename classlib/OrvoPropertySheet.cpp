#include "classlib/OrvoPropertySheet.h"

#include "classlib/CommonControls.h"
#include "platform/Accelerators.h"
#include "platform/WinApp.h"

#include <algorithm>

namespace {

// Commands being offered to a page, over every sheet of the process.
int g_routingDepth = 0;

class RoutingScope {
 public:
  RoutingScope() { ++g_routingDepth; }
  ~RoutingScope() { --g_routingDepth; }
  RoutingScope(const RoutingScope&) = delete;
  RoutingScope& operator=(const RoutingScope&) = delete;
};

constexpr int kParentMargin = 6;  // tab control to the parent's right and bottom
constexpr int kPageInset = 4;     // page to the tab control's right and bottom

// A rectangle from its edges, the right and bottom ones just outside it;
// never narrower or lower than nothing.
QRect fromEdges(int left, int top, int right, int bottom) {
  return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}
int rightEdge(const QRect& r) { return r.x() + r.width(); }
int bottomEdge(const QRect& r) { return r.y() + r.height(); }

}  // namespace

const CMessageMap& COrvoPropertySheet::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoPropertySheet>(CPropertySheet::messageMap());
  return map;
}

COrvoPropertySheet::COrvoPropertySheet(const QString& caption, QWidget* parent, UINT firstPage)
    : CPropertySheet(caption, parent, firstPage) {}

COrvoPropertySheet::~COrvoPropertySheet() = default;

BOOL COrvoPropertySheet::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (g_routingDepth == 0) {
    const RoutingScope scope;
    CPropertyPage* page = GetActivePage();
    if (page && page->HasWindow() && page->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  }
  return CPropertySheet::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

const CMessageMap& COrvoChildPropertySheet::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoChildPropertySheet>(COrvoPropertySheet::messageMap());
  return map;
}

COrvoChildPropertySheet::COrvoChildPropertySheet(const QString& caption, QWidget* parent, UINT firstPage)
    : COrvoPropertySheet(caption, parent, firstPage), layoutFromTabs(GetPropertyPageResize()) {}

COrvoChildPropertySheet::~COrvoChildPropertySheet() = default;

void COrvoChildPropertySheet::SetAccelerators(const std::vector<CAcceleratorEntry>& table) { accelerators = table; }

BOOL COrvoChildPropertySheet::PreTranslateMessage(MSG* msg) {
  if (!accelerators.empty() && TranslateAccelerator(AfxGetMainWnd(), accelerators, msg)) return TRUE;
  return COrvoPropertySheet::PreTranslateMessage(msg);
}

QRect COrvoChildPropertySheet::TabRectInParent(const QRect& tab, int dx, int dy, int parentWidth, int parentHeight) {
  const int right = std::min(rightEdge(tab) - dx, parentWidth - kParentMargin);
  const int bottom = std::min(bottomEdge(tab) - dy, parentHeight - kParentMargin);
  return fromEdges(tab.x(), tab.y(), right, bottom);
}

QRect COrvoChildPropertySheet::PageRectFromTabs(const QSize& tabSize, bool tabsAtBottom, int itemHeight, int rows) {
  const int tabs = rows * itemHeight;
  const int top = tabsAtBottom ? 10 : tabs + 16;
  const int height = tabSize.height() - (tabs + 12);
  return fromEdges(10, top, tabSize.width() + 2, top + height);
}

QRect COrvoChildPropertySheet::PageRectFollowing(const QRect& page, int dx, int dy, const QRect& newTab) {
  const int right = std::min(rightEdge(page) - dx, rightEdge(newTab) - kPageInset);
  const int bottom = std::min(bottomEdge(page) - dy, bottomEdge(newTab) - kPageInset);
  return fromEdges(page.x(), page.y(), right, bottom);
}

BOOL COrvoChildPropertySheet::LayoutInParent() {
  QWidget* parent = parentWidget();
  CTabCtrl* tab = GetTabControl();
  if (!parent || !tab || isWindow()) return FALSE;
  const int parentWidth = parent->width();
  const int parentHeight = parent->height();
  const int dx = width() - parentWidth;
  const int dy = height() - parentHeight;
  setGeometry(0, 0, parentWidth, parentHeight);
  const QRect newTab = TabRectInParent(tab->geometry(), dx, dy, parentWidth, parentHeight);
  tab->setGeometry(newTab);
  CPropertyPage* page = GetActivePage();
  if (!page || !page->HasWindow()) return TRUE;
  if (layoutFromTabs) {
    QRect item;
    const int itemHeight = tab->GetItemRect(tab->GetCurSel(), &item) ? item.height() : 0;
    pageRect = PageRectFromTabs(tab->size(), tab->GetStyle() & TCS_BOTTOM, itemHeight, tab->GetRowCount());
    page->setGeometry(pageRect);
    return TRUE;
  }
  pageRect = PageRectFollowing(page->geometry(), dx, dy, newTab);
  page->setGeometry(pageRect);
  page->update();
  page->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(pageRect.width()), WORD(pageRect.height())));
  return TRUE;
}

void COrvoChildPropertySheet::ResizeActivePage() {
  if (CPropertyPage* page = GetActivePage(); page && page->HasWindow())
    page->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(pageRect.width()), WORD(pageRect.height())));
}

BOOL COrvoChildPropertySheet::OnInitDialog() {
  const BOOL result = COrvoPropertySheet::OnInitDialog();
  LayoutInParent();
  return result;
}

BOOL COrvoChildPropertySheet::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const BOOL handled = COrvoPropertySheet::OnNotify(wParam, lParam, pResult);
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (!header || header->code != TCN_SELCHANGE) return handled;
  if (!handled) {
    const LRESULT result = DefWindowProc(WM_NOTIFY, wParam, lParam);
    if (pResult) *pResult = result;
  }
  if (CPropertyPage* page = GetActivePage(); page && page->HasWindow()) {
    page->setGeometry(pageRect);
    page->update();
  }
  return TRUE;
}

void COrvoChildPropertySheet::PostNcDestroy() {
  COrvoPropertySheet::PostNcDestroy();
  deleteLater();
}
