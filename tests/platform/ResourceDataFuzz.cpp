// Fuzz target of the check of resource files: bytes the check accepts are
// registered with Qt and every entry they hold is listed and read, which
// must never read past them (the address sanitizer watches; the bytes are a
// copy of their own, so a read past their end is caught). Entries of one
// folder may share a name, so each path is walked once.
#include "platform/ResourceData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QResource>
#include <QSet>
#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  if (!tallix::isSoundResourceData(bytes)) return 0;
  const auto* root = reinterpret_cast<const uchar*>(bytes.constData());
  const QString place = QStringLiteral("/fuzz");
  if (!QResource::registerResource(root, place)) return 0;
  QStringList folders{QStringLiteral(":/fuzz")};
  QSet<QString> seen;
  while (!folders.isEmpty()) {
    const QDir dir(folders.takeLast());
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
      const QString path = dir.filePath(name);
      if (seen.contains(path)) continue;
      seen.insert(path);
      if (QFileInfo(path).isDir()) {
        folders << path;
      } else if (QFile file(path); file.open(QIODevice::ReadOnly)) {
        (void)file.readAll();
      }
    }
  }
  QResource::unregisterResource(root, place);
  return 0;
}
