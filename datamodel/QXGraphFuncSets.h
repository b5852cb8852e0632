// Sets of graph-function entries of the newer family: the graph functions
// (5002, 30 entries) and the recursion formulas (5022, 5 entries), and the
// recursion set-up (5009) that holds the formulas with its table range.
#pragma once

#include "datamodel/QXCalcItem.h"
#include "datamodel/QXNumericV5Items.h"

#include <memory>
#include <vector>

// A counted set of CQXGraphFuncEntry and a set value that travels with it.
// The set's own record: record header (tag 1501), dword count, dword value,
// the entries, end mark 0xFEEF05DD. A class of a type id of its own wraps it
// in a record of that id.
class CQXGraphFuncSet : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 1500;
  static constexpr DWORD kSetTag = 1501;

  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10310, {}, buffer, size); }
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // `count` new, empty entries and the set value; FALSE when memory runs
  // out (the set is then empty).
  BOOL Init(DWORD count, DWORD value);
  int GetCount() const { return int(m_entries.size()); }
  // Entry i (from 0), or null.
  CQXGraphFuncEntry* GetEntry(int i) const;
  DWORD GetValue() const { return m_value; }
  void SetValue(DWORD value) { m_value = value; }

 protected:
  // `count` entries of a class that always holds that many (0: any count).
  explicit CQXGraphFuncSet(DWORD count = 0, DWORD value = 0);
  DWORD GetSetSize();

 private:
  DWORD m_expectedCount;
  DWORD m_value = 0;
  std::vector<std::unique_ptr<CQXGraphFuncEntry>> m_entries;
};

class CQXGraphFuncV5Item : public CQXGraphFuncSet {
 public:
  static constexpr int kTypeId = 5002;
  CQXGraphFuncV5Item() : CQXGraphFuncSet(30, 20) {}
  int GetTypeId() const override { return kTypeId; }
  BOOL InitFunctions() { return Init(30, 20); }
  BOOL InitNew() override { return InitFunctions(); }
};

class CQXRecursionFormulaSet : public CQXGraphFuncSet {
 public:
  static constexpr int kTypeId = 5022;
  CQXRecursionFormulaSet() : CQXGraphFuncSet(5, 3) {}
  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10318, {}, buffer, size); }
  BOOL InitFormulas() { return Init(5, 3); }
  BOOL InitNew() override { return InitFormulas(); }
};

// Stored: record header (tag 5009), dword recursion type, the formula set
// (5022), the range (5021), end mark 0xFEEF1391.
//
// Recursion type: 0 none; 1 and 2 of order 2, 3 and 4 of order 3; 2 and 4
// start at index 1, 1 and 3 at index 0.
class CQXRecursionV5Item : public CQXCalcItem {
 public:
  static constexpr int kTypeId = 5009;
  static constexpr int kSetupHeaderSize = 13;  // the bytes of the "SET1" packet read and written

  int GetTypeId() const override { return kTypeId; }
  void GetDisplayName(char* buffer, UINT size) override { DisplayString(10318, {}, buffer, size); }
  BOOL InitNew() override { return InitValues(); }
  void Load(COrvoArchive& ar) override;
  void Store(COrvoArchive& ar) override;
  DWORD GetStoredSize() override;

  // Five empty formulas and the 14 range values.
  BOOL InitValues();
  CQXRecursionFormulaSet& GetFormulas() { return m_formulas; }
  // Formula i (from 0), or null.
  CQXGraphFuncEntry* GetFormula(int i) const { return m_formulas.GetEntry(i); }
  CQXRecursionRangeItem& GetRange() { return m_range; }

  // The "SET1" packet: byte 5 '0', the type at 6, "Y=Data" at 7-12;
  // FALSE, nothing changed, for anything else.
  BOOL ParseSetupHeader(const BYTE* packet, int length);
  // n bytes 0xFF, "SET1" at 1-4, '0', the type, "Y=Data"; FALSE when n is
  // below 13.
  BOOL BuildSetupHeader(BYTE* buffer, int n) const;

  DWORD GetRecursionType() const { return m_type; }
  void SetRecursionTypeCode(DWORD type) { m_type = type; }
  // 2 for types 1, 2; 3 for types 3, 4; else 1.
  int GetRecursionOrder() const;
  // '1' for types 2 and 4, else '0'.
  char GetStartIndexChar() const;
  // Order 2 gives type 1 ('0') or 2 ('1'), order 3 type 3 or 4, another 0.
  void SetRecursionType(int order, char startChar);

 private:
  DWORD m_type = 0;
  CQXRecursionFormulaSet m_formulas;
  CQXRecursionRangeItem m_range;
};
