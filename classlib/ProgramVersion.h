// The program's own version record: the 52-byte fixed part of a version
// block (thirteen little-endian dwords), stored in document, backup and
// token-list information records and shown in the About box. The numbers
// come from the project version the build was made with.
//
// Its library (tallix_version) needs nothing but the language's standard
// library, so that every layer can use it.
#pragma once

#include "platform/WinTypes.h"

struct VS_FIXEDFILEINFO {
  DWORD dwSignature;         // 0xFEEF04BD
  DWORD dwStrucVersion;      // 0x00010000
  DWORD dwFileVersionMS;     // major << 16 | minor
  DWORD dwFileVersionLS;     // patch << 16 | tweak
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;     // 0x3F
  DWORD dwFileFlags;         // 0
  DWORD dwFileOS;            // 0x40004
  DWORD dwFileType;          // 1, an application
  DWORD dwFileSubtype;       // 0
  DWORD dwFileDateMS;        // 0
  DWORD dwFileDateLS;        // 0
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

constexpr UINT kVersionRecordSize = 52;

// Fills `out` with the running program's record; FALSE (nothing written) for
// a null pointer.
BOOL GetProgramVersion(VS_FIXEDFILEINFO* out);

// The translation entry of the program's version block: the language and
// code page its resources are written for. The program ships with language
// 0x0800 (none in particular) and code page 1250.
struct VersionTranslation {
  WORD language;
  WORD codePage;
};
BOOL GetProgramTranslation(VersionTranslation* out);
// A build for another language (tests) sets the entry's language; 0 goes
// back to the shipped 0x0800.
void SetProgramTranslationLanguage(WORD language);

// The record in its stored form, and back.
void StoreVersionRecord(const VS_FIXEDFILEINFO& info, BYTE out[kVersionRecordSize]);
void LoadVersionRecord(const BYTE in[kVersionRecordSize], VS_FIXEDFILEINFO* out);
