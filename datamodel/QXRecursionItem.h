// The recursion item (4009) of the older family: two recursion formulas
// ("FNC" "RF", one header and data packet each) and the range values
// ("VAL" "RR", one header per range entry), group "Y=Data".
//
// Recursion types:
//   1: formulas "an", "bn"; ranges "R Start", "R End"
//   2: formulas a n+1, b n+1; ranges "R Start", "R End", "a0", "a1",
//      "anStart", "b0", "b1", "bnStart"
//   3: formulas a n+2, b n+2; ranges "R Start", "R End", "a0", "a1", "a2",
//      "b0", "b1", "b2"
#pragma once

#include "datamodel/QXCalcItem.h"
#include "datamodel/QXTextRecords.h"
#include "datamodel/QXVariableSet.h"

#include <string>
#include <vector>

// Stored: record header (tag 4009); dword recursion type; dword n (the
// type's range count); the n range names (dword 8, 8 bytes each); the range
// value set (1303); dword 2; the two formula records (1301); end mark
// 0xFEEF0FA9. Loading requires a type 1-3, its range count and the 2.
class CQXRecursionItem : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 4009;
  CQXRecursionItem();
  CQXRecursionItem(const CQXRecursionItem&) = delete;
  CQXRecursionItem& operator=(const CQXRecursionItem&) = delete;

  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10318, {}, buffer, size); }
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // Types 1-3: names the range entries and both formulas; the values and
  // texts are emptied. FALSE for any other type.
  BOOL SetRecursionType(int type);
  int GetRecursionType() const { return m_type; }
  // The type whose formulas carry the name at header bytes 11-17; FALSE
  // (and 0) when no type has it.
  static BOOL ParseRecursionType(const BYTE* header, int size, int* type);

  // Formulas (n = 0 for a, 1 for b): "FNC" "RF" headers with the group
  // "Y=Data". A received formula header sets the type (formula 0) or must
  // agree with it (formula 1), and must carry the formula's own name.
  BOOL BuildFormulaHeader(int n, BYTE* header, int size);
  BOOL ParseFormulaHeader(int n, const BYTE* header, int size);
  BOOL GetFormulaBytes(int n, BYTE* buffer, DWORD size) const;
  BOOL SetFormulaBytes(int n, const BYTE* data, DWORD length);
  DWORD GetFormulaLength(int n) const;
  BOOL GetFormulaStyle(int n, BYTE* buffer, UINT size) const;
  BOOL SetFormulaStyle(int n, const BYTE* style);

  // Range values, one "VAL" "RR" header per entry (as for the V-Window).
  int GetRangeCount() const { return m_range.GetCount(); }
  std::string GetRangeName(int i) const;
  BOOL BuildRangeHeader(int i, BYTE* header, int size) { return m_range.BuildHeader(i, header, size); }
  BOOL ParseRangeHeader(const BYTE* header, int size);
  static UINT GetRangeDataSize(const BYTE* header, int size) { return CQXVariableSet::GetDataSize(header, size); }
  UINT GetRangeValue(int i, BYTE* out, UINT size) const { return m_range.GetValueRecord(i, out, size); }
  BOOL SetRangeValue(int i, const BYTE* record, UINT size) { return m_range.SetValueRecord(i, record, size); }
  BOOL SetRangeFromHeader(const BYTE* header, const BYTE* record, UINT size) {
    return m_range.SetFromHeader(header, record, size);
  }

  std::string GetGroup() const { return m_range.GetGroupField().GetText(); }
  // "Y=Data" when the group is "Y=Data"; FALSE otherwise.
  BOOL GetDocName(char* buffer, UINT size) const;

 private:
  static std::vector<std::string> RangeNames(int type);
  static std::string FormulaName(int type, int n);
  const CQXGraphFuncRecord* formula(int n) const;

  int m_type = 0;
  std::vector<CQXStoredNameField> m_rangeNames;
  CQXVariableSet m_range;
  std::vector<CQXGraphFuncRecord> m_formulas;
};
