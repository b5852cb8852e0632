#include "platform/HelpWindow.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

namespace {

QPointer<QTextBrowser>& helpWindow() {
  static QPointer<QTextBrowser> window;
  return window;
}

QString pagePath(const QString& name) { return QStringLiteral(":/lng/help/") + name + QStringLiteral(".html"); }

}  // namespace

QTextBrowser* GetHelpWindow() { return helpWindow().data(); }

BOOL ShowHelp(DWORD data, UINT command) {
  QPointer<QTextBrowser>& window = helpWindow();
  if (command == HELP_QUIT) {
    if (window) window->close();
    return TRUE;
  }
  if (command != HELP_CONTEXT && command != HELP_CONTENTS && command != HELP_FINDER) return FALSE;
  QString path = command == HELP_CONTEXT ? pagePath(QString::number(data, 16)) : QString();
  if (path.isEmpty() || !QFile::exists(path)) path = pagePath(QStringLiteral("index"));
  if (!QFile::exists(path)) return FALSE;

  QWidget* modal = QApplication::activeModalWidget();
  if (!window) {
    window = new QTextBrowser(modal);
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setOpenExternalLinks(true);
    window->resize(560, 420);
    QObject::connect(window, &QTextBrowser::sourceChanged, window,
                     [w = window.data()] { w->setWindowTitle(w->documentTitle()); });
  } else if (window->parentWidget() != modal) {
    window->setParent(modal, Qt::Window);
  }
  window->setSource(QUrl(QStringLiteral("qrc") + path));
  window->setWindowTitle(window->documentTitle());
  window->show();
  window->raise();
  window->activateWindow();
  return TRUE;
}
