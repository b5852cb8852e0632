#include "datamodel/QXDiffEqItem.h"

#include <memory>
#include <new>

namespace {

constexpr BYTE kRecordType = 254;
constexpr const char* kGroup = "DIFF_EQ";
constexpr DWORD kResultSize = 18;
constexpr DWORD kOutputSize = 202;

}  // namespace

int CQXDiffEqItem::GetEquationKind() const {
  const CQXRawBlock* result = FindBlock("RESULT0");
  if (!result || result->GetLength() < kResultSize) return 0;
  const BYTE a = result->GetData()[9];
  return a >= 2 && a <= 7 ? a - 1 : 0;
}

int CQXDiffEqItem::GetParamCount(int kind) const {
  if (kind != 5 && kind != 6) return 1;
  const CQXRawBlock* record = FindBlock(kind == 5 ? "47" : "48");
  if (!record || record->GetLength() <= 5) return 1;
  const BYTE digit = record->GetData()[4];
  return digit >= '1' && digit <= '9' ? digit - '0' : 1;
}

BOOL CQXDiffEqItem::WriteRecord(const char* name, const std::vector<BYTE>& data, bool onlyWhenMissing,
                                bool moveToEnd) {
  CQXRawBlockList& blocks = GetBlockList();
  try {
    const int index = FindBlockIndex(name);
    if (index < 0) {
      auto block = std::make_unique<CQXRawBlock>();
      block->InitHeader(kRecordType, name, kGroup, DWORD(data.size()));
      block->SetData(data.data(), DWORD(data.size()));
      blocks.AddTail(std::move(block));
      return TRUE;
    }
    if (!onlyWhenMissing) {
      CQXRawBlock* block = blocks.GetAt(index);
      block->SetData(data.data(), DWORD(data.size()));
      block->SetHeaderDataSize(DWORD(data.size()));
    }
    if (moveToEnd) blocks.MoveToEnd(index);
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  return TRUE;
}

BOOL CQXDiffEqItem::EnsureResult() {
  return WriteRecord("RESULT", std::vector<BYTE>(kResultSize, 0), true, true);
}

BOOL CQXDiffEqItem::SetEquationKind(int kind) {
  static const BYTE kCodes[7][2] = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 5}, {0, 6}, {0, 7}};
  const BYTE* code = kCodes[kind >= 1 && kind <= 6 ? kind : 0];
  std::vector<BYTE> data(kResultSize, 0);
  data[0] = '0';
  data[2] = code[0];
  data[9] = code[1];
  return WriteRecord("RESULT0", data, false, true);
}

BOOL CQXDiffEqItem::EnsureOutput() {
  std::vector<BYTE> data(kOutputSize, 0);
  data[182] = 1;
  return WriteRecord("OUTP", data, true, false);
}

BOOL CQXDiffEqItem::SetParamCount(int kind, int count) {
  if (kind != 5 && kind != 6) return FALSE;
  std::vector<BYTE> data(6, 0);
  data[3] = 2;
  data[4] = BYTE('0' + count);
  return WriteRecord(kind == 5 ? "47" : "48", data, false, false);
}

BOOL CQXDiffEqItem::Reset() {
  GetBlockList().RemoveAll();
  return EnsureOutput() && EnsureResult() && SetEquationKind(0);
}

int MapDiffEqField(int kind, int field) {
  static const std::vector<int> kRows[5] = {
      {1, 2, 9, 10}, {3, 4, 9, 10}, {5, 6, 7, 9, 10}, {8, 9, 10}, {11, 12, 13, 14, 15, 16}};
  if (field < 0 || field > 0xFFFF) return -1;
  if (kind == 5) return 17 + field;
  if (kind == 6) return 28 + field;
  if (kind < 0 || kind > 4 || size_t(field) >= kRows[kind].size()) return -1;
  return kRows[kind][size_t(field)];
}
