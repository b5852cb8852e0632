// Header kind codes: what a header received from a calculator (or read from
// an older data file) announces. The receive sessions choose the item class
// by the code, the document files items into folders by it, the views pick
// the item's icon by it and the document entry keeps it. Kind codes are not
// item type ids (the older matrix header has kind 4001, while 4001 is the
// type id of the program item).
#pragma once

#include "platform/WinTypes.h"

enum HeaderKind : int {
  kKindUnknown = 0,  // not recognised
  kKindProgram = 1,  // "TXT"/"PG"; "MCS1" type 1

  // Older family: 50-byte headers, and the 40-byte screen-copy headers.
  kKindMatrix = 4001,                // "VAL"/"MT"
  kKindList = 4002,                  // "VAL"/"LT"
  kKindGraphFunctions = 4003,        // "FNC"/"GF"
  kKindVWindow = 4006,               // "VAL"/"WD"
  kKindZoomFactor = 4007,            // "VAL"/"FT"
  kKindTableRange = 4008,            // "VAL"/"TR"
  kKindRecursionFormulas = 4010,     // "FNC"/"RF"
  kKindRecursionRange = 4011,        // "VAL"/"RR"
  kKindVariables = 4012,             // "VAL"/"VM"
  kKindFunctionMemory = 4015,        // "TXT"/"FM"
  kKindSimultaneousEquation = 4017,  // "VAL"/"SE"
  kKindPolynomialEquation = 4018,    // "VAL"/"PE"
  kKindPicture = 4019,               // "IMG"/"PC"
  kKindGraphMemory = 4020,           // "MEM"/"GM"
  kKindDynamicGraphMemory = 4021,    // "MEM"/"DM"
  kKindScreenCopyMono = 4022,        // "DD"
  kKindScreenCopyColour = 4023,      // "DC"
  kKindBackup = 4024,                // "MEM"/"BU"
  kKindOldTableEnd = 4025,           // closes a row of the older table; never returned

  // Newer family: 40-byte packets.
  kKindMatrixV5 = 5001,               // "MAT"
  kKindListV5 = 5002,                 // "LIST"
  kKindVWindowV5 = 5004,              // "VMEM", "VWIN", "VWINR"
  kKindAlphaMemory = 5005,            // group "Variable"
  kKindSimultaneousCoefficients = 5006,  // "SIMLCOEF"
  kKindPolynomialCoefficients = 5007,    // "POLYCOEF"
  kKindEquationResult = 5008,         // "SIMLRSLT", "POLYRSLT"
  kKindSetUp = 5009,                  // "SET1"
  kKindZoomFactorV5 = 5010,           // "FACTOR"
  kKindTableRangeV5 = 5011,           // "RANGE"
  kKindGraphFunctionV5 = 5012,        // "1" to "30"
  kKindRecursionFormulaV5 = 5014,     // "AN" to "EN"
  kKindRecursionRangeV5 = 5015,       // "RECRG"
  kKindPictureV5 = 5016,              // "PICT"
  kKindDynamicGraphMemoryV5 = 5017,   // group "DYNA"
  kKindGraphMemoryV5 = 5018,          // "GMEM"
  kKindFunctionMemoryV5 = 5019,       // "FMEM"
  kKindCasMemory = 5020,              // group "CAS"
  kKindAlgebraMemory = 5021,          // group "ALGEBRA"
  kKindDifferentialEquations = 5022,  // group "DIFF_EQ"
  kKindDataLoggerSetUp = 5023,        // group "E-CON"
  kKindBackupV5 = 5024,               // "BKU1"
  kKindEndOfTransfer = 5025,          // "END1"
  kKindOtherMemory = 5026,            // any other "MCS1": add-in or unknown memory
};

// Kind codes that received and imported items are filed under where they
// differ from the header's kind.
enum StoredKind : int {
  kStoredGraphFunctions10 = 4004,  // "FX7400"
  kStoredGraphFunctions20 = 4005,  // "FX9850"
  kStoredRecursion = 4009,         // after its range ("RR")
  kStoredVariables28 = 4013,       // "FX9850"
  kStoredVariables26 = 4014,       // "FX7400"
  kStoredRecursionV5 = 5013,       // "AN".."EN", "SET1" and "RECRG"
};

// The kind of an older-family header of `length` bytes (40 for the
// screen-copy headers "DD"/"DC", 50 for the others; any other length finds
// nothing); 0 when no row recognises it. Reads at most the first 8 bytes.
int KindFromOldHeader(const BYTE* header, int length);

// The kind of a 40-byte newer-family header (':', the 4-character tag at 1,
// the type byte at 10, the name at 11, the group at 19); 0 when no row
// recognises it. Every "MCS1" header gets a kind: 5026 when no earlier row
// claims it.
int KindFromNewHeader(const BYTE* header);
