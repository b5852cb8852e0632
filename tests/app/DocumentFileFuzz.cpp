// Fuzz target of opening a document file: whatever the bytes, the open
// either succeeds or fails with its message, and the document stays usable
// (it can be made new again). No window is involved; the tree's filling is
// the tree tests' part.
#include "app/QXDoc.h"
#include "platform/MessageBox.h"

#include <QFile>
#include <QString>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    SetMessageBoxHandler([](const MessageBoxRequest&) { return IDOK; });
    return std::freopen("/dev/null", "w", stdout) != nullptr;
  }();
  (void)quiet;
  static const QString path = QStringLiteral("/tmp/tallix-docfuzz-%1.qxd").arg(getpid());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
  file.write(reinterpret_cast<const char*>(data), qint64(size));
  file.close();
  CQXDoc doc;
  doc.OpenDocumentFile(path);
  QFile::remove(path);
  return 0;
}
