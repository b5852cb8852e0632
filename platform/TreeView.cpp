#include "platform/TreeView.h"

#include <QVBoxLayout>

namespace {
constexpr UINT kTreeId = 1;
constexpr DWORD kControlBits = 0x0000FFFF | WS_BORDER;
}  // namespace

const CMessageMap& CTreeView::messageMap() {
  static const CMessageMap map = MessageMapOf<CTreeView>(CView::messageMap());
  return map;
}

CTreeView::CTreeView(QWidget* parent) : CView(parent), tree_(new CTreeCtrl(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tree_);
  setFocusProxy(tree_);
}

CTreeView::~CTreeView() = default;

void CTreeView::GetClientRect(QRect* rect) const { tree_->GetClientRect(rect); }

int CTreeView::OnCreate(LPCREATESTRUCT cs) {
  if (CView::OnCreate(cs) == -1) return -1;
  return tree_->Create(WS_CHILD | WS_VISIBLE | (GetStyle() & kControlBits), QRect(), this, kTreeId) ? 0 : -1;
}

void CTreeView::OnStyleChanged(DWORD oldStyle, DWORD newStyle) {
  CView::OnStyleChanged(oldStyle, newStyle);
  tree_->ModifyStyle(kControlBits, newStyle & kControlBits);
}

BOOL CTreeView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header && header->hwndFrom == tree_) {
    AFX_NOTIFY notify{pResult, header};
    if (OnCmdMsg(0, ReflectedNotifyCode(header->code), &notify, nullptr)) return TRUE;
  }
  return CView::OnNotify(wParam, lParam, pResult);
}
