#include "platform/FileDialogFilter.h"

namespace tallix {

QStringList fileDialogFilters(const QString& windowsFilter) {
  const QStringList parts = windowsFilter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& text = parts[i];
    if (text.isEmpty() && parts[i + 1].isEmpty()) break;  // the closing "||"
    QStringList patterns;
    for (QString pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      pattern = pattern.trimmed();
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
      if (!pattern.isEmpty()) patterns << pattern;
    }
    if (patterns.isEmpty()) continue;
    filters << text + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

}  // namespace tallix
