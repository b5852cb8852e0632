#include "tokens/TokenPlainText.h"

#include "tokens/QXTokenTextMap.h"

#include <algorithm>
#include <tuple>

namespace {

WORD pieceKey(const CalcTextPiece& piece) { return WORD(piece.kind << 8 | piece.value); }

bool samePiece(const CalcTextPiece& a, const CalcTextPiece& b) { return a.kind == b.kind && a.value == b.value; }

static_assert(int(TokenTextPiece::kTyped) == int(CalcTextPiece::kTyped) &&
              int(TokenTextPiece::kCode) == int(CalcTextPiece::kCode) &&
              int(TokenTextPiece::kLineBreak) == int(CalcTextPiece::kLineBreak));

}  // namespace

CQXTokenPlainTextIndex::CQXTokenPlainTextIndex(const CQXTokenTextMap& map) {
  map.ForEachEntry([this](WORD word, const CQXTokenTextEntry& entry) {
    // The token's text as pasting it back reads it.
    bool complete = false;
    std::vector<CalcTextPiece> pieces = SplitCalcPlainText(CalcPlainText(entry.text), &complete);
    const bool beyondAscii = std::any_of(pieces.begin(), pieces.end(), [](const CalcTextPiece& p) {
      return p.kind == CalcTextPiece::kCode || (p.kind == CalcTextPiece::kTyped && p.value >= 0x80);
    });
    const bool lineBreak = std::any_of(pieces.begin(), pieces.end(),
                                       [](const CalcTextPiece& p) { return p.kind == CalcTextPiece::kLineBreak; });
    if (complete && beyondAscii && !lineBreak) texts_.push_back({std::move(pieces), word});
  });
  const auto order = [](const Text& t) {
    return std::make_tuple(-std::ptrdiff_t(t.pieces.size()), t.word & 0xFF, t.word >> 8);
  };
  std::sort(texts_.begin(), texts_.end(), [&](const Text& a, const Text& b) { return order(a) < order(b); });
  for (int i = 0; i < int(texts_.size()); ++i) byFirst_[pieceKey(texts_[size_t(i)].pieces.front())].push_back(i);
}

std::pair<WORD, std::size_t> CQXTokenPlainTextIndex::Match(const std::vector<CalcTextPiece>& pieces,
                                                           std::size_t at) const {
  const auto found = byFirst_.constFind(pieceKey(pieces[at]));
  if (found == byFirst_.cend()) return {0, 0};
  for (int i : *found) {
    const Text& t = texts_[size_t(i)];
    if (t.pieces.size() > pieces.size() - at) continue;
    if (std::equal(t.pieces.begin(), t.pieces.end(), pieces.begin() + std::ptrdiff_t(at), samePiece))
      return {t.word, t.pieces.size()};
  }
  return {0, 0};
}

std::vector<TokenTextPiece> SplitTokenPlainText(QStringView text, const CQXTokenTextMap* map, bool* complete) {
  const std::vector<CalcTextPiece> pieces = SplitCalcPlainText(text, complete);
  const CQXTokenPlainTextIndex* index = map ? &map->PlainTextIndex() : nullptr;
  std::vector<TokenTextPiece> out;
  out.reserve(pieces.size());
  for (std::size_t i = 0; i < pieces.size();) {
    if (index) {
      if (const auto [word, count] = index->Match(pieces, i); count > 0) {
        out.push_back({TokenTextPiece::kToken, word});
        i += count;
        continue;
      }
    }
    const CalcTextPiece& piece = pieces[i++];
    out.push_back({TokenTextPiece::Kind(piece.kind), piece.value});
  }
  return out;
}
