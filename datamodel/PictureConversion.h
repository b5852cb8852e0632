// Calculator pictures and screen copies to and from bitmaps.
//
// A calculator image is one or more planes of one bit per pixel (a set bit
// is ink), W / 8 bytes by H rows each, laid out in the order the calculator
// sends them: `origin` says at which corner the data begins, `scan` whether
// it runs row by row ('R' rightwards, 'L' leftwards) or byte column by byte
// column ('D' downwards, 'U' upwards), `bitOrder` whether the first pixel of
// a byte is its most ('F') or least ('R') significant bit. The order must
// stay inside the image: 'R' starts at a left corner, 'L' at a right one,
// 'D' at a top corner, 'U' at a bottom one.
//
// Colours come from the "Colors" settings. Pixel colour: ink in plane 2
// wins over plane 1, which wins over plane 0; no ink is paper.
//   one plane             paper "Background BW", ink "BW"
//   picture, 3 planes     "Background", planes "Orange", "Blue", "Green"
//   screen copy, 3 planes "Background", planes "Blue", "Green", "Orange"
// A picture's fourth plane carries no pixels. Converting back keeps one
// plane per pixel (the winning one), so a picture whose pixels have ink in
// at most one plane comes back unchanged.
//
// Error ids: 10567 for a format the conversion does not take (also sizes
// not positive, a width not a multiple of 8, or fewer than planes x W x H / 8
// bytes at `data`), 61706 when memory runs out.
#pragma once

#include "datamodel/ScreenFormat.h"
#include "platform/Bitmap.h"
#include "platform/ColorRef.h"

constexpr int kUnsupportedPictureFormat = 10567;
constexpr int kOutOfMemory = 61706;

// The planes of `format` as a bitmap in `out` (which must hold none). Needs
// flags bit 0 (picture: 1 or 4 planes, or 3) or bit 1 (screen copy: 1 or 3
// planes). With `monochrome`, ink of any plane shows as "BW". FALSE with
// `errorId` 10567 or 61706, or 0 when `out` already held a bitmap.
BOOL CalcPlanesToBitmap(const ScreenFormat& format, CBitmap& out, BOOL monochrome, int& errorId);
// The bitmap's pixels back into the planes at `format.data`: "BW" pixels for
// one plane; "Orange", "Blue", "Green" pixels for planes 0-2 of three or
// four (a fourth cleared). Pictures only (flags bit 0). Everything is checked
// before the first byte is written.
BOOL BitmapToCalcPlanes(ScreenFormat& format, CBitmap& source, int& errorId);

// The steps, for the conversion's own use and its tests. Plane buffers are
// W / 8 bytes by H rows.
// Calculator plane `plane` into a bottom-up buffer of complemented bits
// (ink clear); 0 or 10567.
int UnpackCalcPlane(const ScreenFormat& format, int plane, BYTE* buffer);
// A top-down buffer (ink set) into calculator plane `plane`; 0 or 10567.
int PackCalcPlane(ScreenFormat& format, int plane, const BYTE* buffer);
// Sets a buffer bit for every pixel of exactly `color`; pixels outside the
// bitmap, or in the last part of a row narrower than 8, stay clear.
BOOL ExtractColorPlane(const CBitmap& bitmap, COLORREF color, int width, int height, BYTE* buffer);
// The 4-bit DIB bits (W / 2 bytes a row, bottom-up, first pixel in the high
// nibble) of up to three unpacked planes; fewer count as all paper.
void PlanesToDibBits(const BYTE* const* planes, int planeCount, int width, int height, BYTE* bits);
// The bitmap of up to three unpacked planes with the four colours; 0, or
// 61706 when it cannot be made.
int CreatePlaneBitmap(const BYTE* const* planes, int planeCount, int width, int height, const COLORREF colors[4],
                      HBITMAP* out);
