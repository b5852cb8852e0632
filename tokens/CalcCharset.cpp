#include "tokens/CalcCharset.h"

#include "platform/Cp1252.h"

const std::vector<CalcGlyph>& CalcGlyphs() {
  static const std::vector<CalcGlyph> glyphs = {
      {0x0E, u"\u2192", "assignment arrow"},
      {0x0F, u"\u1D07", "exponent sign of a number (times ten to the power)"},
      {0x10, u"\u2264", "less than or equal"},
      {0x11, u"\u2260", "not equal"},
      {0x12, u"\u2265", "greater than or equal"},
      {0x13, u"\u21D2", "conditional jump"},
      {0x1C, u"\u0394", "delta, as in DeltaList"},
      {0x1D, u"\u221E", "infinity"},
      {0x1E, u"\u2220", "angle sign of the polar form of complex numbers"},
      {0x86, u"\u221A", "square root"},
      {0x87, u"\u207B", "negative sign"},
      {0x88, u"P", "permutations, as in 5P2"},
      {0x89, u"+", "the calculator's plus sign, as in an+1"},
      {0x8B, u"\u00B2", "square"},
      {0x8C, u"\u02DA", "sexagesimal sign of degrees, minutes and seconds"},
      {0x8D, u"\u222B", "integral sign"},
      {0x96, u"\u221B", "cube root"},
      {0x98, u"C", "combinations, as in 5C2"},
      {0x99, u"\u2212", "the calculator's minus sign, also the dash of names such as V-Win1"},
      {0x9B, u"\u207B\u00B9", "reciprocal"},
      {0x9C, u"\u00B0", "degrees"},
      {0x9F, u"\u03A3", "sum sign, as in the sum of x"},
      {0xA8, u"^", "power"},
      {0xA9, u"\u00D7", "multiplication sign"},
      {0xAB, u"!", "factorial"},
      {0xAC, u"\u02B3", "radians"},
      {0xB8, u"\u02E3\u221A", "x-th root"},
      {0xB9, u"\u00F7", "division sign"},
      {0xBB, u"\u231F", "fraction separator"},
      {0xBC, u"\u1D4D", "grads"},
      {0xC2, u"x\u0304", "mean of x"},
      {0xC3, u"y\u0304", "mean of y"},
      {0xC4, u"\u03C3", "sigma of the standard deviations"},
      {0xCD, u"r", "the variable r"},
      {0xCE, u"\u03B8", "the variable theta"},
      {0xD0, u"\u03C0", "pi"},
      {0xDD, u"\u25E2", "end-of-line mark of line-break token 0x0C"},
      {0xDE, u"\u21B5", "end-of-line mark of line-break token 0x0D"},
      {0xFA, u"\u2194", "exchange arrow, as in G<->T"},
  };
  return glyphs;
}

QString CalcCharText(BYTE code) {
  for (const CalcGlyph& g : CalcGlyphs())
    if (g.code == code) return QString::fromUtf16(g.text);
  return QString(tallix::cp1252ToUnicode(code));
}
