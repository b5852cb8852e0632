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
