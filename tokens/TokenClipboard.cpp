#include "tokens/TokenClipboard.h"

#include "platform/ByteOrder.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"

#include <algorithm>

namespace {

struct Formats {
  CLIPFORMAT bytes = 0, words = 0, tree = 0;
};

Formats& formats() {
  static Formats f;
  return f;
}

const Formats& registered() {
  if (formats().bytes == 0) RegisterTokenClipboardFormats();
  return formats();
}

}  // namespace

void RegisterTokenClipboardFormats() {
  Formats& f = formats();
  f.bytes = CLIPFORMAT(RegisterClipboardFormat("OrvoTokenEditorFmt"));
  f.words = CLIPFORMAT(RegisterClipboardFormat("OrvoTokenEditorFmtIDs"));
  f.tree = CLIPFORMAT(RegisterClipboardFormat("QX TreeCmd Data"));
}

CLIPFORMAT GetTokenBytesFormat() { return registered().bytes; }
CLIPFORMAT GetTokenWordsFormat() { return registered().words; }
CLIPFORMAT GetTreeCmdFormat() { return registered().tree; }

QByteArray MakeTokenBlock(UINT kind, const char* data, int length) {
  QByteArray block(kTokenBlockHeaderSize + length, '\0');
  auto* p = reinterpret_cast<BYTE*>(block.data());
  PutLittleEndian32(p, kind);
  PutLittleEndian32(p + 4, DWORD(length));
  if (length > 0) std::copy(data, data + length, block.data() + kTokenBlockHeaderSize);
  return block;
}

std::optional<QByteArray> ReadTokenBlock(const QByteArray& block) {
  if (block.size() < kTokenBlockHeaderSize) return std::nullopt;
  const DWORD length = GetLittleEndian32(reinterpret_cast<const BYTE*>(block.constData()) + 4);
  if (length > DWORD(block.size() - kTokenBlockHeaderSize)) return std::nullopt;
  return block.mid(kTokenBlockHeaderSize, qsizetype(length));
}

std::optional<TokenClipData> ReadTokenClipData(const COleDataObject& data, UINT bits) {
  if (bits & 1)
    if (auto block = data.GetGlobalData(GetTokenBytesFormat()))
      if (auto bytes = ReadTokenBlock(*block)) return TokenClipData{*bytes, 1, {}};
  if (bits & 2)
    if (auto block = data.GetGlobalData(GetTokenWordsFormat()))
      if (auto words = ReadTokenBlock(*block)) return TokenClipData{*words, 2, {}};
  if (bits & 4)
    if (auto text = data.GetGlobalData(CF_UNICODETEXT)) return TokenClipData{{}, 4, tallix::textOfUnicodeData(*text)};
  return std::nullopt;
}

BOOL RenderTokenDragData(COleDataSource* source, const BYTE* data, int length, UINT bits) {
  if (!source || !(bits & 1) || length < 0 || (length > 0 && !data)) return FALSE;
  source->CacheGlobalData(GetTokenBytesFormat(), MakeTokenBlock(bits, reinterpret_cast<const char*>(data), length));
  return TRUE;
}

BOOL DragTokensOut(const BYTE* data, int length, QWidget* sourceWidget) {
  COleDataSource source;
  if (!RenderTokenDragData(&source, data, length, 1)) return FALSE;
  return source.DoDragDrop(DROPEFFECT_MOVE | DROPEFFECT_SCROLL, sourceWidget) != DROPEFFECT_NONE;
}
