// The recursion pages of both families and their views (main page 630, then
// the description page).
//
// CQXRecursionDataPage (4009): sequences a and b; range values by the
// item's names in the older 10-byte form; each formula's 18-byte style
// block travels with its field (colour "BL"/"OR"/"GN" at bytes 2-3, "SL"
// drawn or "NS" at 4-5, the start index '0'/'1' at 7). A formula is stored
// with the end byte 0xFF.
//
// CQXRecursionV5DataPage (5009): sequences a, b and c; the fourteen range
// values in the newer 9-byte form; each field keeps the entry's type code,
// option (bit 0x10: drawn) and colour (1 orange, 2 blue, 4 green).
//
// Both store into the entry's own item, after every value converted: what
// the page does not show (the newer set's entries 4 and 5, the style bytes
// it does not edit) stays.
#pragma once

#include "pages/QXPageView.h"
#include "pages/QXRecursionCtrlPage.h"

#include <array>
#include <memory>

struct CQXGraphFunctionInfo;

class CQXRecursionDataPage : public CQXRecursionCtrlDataPage {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXRecursionDataPage();
  ~CQXRecursionDataPage() override;

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
  BOOL ApplyRangeTable() override { return ApplyRangeTableAs(1); }

  // The style block of field `field`, or null.
  CQXGraphFunctionInfo* GetFieldInfo(int field) const;

 protected:
  void OnStartIndexChanged() override;
  void SetRecordColour(void* record, UINT command) override;
  BOOL IsRecordColour(const void* record, UINT command) const override;
  void ToggleRecordDrawn(void* record) override;
  BOOL IsRecordDrawn(const void* record) const override;

 private:
  std::array<std::unique_ptr<CQXGraphFunctionInfo>, 2> m_info;
};

class CQXRecursionV5DataPage : public CQXRecursionCtrlDataPage {
  Q_OBJECT

 public:
  // What a formula field of the newer page carries.
  struct FormulaRecord {
    int entry = 0;  // from 1
    int one = 1;
    int alsoOne = 1;
    int type = 0;
    int option = 0;  // bit 0x10: drawn
    int colour = 0;  // 1 orange, 2 blue, 4 green
  };
  static_assert(sizeof(FormulaRecord) == 24);

  Q_INVOKABLE CQXRecursionV5DataPage();
  ~CQXRecursionV5DataPage() override;

  BOOL LoadFromItem(CQXDocEntry* entry) override;
  BOOL StoreToItem(CQXDocEntry* entry) override;
  BOOL ApplyRangeTable() override { return ApplyRangeTableAs(2); }

  FormulaRecord* GetFieldRecord(int field) const;

 protected:
  void SetRecordColour(void* record, UINT command) override;
  BOOL IsRecordColour(const void* record, UINT command) const override;
  void ToggleRecordDrawn(void* record) override;
  BOOL IsRecordDrawn(const void* record) const override;

 private:
  std::array<std::unique_ptr<FormulaRecord>, 3> m_records;
};

class CQXRecursionDataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXRecursionDataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

class CQXRecursionV5DataView : public CQXDataPageView {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit CQXRecursionV5DataView(QWidget* parent = nullptr);
  BOOL CreatePages() override;
};

void RegisterRecursionPageClasses();
