#include "platform/OleDataObject.h"

#include "charset/Cp1252.h"
#include "platform/AtomicFile.h"
#include "platform/ByteOrder.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace {

// A larger file is no Internet shortcut.
constexpr std::uint64_t kMaxShortcutContents = 64 * 1024;
constexpr int kDescriptorSize = 332;
constexpr DWORD kFdFileSize = 0x40;
const char kShortcutMark[] = "[InternetShortcut]";

bool formatNamed(CLIPFORMAT format, const char* name) {
  return tallix::clipboardFormatName(format).compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

}  // namespace

COleDataObject::COleDataObject() = default;
COleDataObject::~COleDataObject() { Release(); }

void COleDataObject::Attach(const QMimeData* data, BOOL autoRelease) {
  Release();
  data_ = data;
  owned_ = data && autoRelease;
}

BOOL COleDataObject::AttachClipboard() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  Attach(data, FALSE);
  return data != nullptr;
}

void COleDataObject::Release() {
  if (owned_) delete data_;
  data_ = nullptr;
  owned_ = false;
  shortcutLooked_ = false;
  shortcut_.reset();
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT format) const {
  if (!data_) return FALSE;
  if (format == CF_TEXT || format == CF_UNICODETEXT) return data_->hasText();
  const QString mime = tallix::clipboardFormatMimeType(format);
  if (mime.isEmpty()) return FALSE;
  if (data_->hasFormat(mime)) return TRUE;
  return (formatNamed(format, "FileGroupDescriptor") || formatNamed(format, "FileContents")) && shortcutFile();
}

std::optional<QByteArray> COleDataObject::GetGlobalData(CLIPFORMAT format) const {
  if (!IsDataAvailable(format)) return std::nullopt;
  if (format == CF_TEXT) {
    const std::string bytes = tallix::toCp1252(data_->text());
    return QByteArray(bytes.c_str(), qsizetype(bytes.size()) + 1);
  }
  if (format == CF_UNICODETEXT) return tallix::unicodeTextData(data_->text());
  const QString mime = tallix::clipboardFormatMimeType(format);
  if (data_->hasFormat(mime)) return data_->data(mime);
  const ShortcutFile* file = shortcutFile();
  return formatNamed(format, "FileGroupDescriptor") ? file->descriptor : file->contents;
}

const COleDataObject::ShortcutFile* COleDataObject::shortcutFile() const {
  if (shortcutLooked_) return shortcut_.get();
  shortcutLooked_ = true;
  if (!data_ || !data_->hasUrls()) return nullptr;
  const QList<QUrl> urls = data_->urls();
  if (urls.size() != 1 || !urls[0].isLocalFile()) return nullptr;
  const QString path = urls[0].toLocalFile();
  QByteArray contents;
  if (!tallix::readWholeFile(path, &contents, kMaxShortcutContents) || !contents.startsWith(kShortcutMark))
    return nullptr;

  auto found = std::make_unique<ShortcutFile>();
  found->contents = contents;
  QByteArray& block = found->descriptor;
  block.fill('\0', 4 + kDescriptorSize);
  BYTE* p = reinterpret_cast<BYTE*>(block.data());
  PutLittleEndian32(p, 1);
  BYTE* d = p + 4;
  PutLittleEndian32(d, kFdFileSize);
  const quint64 size = quint64(contents.size());
  PutLittleEndian32(d + 64, DWORD(size >> 32));
  PutLittleEndian32(d + 68, DWORD(size));
  const QByteArray name = QFile::encodeName(QFileInfo(path).fileName()).left(259);
  std::memcpy(d + 72, name.constData(), size_t(name.size()));
  shortcut_ = std::move(found);
  return shortcut_.get();
}
