// Rich text on the clipboard, beside the formats Qt's text edits offer.
#include "platform/ClipboardFormats.h"
#include "platform/RtfCodec.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>

namespace tallix {
namespace {

// The MIME types rich text travels under, the preferred one first.
QStringList rtfMimeTypes() {
  return {QLatin1String(kRtfMimeType), clipboardFormatMimeType(CLIPFORMAT(RegisterClipboardFormat(kRtfFormatName)))};
}

}  // namespace

void addRtfToMimeData(QMimeData& data, const QTextCursor& selection) {
  const QByteArray rtf = writeRtf(selection);
  for (const QString& type : rtfMimeTypes()) data.setData(type, rtf);
}

bool canInsertRtf(const QMimeData& data) {
  const QStringList types = rtfMimeTypes();
  return std::any_of(types.begin(), types.end(), [&](const QString& type) { return data.hasFormat(type); });
}

bool insertRtfFromMimeData(const QMimeData& data, QTextCursor& cursor) {
  for (const QString& type : rtfMimeTypes()) {
    if (!data.hasFormat(type)) continue;
    QTextDocument pasted;
    if (const QTextDocument* target = cursor.document()) pasted.setDefaultFont(target->defaultFont());
    readRtf(data.data(type), pasted);
    cursor.insertFragment(QTextDocumentFragment(&pasted));
    return true;
  }
  return false;
}

}  // namespace tallix
