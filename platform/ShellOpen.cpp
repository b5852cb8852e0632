#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace tallix {
namespace {

ShellOpenHandler& handler() {
  static ShellOpenHandler h;
  return h;
}

// A scheme of two letters or more; a local path has none.
QUrl urlOf(const QString& target) {
  const QUrl url(target, QUrl::StrictMode);
  if (url.isValid() && url.scheme().size() > 1 && !QDir::isAbsolutePath(target)) return url;
  return QUrl::fromLocalFile(target);
}

}  // namespace

bool ShellOpen(const QString& target) {
  if (target.isEmpty()) return false;
  if (handler()) return handler()(target);
  return QDesktopServices::openUrl(urlOf(target));
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler h) {
  ShellOpenHandler previous = std::move(handler());
  handler() = std::move(h);
  return previous;
}

}  // namespace tallix
