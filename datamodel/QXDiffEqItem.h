// The differential-equation memory of the newer family (5027): raw members
// of the group "DIFF_EQ" that the differential-equation pages read and
// write by name.
//
//   "RESULT0"  18 bytes: [0] '0', [2] b, [9] a; a = 2..7 gives kinds 1..6
//   "RESULT"   18 bytes
//   "OUTP"     202 bytes, byte 182 = 1 when made here
//   "47", "48" parameter counts of kinds 5 and 6: 6 bytes, [3] 2, [4] digit
//
// Records made here get type byte 254 and the group "DIFF_EQ"; every record
// made or resized here carries its data length in header bytes 6-9, since
// the header goes back to the calculator as it stands.
#pragma once

#include "datamodel/QXMemberFileItems.h"

#include <vector>

class CQXDiffEqItem : public CQXMemberFileItem {
 public:
  static constexpr int kTypeId = 5027;
  CQXDiffEqItem() : CQXMemberFileItem(kTypeId, 10350) {}

  // A new item holds "OUTP", "RESULT" and "RESULT0" of kind 0.
  BOOL InitNew() override { return Reset(); }

  // 0 to 6 from "RESULT0"; 0 when it is missing or shorter than 18 bytes.
  int GetEquationKind() const;
  // Kinds 5 and 6: the digit '1'-'9' at byte 4 of "47" / "48"; else 1.
  int GetParamCount(int kind) const;

  // Each returns FALSE, leaving the list as it was, when memory runs out.
  // "RESULT" (18 zero bytes) made when missing, then moved to the end.
  BOOL EnsureResult();
  // "RESULT0" made when missing, moved to the end, and set for the kind.
  BOOL SetEquationKind(int kind);
  // "OUTP" made when missing; an existing one is left alone.
  BOOL EnsureOutput();
  // Kinds 5 and 6 only: "47" / "48" found or appended and set to 6 bytes.
  BOOL SetParamCount(int kind, int count);
  // Removes every block, then EnsureOutput, EnsureResult, SetEquationKind(0).
  BOOL Reset();
  // The record `name` takes `data`: its header keeps its bytes and gets the
  // new size; a missing record is made at the end.
  BOOL SetRecord(const char* name, const std::vector<BYTE>& data) { return WriteRecord(name, data, false, false); }

 private:
  // The record `name`, made at the end when missing; `data` replaces its
  // bytes unless `onlyWhenMissing` holds and it already existed.
  BOOL WriteRecord(const char* name, const std::vector<BYTE>& data, bool onlyWhenMissing, bool moveToEnd);
};

// The value field of the differential-equation pages that field `field`
// (from 0) of equation kind `kind` shows; -1 for a kind outside 0-6 or a
// field past the kind's list.
int MapDiffEqField(int kind, int field);
