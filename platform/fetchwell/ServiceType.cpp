#include "ServiceType.h"

#include <QStringList>
#include <QUrl>

namespace fetchwell {

ServiceType serviceTypeOf(const QString& address) {
  const QString text = address.trimmed();
  if (text.isEmpty()) return kNoService;
  const QUrl url(text, QUrl::StrictMode);
  if (!url.isValid()) return kNoService;
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("mailto")) return url.path().isEmpty() ? kNoService : kOpenAsIs;
  if (scheme == QLatin1String("ftp")) return url.host().isEmpty() ? kNoService : kOpenAsIs;
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return kNoService;
  if (url.host().isEmpty()) return kNoService;

  const QString path = url.path();
  const QString segment = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
  const qsizetype dot = segment.lastIndexOf(QLatin1Char('.'));
  if (dot <= 0 || dot == segment.size() - 1) return kOpenAsIs;
  static const QStringList pages = {QStringLiteral("htm"), QStringLiteral("html"), QStringLiteral("php"),
                                    QStringLiteral("asp"), QStringLiteral("aspx"), QStringLiteral("jsp")};
  return pages.contains(segment.mid(dot + 1), Qt::CaseInsensitive) ? kOpenAsIs : kHttpFile;
}

}  // namespace fetchwell
