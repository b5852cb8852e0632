#include "platform/DesktopMime.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QProcess>
#include <QXmlStreamReader>

namespace tallix {
namespace {

MimeDatabaseUpdater& updater() {
  static MimeDatabaseUpdater u;
  return u;
}

// The largest file of the MIME database read.
constexpr std::uint64_t kMaxMimeFileSize = std::uint64_t(16) << 20;

QByteArray readAll(const QString& path) {
  QByteArray bytes;
  readWholeFile(path, &bytes, kMaxMimeFileSize);
  return bytes;
}

QStringList systemDataDirs() {
  QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
  if (dirs.isEmpty()) dirs = QStringLiteral("/usr/local/share/:/usr/share/");
  return dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

}  // namespace

QString desktopDataHome() {
  const QString home = qEnvironmentVariable("XDG_DATA_HOME");
  if (!home.isEmpty() && QDir::isAbsolutePath(home)) return QDir::cleanPath(home);
  return QDir::homePath() + QStringLiteral("/.local/share");
}

std::vector<MimeGlob> readMimeGlobList(const QByteArray& text) {
  std::vector<MimeGlob> globs;
  for (const QByteArray& line : text.split('\n')) {
    if (line.isEmpty() || line.startsWith('#')) continue;
    const QList<QByteArray> fields = line.split(':');
    if (fields.size() < 3 || fields[1].isEmpty() || fields[2].isEmpty()) continue;
    const bool cs = fields.size() > 3 && fields[3].split(',').contains("cs");
    globs.push_back({QString::fromUtf8(fields[1]), QString::fromUtf8(fields[2]), cs});
  }
  return globs;
}

std::vector<MimeGlob> readMimePackage(const QByteArray& xml) {
  std::vector<MimeGlob> globs;
  QXmlStreamReader reader(xml);
  QString type;
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement) continue;
    if (reader.name() == QLatin1String("mime-type")) {
      type = reader.attributes().value(QLatin1String("type")).toString();
    } else if (reader.name() == QLatin1String("glob") && !type.isEmpty()) {
      const QString pattern = reader.attributes().value(QLatin1String("pattern")).toString();
      const bool cs = reader.attributes().value(QLatin1String("case-sensitive")) == QLatin1String("true");
      if (!pattern.isEmpty()) globs.push_back({type, pattern, cs});
    }
  }
  return globs;
}

QString mimeTypeOwningGlob(const QString& pattern, const QString& except, const QString& ownPackage) {
  auto owner = [&](const std::vector<MimeGlob>& globs) -> QString {
    for (const MimeGlob& g : globs)
      if (g.type != except &&
          g.pattern.compare(pattern, g.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0)
        return g.type;
    return {};
  };
  const QString home = desktopDataHome();
  const QDir packages(home + QStringLiteral("/mime/packages"));
  for (const QString& name : packages.entryList({QStringLiteral("*.xml")}, QDir::Files)) {
    if (name == ownPackage) continue;
    if (QString t = owner(readMimePackage(readAll(packages.filePath(name)))); !t.isEmpty()) return t;
  }
  QStringList dirs{home};
  dirs += systemDataDirs();
  for (const QString& dir : dirs)
    if (QString t = owner(readMimeGlobList(readAll(dir + QStringLiteral("/mime/globs2")))); !t.isEmpty()) return t;
  return {};
}

bool UpdateMimeDatabase(const QString& mimeDir) {
  if (updater()) return updater()(mimeDir);
  QProcess process;
  process.setProgram(QStringLiteral("update-mime-database"));
  process.setArguments({mimeDir});
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  return process.startDetached();
}

MimeDatabaseUpdater SetMimeDatabaseUpdater(MimeDatabaseUpdater u) {
  MimeDatabaseUpdater previous = std::move(updater());
  updater() = std::move(u);
  return previous;
}

QString desktopEntryString(const QString& text) {
  QString out;
  for (QChar c : text) {
    switch (c.unicode()) {
      case u'\\': out += QStringLiteral("\\\\"); break;
      case u'\n': out += QStringLiteral("\\n"); break;
      case u'\t': out += QStringLiteral("\\t"); break;
      case u'\r': out += QStringLiteral("\\r"); break;
      default: out += c;
    }
  }
  return out;
}

QString desktopExecArgument(const QString& argument) {
  static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  bool quote = argument.isEmpty();
  for (QChar c : argument) quote = quote || reserved.contains(c);
  QString arg;
  if (quote) {
    arg += QLatin1Char('"');
    for (QChar c : argument) {
      if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') arg += QLatin1Char('\\');
      arg += c;
    }
    arg += QLatin1Char('"');
  } else {
    arg = argument;
  }
  arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
  return desktopEntryString(arg);
}

}  // namespace tallix
