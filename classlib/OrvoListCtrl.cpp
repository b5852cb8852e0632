#include "classlib/OrvoListCtrl.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QPainter>
#include <QRegion>
#include <algorithm>

#include "classlib/MenuHelpers.h"
#include "platform/DC.h"
#include "platform/LanguageLibrary.h"

const CMessageMap& COrvoListCtrl::messageMap() {
  static const CMessageMap map = MessageMapOf<COrvoListCtrl>(CListCtrl::messageMap());
  return map;
}

COrvoListCtrl::COrvoListCtrl(QWidget* parent) : CListCtrl(parent) {}

COrvoListCtrl::~COrvoListCtrl() {
  // Deleted directly: the window goes, but PostNcDestroy must not delete
  // the object a second time.
  autoDelete = FALSE;
  DestroyWindow();
}

void COrvoListCtrl::PostNcDestroy() {
  CListCtrl::PostNcDestroy();
  if (autoDelete) deleteLater();
}

void COrvoListCtrl::RegisterListClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  CLanguageLibrary::RegisterWidgetClass(QStringLiteral("COrvoListCtrl"), [](QWidget* parent, const QString& name) {
    auto* list = new COrvoListCtrl(parent);
    list->autoDelete = FALSE;
    list->setObjectName(name);
    return static_cast<QWidget*>(list);
  });
}

BOOL COrvoListCtrl::SetItemSelected(int item, BOOL on) {
  return SetItemState(item, on ? UINT(LVIS_SELECTED) : 0u, LVIS_SELECTED);
}

BOOL COrvoListCtrl::SetItemFocused(int item, BOOL on) {
  return SetItemState(item, on ? UINT(LVIS_FOCUSED) : 0u, LVIS_FOCUSED);
}

int COrvoListCtrl::GetColumnCount() const { return GetHeaderItemCount(); }

int GetFirstSelectedItem(CListCtrl* list) { return list ? list->GetNextItem(-1, LVNI_SELECTED) : -1; }

BOOL SetListItemState(CListCtrl* list, int item, UINT bits) {
  return list ? list->SetItemState(item, bits, bits) : FALSE;
}

BOOL TrackListContextMenu(CListCtrl* list, QContextMenuEvent* event, UINT menuId, BOOL selectItem) {
  if (!list || !event || menuId == 0) return FALSE;
  event->accept();
  QWidget* viewport = list->GetItemView()->viewport();
  QPoint point(0, 0);
  if (event->reason() != QContextMenuEvent::Keyboard) {
    point = viewport->mapFromGlobal(event->globalPos());
    const int item = list->HitTest(point);
    if (item >= 0) {
      if (selectItem) {
        list->SetItemState(-1, 0, LVIS_SELECTED);
        list->SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      } else {
        list->SetItemState(item, LVIS_FOCUSED, LVIS_FOCUSED);
      }
    }
  }
  const QPoint screen = viewport->mapToGlobal(point);
  CWnd* owner = list->GetParent();
  return TrackContextMenu(owner ? owner : list, screen.x(), screen.y(), menuId, TRUE);
}

BOOL EraseListEmptyArea(CListCtrl* list, CDC* dc) {
  QPainter* painter = dc ? dc->GetPainter() : nullptr;
  if (!list || !painter) return FALSE;
  // The client area here is the view's viewport, which lies below the
  // header already.
  QRect client;
  list->GetClientRect(&client);
  QRegion area(client);
  const int count = list->GetItemCount();
  if (count > 0) {
    const int top = std::clamp(list->GetTopIndex(), 0, count - 1);
    QRect first, last;
    for (int i = top; i < count; ++i) {
      QRect r;
      list->GetItemRect(i, &r, LVIR_BOUNDS);
      if (i == top) first = r;
      last = r;
      if (r.bottom() > client.bottom()) break;  // the first item past the bottom still counts
    }
    const QRect covered(QPoint(std::max(first.left(), 2), first.top()), QPoint(last.right(), last.bottom()));
    area -= QRegion(covered);
  }
  painter->save();
  painter->setClipRegion(area);
  painter->fillRect(client, list->GetItemView()->palette().color(QPalette::Base));
  painter->restore();
  return TRUE;
}
