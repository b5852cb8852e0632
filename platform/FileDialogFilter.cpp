#include "platform/FileDialogFilter.h"

namespace tallix {

std::vector<FileDialogFilterEntry> parseFileDialogFilter(const QString& windowsFilter) {
  QString normalised = windowsFilter;
  normalised.replace(QChar(u'\0'), QLatin1Char('|'));
  const QStringList parts = normalised.split(QLatin1Char('|'));
  std::vector<FileDialogFilterEntry> entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& text = parts[i];
    if (text.isEmpty() && parts[i + 1].isEmpty()) break;  // the closing "||"
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
      if (!pattern.trimmed().isEmpty()) patterns << pattern.trimmed();
    if (!patterns.isEmpty()) entries.push_back({text, patterns});
  }
  return entries;
}

QStringList fileDialogFilters(const QString& windowsFilter) {
  QStringList filters;
  for (const FileDialogFilterEntry& entry : parseFileDialogFilter(windowsFilter)) {
    QStringList patterns = entry.patterns;
    for (QString& pattern : patterns)
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    filters << entry.text + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

}  // namespace tallix
