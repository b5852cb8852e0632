#include "charset/CalcEditedCodes.h"

#include <vector>

namespace {

std::string codesOf(QStringView text, CalcFontCodeOf fontCode) {
  std::string codes;
  CalcCodesFromText(text, fontCode, &codes);
  return codes;
}

}  // namespace

std::string CalcEditedCodes(std::string_view old, QStringView text, CalcCodeShownAs shown, CalcFontCodeOf fontCode) {
  std::vector<QString> pieces;
  pieces.reserve(old.size());
  QString all;
  for (char c : old) {
    pieces.push_back(shown(std::uint8_t(c)));
    all += pieces.back();
  }
  if (all == text) return std::string(old);

  // The codes that still show at the start, then at the end of what is left;
  // a code that shows as nothing leaves no trace to keep it by.
  const std::size_t n = pieces.size();
  std::size_t head = 0, tail = 0;
  qsizetype from = 0, to = text.size();
  while (head < n && !pieces[head].isEmpty() && text.sliced(from).startsWith(pieces[head]))
    from += pieces[head++].size();
  while (tail < n - head) {
    const QString& piece = pieces[n - 1 - tail];
    if (piece.isEmpty() || to - from < piece.size() || !text.sliced(from, to - from).endsWith(piece)) break;
    to -= piece.size();
    ++tail;
  }

  const std::string whole = codesOf(text, fontCode);
  for (;;) {
    std::string codes(old.substr(0, head));
    codes += codesOf(text.sliced(from, to - from), fontCode);
    codes += old.substr(n - tail);
    if (head == 0 && tail == 0) return codes;
    QString again;
    for (char c : codes) again += shown(std::uint8_t(c));
    if (codesOf(again, fontCode) == whole) return codes;
    if (head > 0) from -= pieces[--head].size();
    if (tail > 0) to += pieces[n - tail--].size();
  }
}
