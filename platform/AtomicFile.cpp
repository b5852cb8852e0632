#include "platform/AtomicFile.h"

#include "platform/OutsideFile.h"

#include <QFile>
#include <QSaveFile>

namespace tallix {

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error) {
  QSaveFile file(path);
  // Unbuffered: a buffered write that fails only when the file is committed
  // would not stop the commit, and a short file would replace the old one.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    if (error) *error = file.errorString();
    return false;
  }
  if (file.write(data) != data.size()) {
    if (error) *error = file.errorString();
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

bool readWholeFile(const QString& path, QByteArray* data, std::uint64_t bound) {
  return readOutsideFile(QFile::encodeName(path).constData(), bound, data);
}

QString filePathFromBytes(const char* path) { return path ? QFile::decodeName(path) : QString(); }

}  // namespace tallix
