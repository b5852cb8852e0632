#include "classlib/GridTipWnd.h"

#include "classlib/GridCtrl.h"
#include "platform/SysColor.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

CGridTipWnd::CGridTipWnd(CGridCtrl* grid)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), grid_(grid) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
}

void CGridTipWnd::Show(const QRect& textRect, const QString& text, const QRect& cellRect, const QFont& font) {
  if (textRect.isEmpty()) return;
  hover_ = cellRect;
  if (isVisible() || !QApplication::focusWidget()) return;
  const QString shown = QLatin1Char(' ') + text + QLatin1Char(' ');
  const QFontMetrics fm(font);
  const int width = fm.horizontalAdvance(shown);
  if (width <= textRect.width()) return;
  text_ = shown;
  setFont(font);
  setGeometry(QRect(grid_->mapToGlobal(textRect.topLeft()), QSize(width + 2, cellRect.height() + 1)));
  show();
  raise();
}

void CGridTipWnd::Hide() {
  hover_ = QRect();
  if (isVisible()) hide();
}

void CGridTipWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ColorRefToQColor(GetSysColor(COLOR_INFOBK)));
  p.setPen(ColorRefToQColor(GetSysColor(COLOR_INFOTEXT)));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.drawText(rect().adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text_);
}
