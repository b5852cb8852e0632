#include "Satellite.h"

#include "platform/OutsideFile.h"
#include "platform/ResourceData.h"
#include "platform/StringTableText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QResource>
#include <QUiLoader>
#include <QWidget>

#include <dlfcn.h>

namespace fetchwell {
namespace {

const QString kRoot = QStringLiteral(":/fetchwell/");
// The largest satellite read.
constexpr std::uint64_t kMaxSatelliteSize = std::uint64_t(16) << 20;

// The directory this library was loaded from.
QString libraryDirectory() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&libraryDirectory), &info) || !info.dli_fname) return {};
  return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
}

}  // namespace

Satellite::Satellite() {
  const QString path = QDir(libraryDirectory()).filePath(QStringLiteral("Fetchwell.lng"));
  if (!tallix::readOutsideFile(QFile::encodeName(path).constData(), kMaxSatelliteSize, &data_) ||
      !tallix::isSoundResourceData(data_) || !QResource::registerResource(reinterpret_cast<const uchar*>(data_.constData())))
    return;
  file_ = path;
  const QDir dir(kRoot + QStringLiteral("strings"));
  for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::ReadOnly)) tallix::parseStringTable(f.readAll(), strings_);
  }
}

Satellite::~Satellite() {
  if (!file_.isEmpty()) QResource::unregisterResource(reinterpret_cast<const uchar*>(data_.constData()));
}

QString Satellite::string(unsigned id) const {
  const auto it = strings_.find(id);
  return it == strings_.end() ? QString() : it->second;
}

QString Satellite::format(unsigned id, const QString& a1, const QString& a2) const {
  return tallix::fillPlaceholders(string(id), a1, a2);
}

QString Satellite::findFile(const QString& folder, unsigned id) const {
  const QDir dir(kRoot + folder);
  const QString prefix = QString::number(id);
  for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
    if (name.startsWith(prefix) && (name.size() == prefix.size() || !name[prefix.size()].isDigit()))
      return dir.filePath(name);
  }
  return {};
}

QWidget* Satellite::loadDialog(unsigned id, QWidget* parent) const {
  QFile file(findFile(QStringLiteral("dialogs"), id));
  if (!file.open(QIODevice::ReadOnly)) return nullptr;
  QUiLoader loader;
  return loader.load(&file, parent);
}

QString Satellite::animationPath(unsigned id) const { return findFile(QStringLiteral("animations"), id); }

}  // namespace fetchwell
