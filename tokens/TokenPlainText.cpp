#include "tokens/TokenPlainText.h"

#include "charset/Cp1252.h"
#include "tokens/QXTokenTextMap.h"

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace {

std::uint32_t pieceKey(const CalcTextPiece& piece) { return std::uint32_t(piece.kind) << 16 | piece.value; }

bool samePiece(const CalcTextPiece& a, const CalcTextPiece& b) { return a.kind == b.kind && a.value == b.value; }

}  // namespace

struct CQXTokenPlainTextIndex::Texts {
  struct Text {
    std::vector<CalcTextPiece> pieces;
    WORD word;
  };
  std::vector<Text> texts;                          // longest first
  QHash<std::uint32_t, std::vector<int>> byFirst;  // texts by their first piece, in that order
};

CQXTokenPlainTextIndex::CQXTokenPlainTextIndex(const CQXTokenTextMap& map) {
  auto index = std::make_unique<Texts>();
  map.ForEachEntry([&](WORD word, const CQXTokenTextEntry& entry) {
    // The token's text as pasting it back reads it.
    bool complete = false;
    std::vector<CalcTextPiece> pieces = SplitCalcPlainText(CalcPlainText(entry.text), &complete);
    const bool beyondAscii = std::any_of(pieces.begin(), pieces.end(), [](const CalcTextPiece& p) {
      return p.kind == CalcTextPiece::kCode || (p.kind == CalcTextPiece::kTyped && p.value >= 0x80);
    });
    const bool lineBreak = std::any_of(pieces.begin(), pieces.end(),
                                       [](const CalcTextPiece& p) { return p.kind == CalcTextPiece::kLineBreak; });
    if (complete && beyondAscii && !lineBreak) index->texts.push_back({std::move(pieces), word});
  });
  const auto order = [](const Texts::Text& t) {
    return std::make_tuple(-std::ptrdiff_t(t.pieces.size()), t.word & 0xFF, t.word >> 8);
  };
  std::sort(index->texts.begin(), index->texts.end(),
            [&](const Texts::Text& a, const Texts::Text& b) { return order(a) < order(b); });
  for (int i = 0; i < int(index->texts.size()); ++i)
    index->byFirst[pieceKey(index->texts[size_t(i)].pieces.front())].push_back(i);
  texts_ = std::move(index);
}

CQXTokenPlainTextIndex::~CQXTokenPlainTextIndex() = default;

std::pair<WORD, std::size_t> CQXTokenPlainTextIndex::Match(const std::vector<CalcTextPiece>& pieces,
                                                           std::size_t at) const {
  const auto found = texts_->byFirst.constFind(pieceKey(pieces[at]));
  if (found == texts_->byFirst.cend()) return {0, 0};
  for (int i : *found) {
    const Texts::Text& t = texts_->texts[size_t(i)];
    if (t.pieces.size() > pieces.size() - at) continue;
    if (std::equal(t.pieces.begin(), t.pieces.end(), pieces.begin() + std::ptrdiff_t(at), samePiece))
      return {t.word, t.pieces.size()};
  }
  return {0, 0};
}

std::vector<CalcTextPiece> SplitTokenPlainText(QStringView text, const CQXTokenTextMap* map, bool* complete) {
  const std::vector<CalcTextPiece> pieces = SplitCalcPlainText(text, complete);
  const CQXTokenPlainTextIndex* index = map ? &map->PlainTextIndex() : nullptr;
  std::vector<CalcTextPiece> out;
  out.reserve(pieces.size());
  for (std::size_t i = 0; i < pieces.size();) {
    if (const auto [word, count] = index ? index->Match(pieces, i) : std::pair<WORD, std::size_t>(); count > 0) {
      out.push_back({CalcTextPiece::kToken, word});
      i += count;
      continue;
    }
    // Typographic punctuation that no token shows is the ASCII meant by it,
    // even where a code shows it ("…" is three points, as typing them gives).
    const CalcTextPiece& piece = pieces[i++];
    const char* plain = piece.kind == CalcTextPiece::kTyped && piece.value >= 0x80
                            ? TypographicAscii(tallix::cp1252ToUnicode(std::uint8_t(piece.value)).unicode())
                            : nullptr;
    if (!plain) out.push_back(piece);
    for (; plain && *plain; ++plain) out.push_back({CalcTextPiece::kTyped, std::uint16_t(*plain)});
  }
  return out;
}
