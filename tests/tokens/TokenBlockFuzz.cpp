// Fuzz target of the token clipboard's reader: the first byte picks the
// formats asked for, the rest is offered as the bytes block, as the words
// block and as text. A block is taken only when its length field fits what
// it holds, and then gives exactly that many bytes. The rest read as UTF-16
// plain text splits into pieces of what typing it gives, at most three
// pieces a character (the ellipsis), each a character code or a line break;
// split into tokens of a map, it gives the same pieces with the texts of
// tokens found whole in their place, typographic punctuation outside them as
// the ASCII meant.
#include "charset/CalcCharset.h"
#include "charset/Cp1252.h"
#include "platform/OleDataObject.h"
#include "platform/OleDataSource.h"
#include "tokens/QXTokenTextMap.h"
#include "tokens/TokenClipboard.h"
#include "tokens/TokenPlainText.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// `pieces` with typographic punctuation as the ASCII meant by it.
std::vector<CalcTextPiece> plainPunctuation(const std::vector<CalcTextPiece>& pieces) {
  std::vector<CalcTextPiece> out;
  for (const CalcTextPiece& piece : pieces) {
    const char* plain = piece.kind == CalcTextPiece::kTyped
                            ? TypographicAscii(tallix::cp1252ToUnicode(std::uint8_t(piece.value)).unicode())
                            : nullptr;
    if (!plain) out.push_back(piece);
    for (; plain && *plain; ++plain) out.push_back({CalcTextPiece::kTyped, std::uint16_t(*plain)});
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static int argc = 1;
  static char name[] = "token_block_fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  if (size == 0) return 0;
  const UINT bits = data[0] & 7;
  const QByteArray block(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

  const std::optional<QByteArray> read = ReadTokenBlock(block);
  if (read) {
    check(block.size() >= kTokenBlockHeaderSize);
    check(read->size() <= block.size() - kTokenBlockHeaderSize);
    check(*read == block.mid(kTokenBlockHeaderSize, read->size()));
    check(ReadTokenBlock(MakeTokenBlock(1, read->constData(), int(read->size()))) == read);
  } else {
    check(block.size() < kTokenBlockHeaderSize || (data[5] | data[6] << 8 | data[7] << 16 | std::uint32_t(data[8]) << 24) >
                                                        std::uint32_t(block.size() - kTokenBlockHeaderSize));
  }

  COleDataSource source;
  source.CacheGlobalData(GetTokenBytesFormat(), block);
  source.CacheGlobalData(GetTokenWordsFormat(), block);
  source.CacheGlobalData(CF_TEXT, block + '\0');
  COleDataObject object;
  object.Attach(source.CreateMimeData());
  const std::optional<TokenClipData> found = ReadTokenClipData(object, bits);
  if (bits & 1) check(!read || (found && found->format == 1 && found->bytes == *read));
  if (!read && !(bits & 4)) check(!found);

  COleDataSource plain;
  plain.CacheGlobalData(CF_UNICODETEXT, block);
  COleDataObject text;
  text.Attach(plain.CreateMimeData());
  const std::optional<TokenClipData> typed = ReadTokenClipData(text, 4);
  check(typed && typed->format == 4 && typed->text.size() <= block.size() / 2);
  bool complete = false;
  const std::vector<CalcTextPiece> pieces = SplitCalcPlainText(typed->text, &complete);
  const bool allRead = complete;
  check(qsizetype(pieces.size()) <= 3 * typed->text.size());
  for (const CalcTextPiece& piece : pieces) {
    check(piece.kind == CalcTextPiece::kTyped || piece.kind == CalcTextPiece::kCode ||
          piece.kind == CalcTextPiece::kLineBreak);
    check(piece.value <= 0xFF && (piece.kind != CalcTextPiece::kLineBreak || piece.value == 0));
  }
  // The calculator signs found come back as the same codes from the text
  // the program writes for them.
  std::string codes;
  for (const CalcTextPiece& piece : pieces)
    if (piece.kind == CalcTextPiece::kCode) codes.push_back(char(piece.value));
  const std::vector<CalcTextPiece> again = SplitCalcPlainText(CalcPlainText(codes), &complete);
  check(complete && again.size() == codes.size());
  for (size_t i = 0; i < again.size(); ++i)
    check(again[i].kind == CalcTextPiece::kCode && again[i].value == BYTE(codes[i]));

  // Tokens whose texts begin alike and hold signs, and one of ASCII only.
  static const CQXTokenTextMap& map = *[] {
    auto* m = new CQXTokenTextMap;
    const char* texts[] = {"\x9Fx", "\x9Fx\x8B", "x\xC4n", "x\xC4n\x99\x31", "\x8D(", "G\xFAT", "\xCE", "\xB5",
                           "sin\x9B ", "sin ", "\xDE", "\x93\xCE\x94"};
    UINT token = 0x80;
    for (const char* t : texts) m->SetTokenText(0, token++, t);
    m->SetTokenText(0x7F, 0x53, "\x1D");
    return m;
  }();
  bool whole = false;
  std::vector<CalcTextPiece> expanded;
  for (const CalcTextPiece& piece : SplitTokenPlainText(typed->text, &map, &whole)) {
    if (piece.kind != CalcTextPiece::kToken) {
      check(piece.value <= 0xFF);
      expanded.push_back(piece);
      continue;
    }
    const CQXTokenTextEntry* entry = map.Lookup(piece.value);
    check(entry != nullptr);
    for (const CalcTextPiece& p : SplitCalcPlainText(CalcPlainText(entry->text))) expanded.push_back(p);
  }
  const std::vector<CalcTextPiece> ascii = plainPunctuation(pieces);
  expanded = plainPunctuation(expanded);
  check(whole == allRead && expanded.size() == ascii.size());
  for (size_t i = 0; i < ascii.size(); ++i)
    check(expanded[i].kind == ascii[i].kind && expanded[i].value == ascii[i].value);
  return 0;
}
