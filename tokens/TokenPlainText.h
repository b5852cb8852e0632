// Text from other programs as tokens: the token editor's paste and drops of
// plain text. The characters go as SplitCalcPlainText (charset/CalcCharset.h)
// reads them; the tokens whose text, as the program gives it to other
// programs (CalcPlainText), holds a character outside ASCII come back whole,
// so that "Σx²", "∫(", "xσn" or "G↔T" copied out of a program go in as the
// one token each was, never as the token of their first sign.
#pragma once

#include "charset/CalcCharset.h"
#include "platform/WinTypes.h"

#include <QStringView>

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

class CQXTokenTextMap;

// Splits `text` as SplitCalcPlainText does, then takes every stretch that is
// the text of a token of `map` holding a character outside ASCII as that
// token (a piece of kind kToken), the longest text first at each place (on
// equal texts the one-byte token, then the lowest lead and token byte).
// Tokens whose text is ASCII ("sin ", "an+1") are not looked for: their
// characters are typed one by one. Typographic punctuation where no token
// begins is the ASCII meant by it (TypographicAscii), also where a code shows
// it. A null map finds no token. `complete` as for SplitCalcPlainText.
std::vector<CalcTextPiece> SplitTokenPlainText(QStringView text, const CQXTokenTextMap* map,
                                               bool* complete = nullptr);

// The texts SplitTokenPlainText looks for in a map, as the pieces that
// SplitCalcPlainText reads them as. A map keeps its own
// (CQXTokenTextMap::PlainTextIndex) and makes it again after a change.
class CQXTokenPlainTextIndex {
 public:
  explicit CQXTokenPlainTextIndex(const CQXTokenTextMap& map);
  ~CQXTokenPlainTextIndex();
  // The token whose text begins `pieces` at `at`, and how many pieces it
  // takes; a count of 0 for none.
  std::pair<WORD, std::size_t> Match(const std::vector<CalcTextPiece>& pieces, std::size_t at) const;

 private:
  struct Texts;
  std::unique_ptr<const Texts> texts_;
};
