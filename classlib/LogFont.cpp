#include "classlib/LogFont.h"

#include "charset/Cp1252.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

void putLong(BYTE* p, LONG v) {
  const auto u = static_cast<DWORD>(v);
  for (int i = 0; i < 4; ++i) p[i] = BYTE(u >> (8 * i));
}

LONG getLong(const BYTE* p) {
  DWORD u = 0;
  for (int i = 0; i < 4; ++i) u |= DWORD(p[i]) << (8 * i);
  return static_cast<LONG>(u);
}

double logicalDpi() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->logicalDotsPerInchY();
  return 96.0;
}

QFont::StyleHint hintFromFamily(BYTE family) {
  switch (family & 0xF0) {
    case FF_ROMAN: return QFont::Serif;
    case FF_SWISS: return QFont::SansSerif;
    case FF_MODERN: return QFont::Monospace;
    case FF_SCRIPT: return QFont::Cursive;
    case FF_DECORATIVE: return QFont::Decorative;
    default: return QFont::AnyStyle;
  }
}

BYTE familyFromHint(QFont::StyleHint hint) {
  switch (hint) {
    case QFont::Serif: return FF_ROMAN;
    case QFont::SansSerif: return FF_SWISS;
    case QFont::Monospace: return FF_MODERN;
    case QFont::Cursive: return FF_SCRIPT;
    case QFont::Decorative: return FF_DECORATIVE;
    default: return FF_DONTCARE;
  }
}

}  // namespace

void tallix::logFontToBytes(const LOGFONTA& font, BYTE out[kLogFontBytes]) {
  putLong(out + 0, font.lfHeight);
  putLong(out + 4, font.lfWidth);
  putLong(out + 8, font.lfEscapement);
  putLong(out + 12, font.lfOrientation);
  putLong(out + 16, font.lfWeight);
  const BYTE flags[8] = {font.lfItalic,       font.lfUnderline,     font.lfStrikeOut, font.lfCharSet,
                         font.lfOutPrecision, font.lfClipPrecision, font.lfQuality,   font.lfPitchAndFamily};
  std::memcpy(out + 20, flags, sizeof flags);
  std::memcpy(out + 28, font.lfFaceName, LF_FACESIZE);
}

LOGFONTA tallix::logFontFromBytes(const BYTE in[kLogFontBytes]) {
  LOGFONTA font{};
  font.lfHeight = getLong(in + 0);
  font.lfWidth = getLong(in + 4);
  font.lfEscapement = getLong(in + 8);
  font.lfOrientation = getLong(in + 12);
  font.lfWeight = getLong(in + 16);
  font.lfItalic = in[20];
  font.lfUnderline = in[21];
  font.lfStrikeOut = in[22];
  font.lfCharSet = in[23];
  font.lfOutPrecision = in[24];
  font.lfClipPrecision = in[25];
  font.lfQuality = in[26];
  font.lfPitchAndFamily = in[27];
  std::memcpy(font.lfFaceName, in + 28, LF_FACESIZE);
  return font;
}

QFont tallix::fontFromLogFont(const LOGFONTA& lf) {
  QFont font;
  const size_t faceLength = strnlen(lf.lfFaceName, LF_FACESIZE);
  if (faceLength) font.setFamily(fromCp1252(std::string_view(lf.lfFaceName, faceLength)));
  if (lf.lfHeight != 0) {
    // INT_MIN has no positive counterpart; any height beyond a few thousand
    // pixels is nonsense anyway.
    const long long h = std::llabs(static_cast<long long>(lf.lfHeight));
    font.setPixelSize(int(std::min<long long>(h, 0x7FFF)));
  }
  if (lf.lfWeight > 0) font.setWeight(QFont::Weight(std::clamp<LONG>(lf.lfWeight, 1, 1000)));
  font.setItalic(lf.lfItalic != 0);
  font.setUnderline(lf.lfUnderline != 0);
  font.setStrikeOut(lf.lfStrikeOut != 0);
  font.setFixedPitch((lf.lfPitchAndFamily & 0x03) == FIXED_PITCH);
  QFont::StyleStrategy strategy = QFont::PreferDefault;
  if (lf.lfQuality == NONANTIALIASED_QUALITY) strategy = QFont::NoAntialias;
  if (lf.lfQuality == ANTIALIASED_QUALITY) strategy = QFont::PreferAntialias;
  font.setStyleHint(hintFromFamily(lf.lfPitchAndFamily), strategy);
  return font;
}

LOGFONTA tallix::logFontFromFont(const QFont& font) {
  LOGFONTA lf{};
  if (font.pixelSize() > 0)
    lf.lfHeight = -font.pixelSize();
  else if (font.pointSizeF() > 0)
    lf.lfHeight = -LONG(std::lround(font.pointSizeF() * logicalDpi() / 72.0));
  lf.lfWeight = font.weight();
  lf.lfItalic = font.italic() ? 1 : 0;
  lf.lfUnderline = font.underline() ? 1 : 0;
  lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  if (font.styleStrategy() & QFont::NoAntialias)
    lf.lfQuality = NONANTIALIASED_QUALITY;
  else if (font.styleStrategy() & QFont::PreferAntialias)
    lf.lfQuality = ANTIALIASED_QUALITY;
  lf.lfPitchAndFamily = BYTE((font.fixedPitch() ? FIXED_PITCH : DEFAULT_PITCH) | familyFromHint(font.styleHint()));
  const std::string face = toCp1252(font.family());
  std::memcpy(lf.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
  return lf;
}
