// What the function-field pages make of a function's calculator bytes: the
// end byte of the older family, the two parts of a parametric function, the
// records each graph-function field carries and their labels. Pure data, so
// the pages' rules can be read and tested without windows.
#pragma once

#include "datamodel/QXFunctionItems.h"
#include "platform/WinTypes.h"

#include <string>

class CQXTokenTextMap;

// The calculator's end byte, which the older family's texts end with, and
// the separator of the two parts of a parametric function.
inline constexpr BYTE kFunctionEndByte = 0xFF;
inline constexpr BYTE kParametricSeparator = 0xF6;

// `data` without one final end byte 0xFF (any other last byte is kept).
std::string WithoutEndByte(const BYTE* data, DWORD length);

// Splits `bytes` at the first one-byte token 0xF6 of the token walk over
// `map`'s lead bytes (a 0xF6 that is the token byte of a two-byte token does
// not split). FALSE, `first` all of the bytes and `second` empty, when there
// is none.
BOOL SplitParametric(const std::string& bytes, const CQXTokenTextMap* map, std::string* first, std::string* second);
// `first`, 0xF6, `second`.
std::string JoinParametric(const std::string& first, const std::string& second);

// The record of one field of the newer family's graph-function page.
struct CQXGraphFuncV5Record {
  int number = 1;    // 1-based function number
  int form = 1;      // 1 single, 2 parametric pair
  int part = 1;      // 1 the first (Xt) part or a single function, 2 the Yt part
  DWORD type = 264;  // type code of the entry
  DWORD flags = 0;   // the entry's option byte: draw flags
  DWORD colour = 2;  // 2 blue, 1 orange, 4 green
};

// Type codes of the newer family.
enum : DWORD {
  kGraphTypeY = 264,
  kGraphTypePolar = 1034,
  kGraphTypeParametric = 1033,
  kGraphTypeXc = 521,
  kGraphTypeYGreater = 408,
  kGraphTypeYLess = 392,
  kGraphTypeYGreaterEqual = 440,
  kGraphTypeYLessEqual = 424,
};

// The older family's graph types and the two relations without a character.
enum : BYTE {
  kGraphLetterY = 'Y',
  kGraphLetterPolar = 'r',
  kGraphLetterParametric = 'f',
  kGraphLetterXc = 'X',
  kRelationLessEqual = 0x10,
  kRelationGreaterEqual = 0x12,
};

// "Y3=", "r2=", "Xt1=" / "Yt1=" (by part), "Y4<=": type prefix, function
// number and the relation as text.
std::string OlderGraphFunctionLabel(const CQXGraphFunctionInfo& info);
// The label of the record's function by its type code (the Yt label for
// part 2).
std::string NewerGraphFunctionLabel(const CQXGraphFuncV5Record& record);

// The three groups of the older style block (graph functions, dynamic
// graph, graph tables): colour "BL", "OR" or "GN" at bytes 2..3 of the
// group, draw flag "SL" (drawn) or "NS" at bytes 4..5.
BOOL StyleHasColour(const CQXGraphFunctionInfo& info, int group, const char* colour);
void SetStyleColour(CQXGraphFunctionInfo* info, int group, const char* colour);
BOOL StyleIsDrawn(const CQXGraphFunctionInfo& info, int group);
// "SL" becomes "NS", anything else "SL".
void ToggleStyleDrawn(CQXGraphFunctionInfo* info, int group);
