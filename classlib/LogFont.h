// The font description the program keeps in its settings and hands between
// windows: the 60-byte LOGFONTA layout (five 32-bit metrics, eight flag bytes,
// a 32-byte face name in Windows-1252), and its conversion to and from QFont.
#pragma once

#include "platform/WinTypes.h"

#include <QFont>

#include <cstddef>

constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
  LONG lfHeight;       // < 0: character height in pixels; > 0: cell height; 0: default
  LONG lfWidth;        // average character width, 0 = default
  LONG lfEscapement;   // tenths of a degree
  LONG lfOrientation;  // tenths of a degree
  LONG lfWeight;       // 0 = default, 100 .. 900 (400 normal, 700 bold)
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;  // low bits: pitch, bits 4-7: family
  char lfFaceName[LF_FACESIZE];
};
using LOGFONT = LOGFONTA;
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA is stored as 60 bytes");

constexpr std::size_t kLogFontBytes = 60;

constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_SCRIPT = 0x40;
constexpr BYTE FF_DECORATIVE = 0x50;

namespace tallix {

// The stored form: every 32-bit field little-endian, whatever the host.
void logFontToBytes(const LOGFONTA& font, BYTE out[kLogFontBytes]);
LOGFONTA logFontFromBytes(const BYTE in[kLogFontBytes]);

// What QFont can express: face, pixel height, weight, italic, underline,
// strike-out, fixed pitch, family hint and antialiasing. The face name is
// read up to its first NUL and never past its 32 bytes. A positive (cell)
// height is taken as the pixel size. Width, escapement, orientation,
// character set and precisions have no QFont counterpart and are dropped.
QFont fontFromLogFont(const LOGFONTA& font);
// A point-sized font is turned into pixels at the screen's logical
// resolution (96 dots per inch without a screen).
LOGFONTA logFontFromFont(const QFont& font);

}  // namespace tallix
