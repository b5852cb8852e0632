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

namespace {

// Typographic punctuation, as word processors and web pages write it, as the
// ASCII a user means by it: curly, low and angle quotes, dashes, the
// ellipsis, and spaces other than the blank. Null for any other character;
// the calculator's minus sign (U+2212) is its own sign, not a dash.
const char* plainPunctuation(char16_t ch) {
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

}  // namespace

std::vector<CalcTextPiece> SplitCalcPlainText(QStringView text, bool* complete) {
  const GlyphTexts& glyphs = glyphTexts();
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
    if (const char* plain = plainPunctuation(ch)) {
      for (; *plain; ++plain) pieces.push_back({CalcTextPiece::kTyped, std::uint8_t(*plain)});
      ++i;
      continue;
    }
    // The two-character signs first: the mean of x begins with the letter.
    if (const auto* sign = longerSignAt(glyphs, text.sliced(i))) {
      pieces.push_back({CalcTextPiece::kCode, sign->second});
      i += sign->first.size();
      continue;
    }
    if (ch < 0x80) {
      // ASCII is what typing it gives, also where a calculator sign looks
      // the same ("P", "+").
      pieces.push_back({CalcTextPiece::kTyped, std::uint8_t(ch)});
    } else if (const auto code = glyphs.single.constFind(ch); code != glyphs.single.cend()) {
      pieces.push_back({CalcTextPiece::kCode, code.value()});
    } else if (const int byte = tallix::unicodeToCp1252(ch); byte >= 0 && !glyphs.drawn[size_t(byte)]) {
      // A Windows-1252 character is the code the calculator shows as it.
      // Where the calculator shows that code as another sign the character
      // has none: 'Î' is theta's code, '¹' (the end of the reciprocal) the
      // division sign's.
      pieces.push_back({CalcTextPiece::kTyped, std::uint8_t(byte)});
    } else {
      all = false;
    }
    ++i;
  }
  if (complete) *complete = all;
  return pieces;
}

bool CalcCodesFromText(QStringView text, CalcFontCodeOf fontCode, std::string* codes) {
  const GlyphTexts& glyphs = glyphTexts();
  codes->clear();
  bool all = true;
  for (qsizetype i = 0; i < text.size();) {
    // The calculator's signs of two characters first: none begins with a
    // character the calculator fonts draw a code at, save the letter of the
    // means, which the sign's second character tells apart.
    if (const auto* sign = longerSignAt(glyphs, text.sliced(i))) {
      codes->push_back(char(sign->second));
      i += sign->first.size();
      continue;
    }
    const char16_t ch = text[i++].unicode();
    // In the font the code drawn at the character; without one ASCII is
    // itself, also where a calculator sign looks the same.
    const int drawn = fontCode ? fontCode(ch) : ch < 0x80 ? int(ch) : -1;
    if (drawn >= 0) {
      codes->push_back(char(drawn));
      continue;
    }
    // A sign as the calculator shows it (θ typed into either font), then,
    // outside such a font, a Windows-1252 character whose byte the
    // calculator shows as that character.
    if (const auto code = glyphs.single.constFind(ch); code != glyphs.single.cend()) {
      codes->push_back(char(code.value()));
      continue;
    }
    const int byte = fontCode ? -1 : tallix::unicodeToCp1252(ch);
    if (byte >= 0 && !glyphs.drawn[size_t(byte)]) {
      codes->push_back(char(byte));
      continue;
    }
    all = false;
  }
  return all;
}

bool CalcCodesFromPlainText(QStringView text, std::string* codes) { return CalcCodesFromText(text, nullptr, codes); }
