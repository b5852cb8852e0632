// Calculator numbers: the packed-decimal values the calculators exchange,
// converted to and from the text the pages show and the user types.
//
// The older family (items of the 50-byte header protocol) uses 10 bytes per
// number, the newer family (40-byte packets) 9 bytes; a complex value is two
// numbers back to back, the real part first. Both forms hold 15 mantissa
// digits and a decimal exponent from -99 to 99, or a fraction text of at most
// 8 digits. Items keep these bytes untouched; only the pages convert them.
//
// Usage: zero-fill a request, set `size` to sizeof(CQXNumConvRequest), set
// the mode and the buffers of the direction, call ConvertCalcNumber.
//
//   CQXNumConvRequest r{};
//   r.size = sizeof r;
//   r.mode = kNumConvOlder | (GetRoundTo10DigitsSetting() ? kNumConvRound10 : 0);
//   r.bytes = number; r.bytesSize = 10;
//   r.text = buffer; r.textSize = 256;
//   if (!ConvertCalcNumber(&r)) ... r.error ...
#pragma once

#include "platform/WinTypes.h"

// The request record. On a 32-bit build it is the 36-byte record the
// callers were written for; with 8-byte pointers it is larger, so callers
// always set `size` from sizeof.
struct CQXNumConvRequest {
  DWORD size;         // must be sizeof(CQXNumConvRequest)
  DWORD mode;         // kNumConv* bits below
  BYTE* bytes;        // the calculator number (read, or written)
  DWORD bytesSize;    // size of that buffer in bytes
  char* text;         // NUL-terminated text (read, or written)
  DWORD textSize;     // size of the text buffer, NUL included
  DWORD resultFlags;  // out: kNumConvResult* bits
  DWORD error;        // out: kNumConvError* code when 0 is returned
  DWORD errorPos;     // out: with a syntax error, the index of the refused character
};

// Mode bits. Callers pass kNumConvOlder (10-byte form) or kNumConvNewer
// (9-byte form: bit 0 clear).
constexpr DWORD kNumConvOlder = 0x1;
constexpr DWORD kNumConvNewer = 0x2;
constexpr DWORD kNumConvComplex = 0x10000;       // text to bytes: an imaginary part may be typed
constexpr DWORD kNumConvRound10 = 0x100000;      // bytes to text: round to 10 significant digits
constexpr DWORD kNumConvTextToBytes = 0x80000000;  // clear: bytes to text

// Result flags.
constexpr DWORD kNumConvResultComplex = 0x1;   // an imaginary part is present
constexpr DWORD kNumConvResultFraction = 0x2;  // a part is in fraction notation

// Error codes.
constexpr DWORD kNumConvErrorSyntax = 1;       // the text was refused at errorPos
constexpr DWORD kNumConvErrorConversion = 2;   // bytes the decoder does not allow, or an
                                               // imaginary part where none is accepted
constexpr DWORD kNumConvErrorRange = 3;        // exponent outside -99..99, denominator
                                               // below 1, or a fraction that overflows
constexpr DWORD kNumConvErrorBadRequest = 4;   // a missing buffer, or a number buffer
                                               // too small for what it should hold
constexpr DWORD kNumConvErrorBufferSmall = 5;  // the output does not fit its buffer

// Converts in the direction of kNumConvTextToBytes. Returns 1 on success;
// 0 on failure with `error` set (nothing is written to the output buffer),
// or 0 without an error code when the request is null or its size is wrong.
BOOL ConvertCalcNumber(CQXNumConvRequest* request);

// The decimal separator of number texts: the first character of the user's
// locale's separator, '.' when that is empty or cannot serve (not a single
// Windows-1252 punctuation character). Nothing else about number texts
// depends on the locale.
char CalcNumberDecimalSeparator();
// Replaces the locale's separator (tests); 0, or a character that cannot
// serve, returns to the locale's.
void SetCalcNumberDecimalSeparator(char separator);

// The user's "Settings"/"Round to 10 Digits" choice (default on): callers
// add kNumConvRound10 when it is set.
BOOL GetRoundTo10DigitsSetting();
