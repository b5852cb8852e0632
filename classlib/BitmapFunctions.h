// What the picture features do with bitmaps: .bmp files chosen in a file
// dialog, the clipboard, whole-number scaling, and fitting a bitmap onto the
// calculator's colours.
//
// The file dialogs are Qt's own (non-native) dialogs, modal over the active
// window, so that tests can drive them offscreen; they show the filters of
// string 10602. Cancel in a dialog answers TRUE with nothing done: callers
// show an error only on FALSE. The clipboard's image stands for the
// platform's bitmap format; a pasted image becomes a plain RGB32 bitmap.
#pragma once

#include "platform/Bitmap.h"
#include "platform/ColorRef.h"

// The bitmap scaled by `zoom` goes to the clipboard; TRUE when it took it.
BOOL CopyBitmapToClipboard(const CBitmap& bitmap, int zoom);
// A copy of the clipboard's image in `out`; FALSE when there is none.
BOOL PasteBitmapFromClipboard(CBitmap& out);

// A save dialog (default suffix "bmp", asking before it replaces a file);
// the bitmap scaled by `zoom` is written to the chosen path.
BOOL SaveBitmapAsFile(const CBitmap& bitmap, int zoom);
// The bitmap as an uncompressed 32-bit .bmp file, whole or not at all.
BOOL WriteBitmapFile(const CBitmap& bitmap, const char* path);
// An open dialog; the chosen .bmp file becomes `out`. FALSE when the file
// cannot be read as a bitmap.
BOOL LoadBitmapFromFile(CBitmap& out);

// `src` anded into `dst` at 0,0 over `dst`'s size.
BOOL AndBitmapInto(CBitmap& dst, const CBitmap& src);
// `dst` becomes `src` enlarged `factor` times, each pixel a square of equal
// pixels (no smoothing: smoothing would make colours that match nothing).
// FALSE without a source, for a factor below 1 or a side above 32767.
BOOL ScaleBitmap(const CBitmap& src, CBitmap& dst, int factor);

// `dst` becomes cx x cy pixels: `src` copied at 0,0 on white, then exact
// white as `paper` and everything else as `ink`. FALSE (dst untouched)
// without a source or for a size below 1 or above 32767.
BOOL MakeTwoToneBitmap(const CBitmap& src, CBitmap& dst, int cx, int cy, COLORREF ink, COLORREF paper);
// `dst` becomes cx x cy pixels in exactly the picture colours of the
// "Colors" settings: a pixel of `src` within the Blue box becomes "Blue",
// else within the Orange box "Orange", else within the Green box "Green",
// else "Background" (also outside `src`). Same refusals as above.
BOOL MapPictureColors(const CBitmap& src, CBitmap& dst, int cx, int cy);
