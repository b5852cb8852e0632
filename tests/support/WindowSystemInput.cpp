#include "tests/support/WindowSystemInput.h"

#include <QEvent>
#include <QPoint>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace tallix::test {

namespace {

using Queued = QWindowSystemInterface::AsynchronousDelivery;

QWindow* windowOf(QWidget* widget) { return widget->window()->windowHandle(); }

}  // namespace

void queueClick(QWidget* widget) {
  const QPoint middle = widget->rect().center();
  const QPoint local = widget->mapTo(widget->window(), middle), global = widget->mapToGlobal(middle);
  QWindowSystemInterface::handleMouseEvent<Queued>(windowOf(widget), local, global, Qt::LeftButton, Qt::LeftButton,
                                                   QEvent::MouseButtonPress);
  QWindowSystemInterface::handleMouseEvent<Queued>(windowOf(widget), local, global, Qt::NoButton, Qt::LeftButton,
                                                   QEvent::MouseButtonRelease);
}

void queueKey(QWidget* widget, Qt::Key key) {
  QWindowSystemInterface::handleKeyEvent<Queued>(windowOf(widget), QEvent::KeyPress, key, Qt::NoModifier);
  QWindowSystemInterface::handleKeyEvent<Queued>(windowOf(widget), QEvent::KeyRelease, key, Qt::NoModifier);
}

void queueClose(QWidget* widget) { QWindowSystemInterface::handleCloseEvent<Queued>(windowOf(widget)); }

int queuedWindowSystemEvents() { return int(QWindowSystemInterface::windowSystemEventsQueued()); }

}  // namespace tallix::test
