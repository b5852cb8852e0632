#include "classlib/InternetShortcut.h"

#include "services/MainFrameServices.h"
#include "platform/ByteOrder.h"
#include "platform/OleDataObject.h"

#include <algorithm>
#include <optional>

namespace {

constexpr qsizetype kDescriptorSize = 332;
constexpr qsizetype kSizeLowOffset = 4 + 68;
const char kShortcutMark[] = "[InternetShortcut]";

struct ShortcutData {
  QByteArray descriptor, contents;
};

// Both blocks, when they make a shortcut.
std::optional<ShortcutData> shortcutData(COleDataObject* data, CLIPFORMAT descriptorFormat, CLIPFORMAT contentsFormat) {
  if (!data) return std::nullopt;
  std::optional<QByteArray> descriptor = data->GetGlobalData(descriptorFormat);
  // A block too short for its count and one descriptor holds no shortcut.
  if (!descriptor || descriptor->size() < 4 + kDescriptorSize) return std::nullopt;
  if (GetLittleEndian32(reinterpret_cast<const BYTE*>(descriptor->constData())) == 0) return std::nullopt;
  std::optional<QByteArray> contents = data->GetGlobalData(contentsFormat);
  if (!contents || !contents->startsWith(kShortcutMark)) return std::nullopt;
  return ShortcutData{std::move(*descriptor), std::move(*contents)};
}

}  // namespace

CInternetShortcutReader::CInternetShortcutReader()
    : cfFileGroupDescriptor_(RegisterClipboardFormat("FileGroupDescriptor")),
      cfFileContents_(RegisterClipboardFormat("FileContents")) {}

BOOL CInternetShortcutReader::IsInternetShortcut(COleDataObject* data) {
  return shortcutData(data, CLIPFORMAT(cfFileGroupDescriptor_), CLIPFORMAT(cfFileContents_)).has_value();
}

BOOL CInternetShortcutReader::ReadUrl(COleDataObject* data) {
  url_.clear();
  const auto found = shortcutData(data, CLIPFORMAT(cfFileGroupDescriptor_), CLIPFORMAT(cfFileContents_));
  if (!found) return FALSE;
  // The descriptor's file size says how much of the contents is the file;
  // never more than the contents really hold. The text ends at a NUL.
  const DWORD sizeLow = GetLittleEndian32(reinterpret_cast<const BYTE*>(found->descriptor.constData()) + kSizeLowOffset);
  const std::string copy(found->contents.constData(), size_t(std::min<qint64>(sizeLow, found->contents.size())));
  const std::string text = copy.substr(0, copy.find('\0'));

  const size_t lf = text.find('\n');
  if (lf == std::string::npos) return FALSE;
  size_t from = lf + 1;
  if (from < text.size() && text[from] == '\r') ++from;
  const size_t eq = text.find('=', from);
  if (eq == std::string::npos) return FALSE;
  const size_t end = std::min(text.find('\n', eq + 1), text.size());
  // Without the CR of a CR LF line end (or of a text cut off behind its CR).
  size_t last = end;
  if (last > eq + 1 && text[last - 1] == '\r') --last;
  url_ = text.substr(eq + 1, last - (eq + 1));
  return !url_.empty();
}

BOOL CInternetShortcutReader::GetUrl(std::string& out) const {
  if (url_.empty()) return FALSE;
  out = url_;
  return TRUE;
}

BOOL IsUrlDropAcceptable(COleDataObject* data) {
  const CQXMainFrameServices* frame = GetMainFrameServices();
  if (!frame || !frame->IsMainWindowEnabled()) return FALSE;
  return CInternetShortcutReader().IsInternetShortcut(data);
}

DROPEFFECT CQXUrlDropTarget::OnDragEnter(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point) {
  if (IsUrlDropAcceptable(data)) return DROPEFFECT_COPY;
  return COleDropTarget::OnDragEnter(window, data, keyState, point);
}

DROPEFFECT CQXUrlDropTarget::OnDragOver(QWidget* window, COleDataObject* data, DWORD keyState, QPoint point) {
  if (IsUrlDropAcceptable(data)) return DROPEFFECT_COPY;
  return COleDropTarget::OnDragOver(window, data, keyState, point);
}

BOOL HandDroppedUrlToFrame(COleDataObject* data) {
  CInternetShortcutReader reader;
  std::string url;
  CQXMainFrameServices* frame = GetMainFrameServices();
  if (!frame || !reader.ReadUrl(data) || !reader.GetUrl(url)) return FALSE;
  frame->SetDroppedUrl(url);
  frame->PostFrameMessage(kFrameMsgOpenDroppedUrl);
  return TRUE;
}

BOOL CQXUrlDropTarget::OnDrop(QWidget* window, COleDataObject* data, DROPEFFECT dropEffect, QPoint point) {
  if (!HandDroppedUrlToFrame(data)) return FALSE;
  return COleDropTarget::OnDrop(window, data, dropEffect, point);
}
