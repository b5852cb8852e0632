// The data-logger set-ups of the newer family (5028): raw members of the
// group "E-CON". "cda_mem" is the current set-up, "1001".."1099" stored
// set-ups (234 bytes when made here), "2001".."2099" custom probes (134
// bytes). The pages read and write single fields of them by field number:
// 0-102 are offsets in a set-up record, 2000 and up offset + 2000 in a probe
// record. 16-bit fields are little-endian.
#pragma once

#include "datamodel/QXMemberFileItems.h"

class CQXDataLoggerItem : public CQXMemberFileItem {
 public:
  static constexpr int kTypeId = 5028;
  static constexpr DWORD kSetupSize = 234;
  static constexpr DWORD kProbeSize = 134;
  CQXDataLoggerItem() : CQXMemberFileItem(kTypeId, 10351) {}

  // A new item holds the current set-up "cda_mem".
  BOOL InitNew() override { return AddSetupRecord(0, 0); }

  // The width of a field, 0 for a field number of neither table.
  static int GetFieldWidth(int field);
  // The 234 bytes of a new set-up record.
  static const BYTE* DefaultSetup();

  // Kind 0: "cda_mem" for n = 0, else "10%02d" (n 1-99), a copy of the
  // default set-up; kind 1: "20%02d" (n 1-99), 134 zero bytes. The record
  // replaces one of the same name and goes to the end of the list. 1, or 0
  // for another kind or number or when memory runs out (the list then stays
  // as it was).
  int AddSetupRecord(int kind, int n);

  // Field access on a record the caller found. A field must lie wholly in
  // the record's data; one that does not counts as unknown. Results: 1 done,
  // -2 no record or no data, 0 an unknown field or one of another kind.
  static int GetIntField(const CQXRawBlock* record, int field, DWORD* value);
  static int SetIntField(CQXRawBlock* record, int field, DWORD value);
  // Copies the field's whole width; 0 when `size` is smaller.
  static int GetBytesField(const CQXRawBlock* record, int field, BYTE* buffer, UINT size);
  // Copies min(width, length) bytes; the rest of the field keeps its bytes.
  static int SetBytesField(CQXRawBlock* record, int field, const BYTE* bytes, UINT length);
};
