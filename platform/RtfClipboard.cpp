// Rich text on the clipboard, beside the formats Qt's text edits offer.
#include "platform/RtfCodec.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace tallix {

void addRtfToMimeData(QMimeData& data, const QTextCursor& selection) {
  data.setData(QLatin1String(kRtfMimeType), writeRtf(selection));
}

bool canInsertRtf(const QMimeData& data) { return data.hasFormat(QLatin1String(kRtfMimeType)); }

bool insertRtfFromMimeData(const QMimeData& data, QTextCursor& cursor) {
  if (!canInsertRtf(data)) return false;
  QTextDocument pasted;
  if (const QTextDocument* target = cursor.document()) pasted.setDefaultFont(target->defaultFont());
  readRtf(data.data(QLatin1String(kRtfMimeType)), pasted);
  cursor.insertFragment(QTextDocumentFragment(&pasted));
  return true;
}

}  // namespace tallix
