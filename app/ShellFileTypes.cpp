// The document types on the desktop: CDocManagerEx's registration and its
// removal (see DocManagerEx.h).
#include "app/DocManagerEx.h"

#include "platform/AtomicFile.h"
#include "platform/DesktopMime.h"
#include "platform/DocTemplate.h"
#include "platform/LanguageLibrary.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>

namespace {

constexpr UINT kAppIcon = 128;
constexpr UINT kPrintPrompt = 57607;  // "...\nImprimer"
constexpr int kIconSize = 32;

// The desktop's names for one file-type id ("QXLWIN32.Document").
struct TypeFiles {
  QString mimeType;    // application/x-qxlwin32-document
  QString packageName; // QXLWIN32.Document.xml
  QString package;     // mime/packages/QXLWIN32.Document.xml
  QString entry;       // applications/QXLWIN32.desktop
  QString icon;        // icons/hicolor/32x32/apps/QXLWIN32.png
};

TypeFiles filesFor(const QString& id) {
  const QString program = id.section(QLatin1Char('.'), 0, 0);
  TypeFiles f;
  f.mimeType = QStringLiteral("application/x-") + id.toLower().replace(QLatin1Char('.'), QLatin1Char('-'));
  f.packageName = id + QStringLiteral(".xml");
  f.package = QStringLiteral("mime/packages/") + f.packageName;
  f.entry = QStringLiteral("applications/") + program + QStringLiteral(".desktop");
  f.icon = QStringLiteral("icons/hicolor/%1x%1/apps/").arg(kIconSize) + program + QStringLiteral(".png");
  return f;
}

QString underDataHome(const QString& relative) { return tallix::desktopDataHome() + QLatin1Char('/') + relative; }

// Writes `bytes` unless the file holds them already; false when it fails.
bool writeIfChanged(const QString& relative, const QByteArray& bytes, bool* changed) {
  const QString path = underDataHome(relative);
  QByteArray old;
  if (tallix::readWholeFile(path, &old) && old == bytes) return true;
  if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !tallix::writeFileAtomically(path, bytes)) return false;
  if (changed) *changed = true;
  return true;
}

QByteArray mimePackage(const TypeFiles& f, const QString& comment, const QStringList& globs) {
  QString xml = QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n");
  xml += QStringLiteral("  <mime-type type=\"%1\">\n").arg(f.mimeType);
  xml += QStringLiteral("    <comment>%1</comment>\n").arg(comment.toHtmlEscaped());
  for (const QString& glob : globs) xml += QStringLiteral("    <glob pattern=\"%1\"/>\n").arg(glob.toHtmlEscaped());
  xml += QStringLiteral("  </mime-type>\n</mime-info>\n");
  return xml.toUtf8();
}

QByteArray iconPng() {
  const QPixmap pixmap = CLanguageLibrary::LoadIcon(kAppIcon).pixmap(kIconSize, kIconSize);
  if (pixmap.isNull()) return {};
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  return pixmap.save(&buffer, "PNG") ? png : QByteArray();
}

QByteArray desktopEntry(const TypeFiles& f, const QString& name, const QString& iconPath, bool full) {
  const QString program = tallix::desktopExecArgument(QCoreApplication::applicationFilePath());
  QString entry = QStringLiteral("[Desktop Entry]\nType=Application\n");
  entry += QStringLiteral("Name=") + tallix::desktopEntryString(name) + QLatin1Char('\n');
  entry += QStringLiteral("Exec=") + program + QStringLiteral(" %f\n");
  entry += QStringLiteral("MimeType=") + f.mimeType + QStringLiteral(";\n");
  entry += QStringLiteral("NoDisplay=true\n");
  if (full) {
    entry += QStringLiteral("Icon=") + tallix::desktopEntryString(iconPath) + QLatin1Char('\n');
    entry += QStringLiteral("Actions=print;\n\n[Desktop Action print]\n");
    const QString print = CLanguageLibrary::LoadString(kPrintPrompt).section(QLatin1Char('\n'), 1, 1);
    entry += QStringLiteral("Name=") + tallix::desktopEntryString(print) + QLatin1Char('\n');
    entry += QStringLiteral("Exec=") + program + QStringLiteral(" /p %f\n");
  }
  return entry.toUtf8();
}

}  // namespace

BOOL UnregisterShellKey(const QString& relativePath) {
  const QString path = underDataHome(relativePath);
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink()) return TRUE;
  return QFile::remove(path) ? TRUE : FALSE;
}

void CDocManagerEx::RegisterShellFileTypes(BOOL full) {
  bool mimeChanged = false;
  for (CDocTemplate* t : GetDocTemplates()) {
    QString id, typeName, title, extensions;
    if (!t->GetDocString(id, CDocTemplate::regFileTypeId) || id.isEmpty()) continue;
    if (!t->GetDocString(typeName, CDocTemplate::regFileTypeName) || typeName.isEmpty()) typeName = id;
    t->GetDocString(title, CDocTemplate::windowTitle);
    t->GetDocString(extensions, CDocTemplate::filterExt);
    const TypeFiles f = filesFor(id);

    QStringList globs;
    for (const QString& ext : extensions.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QString glob = QStringLiteral("*") + ext;
      // A pattern another program's type has is left to it.
      if (tallix::mimeTypeOwningGlob(glob, f.mimeType, f.packageName).isEmpty()) globs << glob;
    }
    if (!writeIfChanged(f.package, mimePackage(f, typeName, globs), &mimeChanged)) continue;
    if (full) {
      const QByteArray png = iconPng();
      if (png.isEmpty() || !writeIfChanged(f.icon, png, nullptr)) continue;
    }
    writeIfChanged(f.entry, desktopEntry(f, title.isEmpty() ? typeName : title, underDataHome(f.icon), full),
                   nullptr);
  }
  if (mimeChanged) tallix::UpdateMimeDatabase(underDataHome(QStringLiteral("mime")));
}

void CDocManagerEx::UnregisterShellFileTypes() {
  bool mimeChanged = false;
  for (CDocTemplate* t : GetDocTemplates()) {
    QString id;
    if (!t->GetDocString(id, CDocTemplate::regFileTypeId) || id.isEmpty()) continue;
    const TypeFiles f = filesFor(id);
    mimeChanged = mimeChanged || QFileInfo::exists(underDataHome(f.package));
    UnregisterShellKey(f.entry);
    UnregisterShellKey(f.icon);
    UnregisterShellKey(f.package);
  }
  if (mimeChanged) tallix::UpdateMimeDatabase(underDataHome(QStringLiteral("mime")));
}
