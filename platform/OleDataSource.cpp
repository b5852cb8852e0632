#include "platform/OleDataSource.h"

#include "charset/Cp1252.h"

#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QWidget>

#include <string_view>

namespace {

DoDragDropHandler& dragHandler() {
  static DoDragDropHandler h;
  return h;
}

DROPEFFECT qtDrag(COleDataSource& source, DROPEFFECT allowed, QWidget* sourceWidget) {
  Qt::DropActions actions;
  if (allowed & DROPEFFECT_COPY) actions |= Qt::CopyAction;
  if (allowed & DROPEFFECT_MOVE) actions |= Qt::MoveAction;
  if (allowed & DROPEFFECT_LINK) actions |= Qt::LinkAction;
  // On the heap and never deleted here: Qt deletes the drag once the drop
  // is over, which on X11 is when the target has fetched the data, after
  // exec returned.
  auto* drag = new QDrag(sourceWidget ? static_cast<QObject*>(sourceWidget) : QGuiApplication::instance());
  drag->setMimeData(source.CreateMimeData());
  switch (drag->exec(actions)) {
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::MoveAction:
    case Qt::TargetMoveAction: return DROPEFFECT_MOVE;
    case Qt::LinkAction: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
  }
}

}  // namespace

void COleDataSource::CacheGlobalData(CLIPFORMAT format, QByteArray data) { cache_[format] = std::move(data); }

QMimeData* COleDataSource::CreateMimeData() const {
  auto* mime = new QMimeData;
  for (const auto& [format, bytes] : cache_) {
    if (format == CF_TEXT) {
      if (cache_.count(CF_UNICODETEXT)) continue;
      const std::string_view text(bytes.constData(), size_t(bytes.size()));
      mime->setText(tallix::textForOtherPrograms(tallix::fromCp1252(text.substr(0, text.find('\0')))));
      continue;
    }
    if (format == CF_UNICODETEXT) {
      mime->setText(tallix::textForOtherPrograms(tallix::textOfUnicodeData(bytes)));
      continue;
    }
    const QString type = tallix::clipboardFormatMimeType(format);
    if (!type.isEmpty()) mime->setData(type, bytes);
  }
  return mime;
}

void COleDataSource::SetClipboard() const {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setMimeData(CreateMimeData());
}

DROPEFFECT COleDataSource::DoDragDrop(DROPEFFECT allowedEffects, QWidget* source) {
  if (dragHandler()) return dragHandler()(*this, allowedEffects, source);
  return qtDrag(*this, allowedEffects, source);
}

DoDragDropHandler SetDoDragDropHandler(DoDragDropHandler handler) {
  DoDragDropHandler previous = std::move(dragHandler());
  dragHandler() = std::move(handler);
  return previous;
}
