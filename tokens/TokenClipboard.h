// The token clipboard: the formats tokens travel in between editors, lists
// and running programs, and the drag with which the command and macro
// controls offer calculator bytes to a token editor.
//
// A token block (under "OrvoTokenEditorFmt" and "OrvoTokenEditorFmtIDs"):
//   0   4  kind: 1 calculator bytes, 2 token words (a drag block holds the
//          format bits it was made with)
//   4   4  data length in bytes
//   8  32  zero
//  40   n  the data
// all numbers little-endian. A reader takes the format from the clipboard
// format it found the block under, never from the kind. The plain text
// (CF_UNICODETEXT, which other programs also see as CF_TEXT) carries the
// token texts as the calculator shows them (CalcPlainText), line breaks as
// CR LF (LF in the plain text other programs get).
#pragma once

#include "platform/ClipboardFormats.h"
#include "platform/OleDropTarget.h"

#include <QByteArray>
#include <QString>

#include <optional>

class COleDataObject;
class COleDataSource;

inline constexpr int kTokenBlockHeaderSize = 40;

// Registers "OrvoTokenEditorFmt", "OrvoTokenEditorFmtIDs" and "QX TreeCmd
// Data" (once per run; the getters register them when asked first).
void RegisterTokenClipboardFormats();
CLIPFORMAT GetTokenBytesFormat();
CLIPFORMAT GetTokenWordsFormat();
CLIPFORMAT GetTreeCmdFormat();

QByteArray MakeTokenBlock(UINT kind, const char* data, int length);
// The data of a block; nothing for a block shorter than its header or one
// whose length field claims more than the block holds, so that a damaged
// block counts as absent.
std::optional<QByteArray> ReadTokenBlock(const QByteArray& block);

// Tokens found on the clipboard or in a drop: the data and its exchange
// format (1 bytes, 2 words), or for format 4 the plain text.
struct TokenClipData {
  QByteArray bytes;
  UINT format = 0;
  QString text;
};
// The first usable format of `bits` that `data` offers, in the order bytes
// block, words block, plain text; a damaged block counts as absent.
std::optional<TokenClipData> ReadTokenClipData(const COleDataObject& data, UINT bits);

// Caches a block of `length` calculator bytes under "OrvoTokenEditorFmt",
// kind `bits`; FALSE for bits without 1.
BOOL RenderTokenDragData(COleDataSource* source, const BYTE* data, int length, UINT bits);
// Offers calculator bytes for dropping (move only); TRUE when they were
// dropped.
BOOL DragTokensOut(const BYTE* data, int length, QWidget* sourceWidget = nullptr);
