// The "Colors" settings: how calculator pictures and screen copies are
// coloured on the PC, and the colour boxes that map a PC bitmap's pixels
// back onto the calculator's colours. Each value is a COLORREF; every getter
// reads the profile anew with its default, every setter writes the value as
// given.
#pragma once

#include "platform/ColorRef.h"

// Ink colours of colour calculators, ink of monochrome ones, and paper.
COLORREF GetGreenColor();
void SetGreenColor(COLORREF color);
COLORREF GetBlueColor();
void SetBlueColor(COLORREF color);
COLORREF GetOrangeColor();
void SetOrangeColor(COLORREF color);
COLORREF GetBWColor();
void SetBWColor(COLORREF color);
COLORREF GetBackgroundColor();
void SetBackgroundColor(COLORREF color);
COLORREF GetBackgroundBWColor();
void SetBackgroundBWColor(COLORREF color);

// The 16 custom colours of the colour chooser: "Custom Colors", 64 bytes of
// little-endian COLORREFs. FALSE, and `out` untouched, when the value is
// missing or of any other size.
enum : int { kCustomColorCount = 16 };
BOOL GetCustomColors(COLORREF out[kCustomColorCount]);
void SetCustomColors(const COLORREF colors[kCustomColorCount]);

// Inclusive boxes of red, green and blue values that count as a colour.
COLORREF GetOrangeMin();
COLORREF GetOrangeMax();
void SetOrangeRange(COLORREF min, COLORREF max);
COLORREF GetBlueMin();
COLORREF GetBlueMax();
void SetBlueRange(COLORREF min, COLORREF max);
COLORREF GetGreenMin();
COLORREF GetGreenMax();
void SetGreenRange(COLORREF min, COLORREF max);
COLORREF GetBackgroundMin();
COLORREF GetBackgroundMax();

// TRUE when each of the red, green and blue bytes of `color` lies between
// the same bytes of `min` and `max`, both included.
BOOL IsColorInRange(COLORREF color, COLORREF min, COLORREF max);
