// Colours as the program keeps them: COLORREF 0x00BBGGRR (red in the low
// byte), and the one place where they meet Qt's colours.
#pragma once

#include "platform/WinTypes.h"

#include <QColor>
#include <QRgb>

using COLORREF = DWORD;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) { return COLORREF(r) | COLORREF(g) << 8 | COLORREF(b) << 16; }
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE(c >> 16); }

// An opaque QRgb (0xAARRGGBB) of the colour; the high byte of the COLORREF
// is dropped.
constexpr QRgb ColorRefToQRgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }
// The COLORREF of a QRgb; its alpha is dropped.
constexpr COLORREF ColorRefFromQRgb(QRgb rgb) { return RGB(BYTE(qRed(rgb)), BYTE(qGreen(rgb)), BYTE(qBlue(rgb))); }

inline QColor ColorRefToQColor(COLORREF c) { return QColor(ColorRefToQRgb(c)); }
inline COLORREF ColorRefFromQColor(const QColor& color) { return ColorRefFromQRgb(color.rgb()); }
