#include "datamodel/QXDataLoggerItem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

// The default set-up, field by field.
constexpr BYTE kDefaultSetup[CQXDataLoggerItem::kSetupSize] = {
    'N', 'o', ' ', 'T', 'i', 't', 'l', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //   0 title
    0x09, 0x95, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                    //  19 number
    20, 0,                                                                   //  28
    2, 0,                                                                    //  30
    0, 0, 0, 0, 0, 0,                                                        //  32, 34, 36
    2, 2, 2, 2,                                                              //  38-41 bytes
    0, 0,                                                                    //  42
    0, 0,                                                                    //  44 (no field)
    1, 0,                                                                    //  46
    3, 0,                                                                    //  48
    1, 1,                                                                    //  50, 51 bytes
    0, 0, 0, 0,                                                              //  52, 54
    0x10, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                    //  56 number
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                    //  65 number
    10, 0,                                                                   //  74
    0, 0,                                                                    //  76
    0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                    //  78 number
    0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                    //  87 number
    1, 0,                                                                    //  96
    1, 0,                                                                    //  98
    0, 0,                                                                    // 100
    // 102: the byte block, zero (its first 132 bytes)
};

struct Field {
  int number;
  int width;
};

constexpr Field kFields[] = {
    {0, 19},   {19, 9},   {28, 2},   {30, 2},   {32, 2},   {34, 2},   {36, 2},   {38, 1},   {39, 1},
    {40, 1},   {41, 1},   {42, 2},   {46, 2},   {48, 2},   {50, 1},   {51, 1},   {52, 2},   {54, 2},
    {56, 9},   {65, 9},   {74, 2},   {76, 2},   {78, 9},   {87, 9},   {96, 2},   {98, 2},   {100, 2},
    {102, 137},
    {2000, 19}, {2019, 19}, {2028, 2}, {2030, 2}, {2032, 9}, {2041, 9}, {2050, 74},
};

// The field's bytes in the record, or null when the field is unknown or
// does not lie wholly inside the record's data.
BYTE* fieldBytes(const CQXRawBlock* record, int field, int* width) {
  *width = CQXDataLoggerItem::GetFieldWidth(field);
  if (*width == 0) return nullptr;
  const DWORD offset = DWORD(field >= 2000 ? field - 2000 : field);
  if (offset + DWORD(*width) > record->GetLength()) return nullptr;
  return const_cast<BYTE*>(record->GetData()) + offset;
}

bool missing(const CQXRawBlock* record) { return !record || record->GetLength() == 0; }

}  // namespace

const BYTE* CQXDataLoggerItem::DefaultSetup() { return kDefaultSetup; }

int CQXDataLoggerItem::GetFieldWidth(int field) {
  for (const Field& f : kFields)
    if (f.number == field) return f.width;
  return 0;
}

int CQXDataLoggerItem::AddSetupRecord(int kind, int n) {
  char name[16];
  if (kind == 0 && n == 0)
    std::snprintf(name, sizeof name, "cda_mem");
  else if ((kind == 0 || kind == 1) && n >= 1 && n <= 99)
    std::snprintf(name, sizeof name, "%d%02d", kind == 0 ? 10 : 20, n);
  else
    return 0;
  const DWORD size = kind == 0 ? kSetupSize : kProbeSize;
  // The new record is made whole before the old one goes, so a failure
  // loses nothing.
  try {
    auto block = std::make_unique<CQXRawBlock>();
    block->InitHeader(254, name, "E-CON", size);
    if (kind == 0)
      block->SetData(kDefaultSetup, size);
    else
      block->SetData(std::vector<BYTE>(size, 0).data(), size);
    CQXRawBlockList& blocks = GetBlockList();
    blocks.AddTail(std::move(block));
    const int old = FindBlockIndex(name);
    if (old != blocks.GetCount() - 1) blocks.RemoveAt(old);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

int CQXDataLoggerItem::GetIntField(const CQXRawBlock* record, int field, DWORD* value) {
  if (missing(record)) return -2;
  int width = 0;
  const BYTE* p = fieldBytes(record, field, &width);
  if (!p || (width != 1 && width != 2) || !value) return 0;
  *value = width == 1 ? p[0] : DWORD(p[0]) | DWORD(p[1]) << 8;
  return 1;
}

int CQXDataLoggerItem::SetIntField(CQXRawBlock* record, int field, DWORD value) {
  if (missing(record)) return -2;
  int width = 0;
  BYTE* p = fieldBytes(record, field, &width);
  if (!p || (width != 1 && width != 2)) return 0;
  p[0] = BYTE(value);
  if (width == 2) p[1] = BYTE(value >> 8);
  return 1;
}

int CQXDataLoggerItem::GetBytesField(const CQXRawBlock* record, int field, BYTE* buffer, UINT size) {
  if (missing(record)) return -2;
  int width = 0;
  const BYTE* p = fieldBytes(record, field, &width);
  if (!p || !buffer || size < UINT(width)) return 0;
  std::memcpy(buffer, p, size_t(width));
  return 1;
}

int CQXDataLoggerItem::SetBytesField(CQXRawBlock* record, int field, const BYTE* bytes, UINT length) {
  if (missing(record)) return -2;
  int width = 0;
  BYTE* p = fieldBytes(record, field, &width);
  if (!p) return 0;
  if (bytes) std::memcpy(p, bytes, std::min<size_t>(length, size_t(width)));
  return 1;
}
