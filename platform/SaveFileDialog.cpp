#include "platform/SaveFileDialog.h"

#include <QDir>
#include <QFileDialog>

namespace tallix {
namespace {

SaveFileHandler& handler() {
  static SaveFileHandler h;
  return h;
}

}  // namespace

bool GetSaveFilePath(const SaveFileRequest& request, QString* chosen) {
  if (handler()) return handler()(request, chosen);
  QString start = request.fileName;
  if (!request.initialDirectory.isEmpty() && !QDir::isAbsolutePath(start))
    start = QDir(request.initialDirectory).filePath(start);
  // QFileDialog asks before it lets an existing file be chosen.
  const QString path = QFileDialog::getSaveFileName(request.parent, QString(), start, request.filter);
  if (path.isEmpty()) return false;
  *chosen = path;
  return true;
}

SaveFileHandler SetSaveFileHandler(SaveFileHandler h) {
  SaveFileHandler previous = std::move(handler());
  handler() = std::move(h);
  return previous;
}

}  // namespace tallix
