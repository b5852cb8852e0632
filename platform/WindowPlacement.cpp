#include "platform/WindowPlacement.h"

#include "platform/FrameWnd.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <climits>

namespace {

// A RECT as a QRect; sizes are computed wide so that no damaged value
// overflows. Empty when right <= left or bottom <= top.
QRect toQRect(const RECT& r) {
  const qint64 width = qint64(r.right) - r.left;
  const qint64 height = qint64(r.bottom) - r.top;
  if (width <= 0 || height <= 0) return {};
  return QRect(r.left, r.top, int(std::min<qint64>(width, INT_MAX / 2)), int(std::min<qint64>(height, INT_MAX / 2)));
}

RECT toRect(const QRect& r) { return RECT{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

// A rectangle that meets no attached screen moves onto the primary work
// area, shrunk to fit, so that a placement saved on a screen that has gone
// does not open an invisible window.
QRect onSomeScreen(QRect rect) {
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->geometry().intersects(rect)) return rect;
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return rect;
  const QRect work = primary->availableGeometry();
  rect.setWidth(std::min(rect.width(), work.width()));
  rect.setHeight(std::min(rect.height(), work.height()));
  rect.moveLeft(std::clamp(rect.left(), work.left(), work.left() + work.width() - rect.width()));
  rect.moveTop(std::clamp(rect.top(), work.top(), work.top() + work.height() - rect.height()));
  return rect;
}

}  // namespace

BOOL SystemParametersInfo(UINT action, UINT, void* param, UINT) {
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (action != SPI_GETWORKAREA || !param || !primary) return FALSE;
  *static_cast<RECT*>(param) = toRect(primary->availableGeometry());
  return TRUE;
}

BOOL CFrameWnd::GetWindowPlacement(WINDOWPLACEMENT* wp) const {
  if (!wp) return FALSE;
  const Qt::WindowStates state = windowState();
  wp->length = sizeof(WINDOWPLACEMENT);
  wp->flags = (state & Qt::WindowMinimized) && (state & Qt::WindowMaximized) ? UINT(WPF_RESTORETOMAXIMIZED) : 0u;
  wp->showCmd = (state & Qt::WindowMinimized)   ? SW_SHOWMINIMIZED
                : (state & Qt::WindowMaximized) ? SW_SHOWMAXIMIZED
                                                : SW_SHOWNORMAL;
  wp->ptMinPosition = wp->ptMaxPosition = POINT{-1, -1};
  QRect normal = normalGeometry();
  if (normal.isEmpty()) normal = geometry();
  wp->rcNormalPosition = toRect(normal);
  return TRUE;
}

BOOL CFrameWnd::SetWindowPlacement(const WINDOWPLACEMENT* wp) {
  if (!wp || wp->length != sizeof(WINDOWPLACEMENT)) return FALSE;
  const QRect rect = onSomeScreen(toQRect(wp->rcNormalPosition));
  if (rect.isEmpty()) return FALSE;
  // A Wayland client cannot place its windows: only the size is kept there.
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) resize(rect.size());
  else setGeometry(rect);
  ShowWindow(int(wp->showCmd));
  return TRUE;
}

BOOL CFrameWnd::IsZoomed() const { return isMaximized(); }
BOOL CFrameWnd::IsIconic() const { return isMinimized(); }
