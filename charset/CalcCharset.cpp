#include "charset/CalcCharset.h"

#include "charset/Cp1252.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

const std::vector<CalcGlyph>& CalcGlyphs() {
  // The glyph list the calculator fonts are drawn from.
  static const std::vector<CalcGlyph> glyphs = {
#define CALC_GLYPH(code, text, meaning) {code, text, meaning},
#include "CalcGlyphs.inc"
#undef CALC_GLYPH
  };
  return glyphs;
}

namespace {

// What the calculator shows for each code, made once from the glyph list and
// Windows-1252: the plain text of a name is a look-up per code.
struct ShownChars {
  char16_t units[2];  // a glyph's cell may show two signs (the glyph tool allows no more)
  std::uint8_t size;
};

const std::array<ShownChars, 256>& shownChars() {
  static const std::array<ShownChars, 256> table = [] {
    std::array<ShownChars, 256> t{};
    for (int code = 0; code < 256; ++code)
      t[size_t(code)] = {{tallix::cp1252ToUnicode(std::uint8_t(code)).unicode()}, 1};
    for (const CalcGlyph& g : CalcGlyphs()) {
      ShownChars& shown = t[g.code];
      shown.size = 0;
      for (const char16_t* unit = g.text; *unit && shown.size < std::size(shown.units); ++unit)
        shown.units[shown.size++] = *unit;
    }
    return t;
  }();
  return table;
}

}  // namespace

QString CalcCharText(std::uint8_t code) {
  const ShownChars& shown = shownChars()[code];
  return QString(reinterpret_cast<const QChar*>(shown.units), shown.size);
}

QString CalcPlainText(std::string_view codes) {
  if (codes.empty()) return QString();
  const std::array<ShownChars, 256>& table = shownChars();
  qsizetype size = 0;
  for (char c : codes) size += table[static_cast<std::uint8_t>(c)].size;
  QString out(size, Qt::Uninitialized);
  QChar* at = out.data();
  for (char c : codes) {
    const ShownChars& shown = table[static_cast<std::uint8_t>(c)];
    for (std::uint8_t k = 0; k < shown.size; ++k) *at++ = QChar(shown.units[k]);
  }
  return out;
}

const char* TypographicAscii(char16_t ch) {
  switch (ch) {
    case 0x2018: case 0x2019: case 0x201A: case 0x201B: case 0x2039: case 0x203A:
      return "'";
    case 0x201C: case 0x201D: case 0x201E: case 0x201F: case 0x00AB: case 0x00BB:
      return "\"";
    case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015:
      return "-";
    case 0x2026:
      return "...";
    case 0x00A0: case 0x202F: case 0x205F: case 0x3000:
      return " ";
    default:
      return ch >= 0x2000 && ch <= 0x200A ? " " : nullptr;
  }
}

namespace {

// The glyphs' texts the other way round: one character to its code, and the
// signs of two characters (also in their composed form, as other programs
// may write them) with their codes.
struct GlyphTexts {
  QHash<char16_t, std::uint8_t> single;
  std::vector<std::pair<QString, std::uint8_t>> longer;
  std::array<bool, 256> drawn{};  // codes the calculator shows as a glyph of its own
};

const GlyphTexts& glyphTexts() {
  static const GlyphTexts texts = [] {
    GlyphTexts t;
    for (const CalcGlyph& g : CalcGlyphs()) {
      t.drawn[g.code] = true;
      const QString text = QString::fromUtf16(g.text);
      if (text.size() == 1) {
        t.single.insert(text[0].unicode(), g.code);
        continue;
      }
      t.longer.emplace_back(text, g.code);
      const QString composed = text.normalized(QString::NormalizationForm_C);
      if (composed != text) {
        if (composed.size() == 1) t.single.insert(composed[0].unicode(), g.code);
        else t.longer.emplace_back(composed, g.code);
      }
    }
    // The longest first, so that a sign is never taken for its beginning.
    std::stable_sort(t.longer.begin(), t.longer.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    return t;
  }();
  return texts;
}

// The calculator's sign of two characters that `rest` begins with, longest
// first, or null.
const std::pair<QString, std::uint8_t>* longerSignAt(const GlyphTexts& glyphs, QStringView rest) {
  const auto sign = std::find_if(glyphs.longer.begin(), glyphs.longer.end(),
                                 [&](const auto& g) { return rest.startsWith(g.first); });
  return sign == glyphs.longer.end() ? nullptr : &*sign;
}

// The one reading of the place `at` of `text` (see SplitCalcPlainText and
// CalcCodesFromText): appends its pieces to `pieces`, none for a character
// without a code, and gives the count of UTF-16 units read.
qsizetype readPlace(QStringView text, qsizetype at, CalcFontCodeOf fontCode, std::vector<CalcTextPiece>* pieces) {
  const GlyphTexts& glyphs = glyphTexts();
  // The two-character signs first: the mean of x begins with its letter, and
  // none begins with another character a font draws a code at.
  if (const auto* sign = longerSignAt(glyphs, text.sliced(at))) {
    pieces->push_back({CalcTextPiece::kCode, sign->second});
    return sign->first.size();
  }
  const char16_t ch = text[at].unicode();
  if (fontCode) {
    // The code the font draws at the character.
    if (const int drawn = fontCode(ch); drawn >= 0) {
      pieces->push_back({CalcTextPiece::kCode, std::uint16_t(drawn)});
      return 1;
    }
  } else if (ch < 0x80) {
    // ASCII is what typing it gives, also where a calculator sign looks the
    // same ("P", "+").
    pieces->push_back({CalcTextPiece::kTyped, ch});
    return 1;
  }
  if (const auto code = glyphs.single.constFind(ch); code != glyphs.single.cend()) {
    pieces->push_back({CalcTextPiece::kCode, code.value()});
    return 1;
  }
  // A Windows-1252 character is the code the calculator shows as it. Where
  // the calculator shows that code as another sign the character has none:
  // 'Î' is theta's code, '¹' (the end of the reciprocal) the division sign's.
  if (const int byte = fontCode ? -1 : tallix::unicodeToCp1252(ch); byte >= 0 && !glyphs.drawn[size_t(byte)]) {
    pieces->push_back({CalcTextPiece::kTyped, std::uint16_t(byte)});
    return 1;
  }
  // Typographic punctuation that no code shows is the ASCII meant by it.
  if (const char* plain = TypographicAscii(ch))
    for (; *plain; ++plain) pieces->push_back({CalcTextPiece::kTyped, std::uint16_t(*plain)});
  return 1;
}

}  // namespace

std::vector<CalcTextPiece> SplitCalcPlainText(QStringView text, bool* complete) {
  std::vector<CalcTextPiece> pieces;
  pieces.reserve(size_t(text.size()));
  bool all = true;
  for (qsizetype i = 0; i < text.size();) {
    const char16_t ch = text[i].unicode();
    if (ch == '\r' || ch == '\n') {
      pieces.push_back({CalcTextPiece::kLineBreak, 0});
      // CR LF and LF CR are one line break.
      const char16_t partner = ch == '\n' ? '\r' : '\n';
      i += i + 1 < text.size() && text[i + 1].unicode() == partner ? 2 : 1;
      continue;
    }
    const size_t before = pieces.size();
    i += readPlace(text, i, nullptr, &pieces);
    if (pieces.size() == before) all = false;
  }
  if (complete) *complete = all;
  return pieces;
}

bool CalcCodesFromText(QStringView text, CalcFontCodeOf fontCode, std::string* codes) {
  codes->clear();
  bool all = true;
  std::vector<CalcTextPiece> pieces;
  for (qsizetype i = 0; i < text.size();) {
    pieces.clear();
    i += readPlace(text, i, fontCode, &pieces);
    if (pieces.empty()) all = false;
    for (const CalcTextPiece& piece : pieces) codes->push_back(char(piece.value));
  }
  return all;
}

bool CalcCodesFromPlainText(QStringView text, std::string* codes) { return CalcCodesFromText(text, nullptr, codes); }
