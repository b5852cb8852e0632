#include "platform/ClipboardFormats.h"

#include <mutex>
#include <vector>

namespace {

constexpr UINT kFirstRegistered = 0xC000;

std::mutex& tableMutex() {
  static std::mutex m;
  return m;
}
std::vector<QString>& names() {
  static std::vector<QString> v;
  return v;
}

}  // namespace

UINT RegisterClipboardFormat(const char* name) {
  if (!name || !*name) return 0;
  const QString wanted = QString::fromLatin1(name);
  std::lock_guard lock(tableMutex());
  auto& table = names();
  for (size_t i = 0; i < table.size(); ++i)
    if (table[i].compare(wanted, Qt::CaseInsensitive) == 0) return kFirstRegistered + UINT(i);
  if (table.size() >= 0x4000) return 0;  // the platform's range is full
  table.push_back(wanted);
  return kFirstRegistered + UINT(table.size() - 1);
}

namespace tallix {

QString textForOtherPrograms(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

QByteArray unicodeTextData(const QString& text) {
  QByteArray data;
  data.reserve(2 * (text.size() + 1));
  for (QChar ch : text) {
    data.append(char(ch.unicode() & 0xFF));
    data.append(char(ch.unicode() >> 8));
  }
  data.append(2, '\0');
  return data;
}

QString textOfUnicodeData(const QByteArray& data) {
  QString text;
  for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
    const char16_t unit = char16_t(uchar(data[i]) | uchar(data[i + 1]) << 8);
    if (unit == 0) break;
    text.append(QChar(unit));
  }
  return text;
}

QString clipboardFormatName(CLIPFORMAT format) {
  if (format < kFirstRegistered) return {};
  std::lock_guard lock(tableMutex());
  const size_t index = format - kFirstRegistered;
  return index < names().size() ? names()[index] : QString();
}

QString clipboardFormatMimeType(CLIPFORMAT format) {
  const QString name = clipboardFormatName(format);
  if (name.isEmpty()) return {};
  return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(name);
}

}  // namespace tallix
