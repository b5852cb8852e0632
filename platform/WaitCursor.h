// CWaitCursor: the wait cursor for the lifetime of the object (when the
// program has a screen).
#pragma once

#include <QCursor>
#include <QGuiApplication>

class CWaitCursor {
 public:
  CWaitCursor() : shown_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (shown_) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  ~CWaitCursor() {
    if (shown_) QGuiApplication::restoreOverrideCursor();
  }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  bool shown_;
};
