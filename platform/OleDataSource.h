// The giving side of the clipboard and of drag and drop: a data source that
// caches one block of bytes per format (see ClipboardFormats.h for how
// formats map onto Qt's MIME data).
#pragma once

#include "platform/ClipboardFormats.h"
#include "platform/OleDropTarget.h"

#include <QByteArray>

#include <functional>
#include <map>

class QMimeData;
class QWidget;

class COleDataSource {
 public:
  COleDataSource() = default;
  virtual ~COleDataSource() = default;

  // Keeps `data` under `format`, replacing what was cached there. CF_TEXT is
  // 8-bit text; it ends at its first NUL. CF_UNICODETEXT (see
  // ClipboardFormats.h) is the text when both are cached.
  void CacheGlobalData(CLIPFORMAT format, QByteArray data);
  void Empty() { cache_.clear(); }
  BOOL IsEmpty() const { return cache_.empty(); }

  // A new MIME data holding every cached format; the caller owns it.
  QMimeData* CreateMimeData() const;
  // Puts a copy of the cached data on the system clipboard. The caller keeps
  // the data source (delete it, or let it go out of scope, as usual).
  void SetClipboard() const;
  // Runs the drag loop with the allowed effects; the effect the drop target
  // chose, or DROPEFFECT_NONE when nothing was dropped. Goes through the
  // drag handler (below), so that tests can stand in for the user.
  DROPEFFECT DoDragDrop(DROPEFFECT allowedEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK,
                        QWidget* source = nullptr);

 private:
  std::map<CLIPFORMAT, QByteArray> cache_;
};

// The one seam of the drag loop: tests replace it (null restores Qt's own
// drag loop, QDrag::exec). Returns the previous handler.
using DoDragDropHandler = std::function<DROPEFFECT(COleDataSource& source, DROPEFFECT allowed, QWidget* sourceWidget)>;
DoDragDropHandler SetDoDragDropHandler(DoDragDropHandler handler);
