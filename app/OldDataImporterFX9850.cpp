// The older family's records: each carries a link header of 50 bytes (40
// for a screen copy) and the data the link's packets carried, without their
// framing (a screen copy's blocks keep theirs). Items of several headers
// take one record per header, in order.
#include "app/OldDataImporter.h"

#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXProgramItem.h"
#include "datamodel/QXRecursionItem.h"
#include "datamodel/QXValueSetItems.h"
#include "services/DocServices.h"

#include <climits>
#include <cstdint>
#include <new>

namespace {

constexpr int kConverted = CQXOldDataImporter::kConverted;
constexpr int kBadRecord = CQXOldDataImporter::kBadRecord;
constexpr UINT kCellSize = CQXNumberCell::kRealRecordSize;

int HeaderSize(const qxl16_Record* record) { return int(record->headerLength); }

// The cells of a grid, one 14-byte value record each, row by row; the data
// must hold them all.
int FillGrid(CQXValueGrid& grid, const qxl16_Record* record) {
  const BYTE* data;
  DWORD length;
  const std::uint64_t cells = std::uint64_t(grid.GetFirstCount()) * std::uint64_t(grid.GetSecondCount());
  if (!GetOldRecordData(record, &data, &length) || length < cells * kCellSize) return kBadRecord;
  for (std::uint64_t i = 0; i < cells; ++i)
    if (!grid.SetCellFromRecord(data + i * kCellSize, kCellSize)) return kBadRecord;
  return kConverted;
}

// `count` records of one item, one per header: `parse` takes header n, and
// `take` its data (which `required` demands). `next` receives the record
// after the last.
template <class Parse, class Take>
int TextRun(const qxl16_Record* first, int count, bool required, Parse parse, Take take, const qxl16_Record** next) {
  const qxl16_Record* record = first;
  for (int n = 0; n < count; ++n, record = record->next) {
    if (!record || !parse(n, record->header, HeaderSize(record))) return kBadRecord;
    const BYTE* data;
    DWORD length;
    if (!GetOldRecordData(record, &data, &length) || (required && length == 0) || !take(n, data, length))
      return kBadRecord;
  }
  *next = record;
  return kConverted;
}

// `count` records of named values: each header names its entry, and a
// non-empty data block is the entry's value record (when the header
// announces one).
template <class Parse, class Take>
int EntryRun(const qxl16_Record* first, int count, Parse parse, Take take, const qxl16_Record** next) {
  const qxl16_Record* record = first;
  for (int n = 0; n < count; ++n, record = record->next) {
    if (!record || !parse(record->header, HeaderSize(record))) return kBadRecord;
    const BYTE* data;
    DWORD length;
    if (!GetOldRecordData(record, &data, &length)) return kBadRecord;
    const UINT size = CQXVariableSet::GetDataSize(record->header, HeaderSize(record));
    if (length == 0 || size == 0) continue;
    if (length < size || !take(record->header, data, size)) return kBadRecord;
  }
  *next = record;
  return kConverted;
}

int FillValueSet(CQXValueSetItem& set, const qxl16_Record* first, const qxl16_Record** next) {
  return EntryRun(
      first, set.GetCount(), [&set](const BYTE* h, int n) { return set.ParseHeader(h, n); },
      [&set](const BYTE* h, const BYTE* r, UINT n) { return set.SetFromHeader(h, r, n); }, next);
}

// A picture's data: outer x inner blocks of equal size, each naming its
// place itself.
int FillPicture(CQXPictureItem& picture, const qxl16_Record* record) {
  const BYTE* data;
  DWORD length;
  const std::uint64_t blocks =
      std::uint64_t(picture.GetOuterBlockCount()) * std::uint64_t(picture.GetInnerBlockCount());
  if (!GetOldRecordData(record, &data, &length) || blocks == 0) return kBadRecord;
  const std::uint64_t size = length / blocks;
  if (size == 0 || size > INT_MAX) return kBadRecord;
  for (std::uint64_t i = 0; i < blocks; ++i)
    if (!picture.SetImageBlock(data + i * size, int(size))) return kBadRecord;
  return kConverted;
}

// A screen copy's data: a block of the item's block size per plane; each
// without its first byte (two for a colour copy, whose blocks lead with
// their plane byte) and its last.
int FillScreenCopy(CQXScreenItem& screen, const qxl16_Record* record) {
  const BYTE* data;
  DWORD length;
  const CQXImageRecord& image = screen.GetImage();
  const std::uint64_t block = screen.GetDataBlockSize();
  const std::uint64_t outer = image.GetPlanesC(), inner = image.GetPlanesD();
  const std::uint64_t skip = inner > 1 ? 2 : 1;
  if (!GetOldRecordData(record, &data, &length) || block <= skip + 1 || outer * inner * block > length)
    return kBadRecord;
  for (std::uint64_t a = 0; a < outer; ++a)
    for (std::uint64_t j = 0; j < inner; ++j)
      if (!screen.SetImageData(int(j + 1), data + (a * inner + j) * block + skip, int(block - skip - 1)))
        return kBadRecord;
  return kConverted;
}

}  // namespace

CQXOldDataImporterFX9850::CQXOldDataImporterFX9850(CQXDocServices* doc) : CQXOldDataImporter(doc) {
  doc->GetCalculatorType(&m_calcType);
}

CQXOldDataImporterFX9850::~CQXOldDataImporterFX9850() = default;

void CQXOldDataImporterFX9850::EndRun() {
  // Formulas whose range never came.
  if (m_recursion) {
    m_recursion.reset();
    CountSkipped();
  }
}

int CQXOldDataImporterFX9850::ConvertRecord(qxl16_Record** cursor, std::unique_ptr<CQXDocEntry>* out) {
  out->reset();
  if (!cursor || !*cursor) return kBadRecord;
  const int kind = KindFromOldHeader((*cursor)->header, HeaderSize(*cursor));
  if (kind == kKindUnknown) return kBadRecord;
  // Programs and screen copies are whole in their record and leave the
  // cursor where it was.
  const bool whole = kind == kKindProgram || kind == kKindScreenCopyMono || kind == kKindScreenCopyColour;
  return ConvertAt(cursor, kind, whole, out, [&](const qxl16_Record* first, const qxl16_Record** next, ItemPtr* item,
                                                  int* entryKind) { return Convert(kind, first, next, item, entryKind); });
}

int CQXOldDataImporterFX9850::Convert(int kind, const qxl16_Record* first, const qxl16_Record** next, ItemPtr* item,
                                      int* entryKind) {
  const BYTE* header = first->header;
  const int size = HeaderSize(first);
  switch (kind) {
    case kKindProgram: {
      auto program = std::make_unique<CQXProgramItem>();
      const BYTE* data;
      DWORD length;
      if (!program->ParseHeader(header, size) || !GetOldRecordData(first, &data, &length) || length > INT_MAX ||
          !program->SetDataBlock(data, int(length)))
        return kBadRecord;
      *item = std::move(program);
      return kConverted;
    }
    case kKindMatrix: {
      auto matrix = std::make_unique<CQXMatrixItem>();
      if (!matrix->ParseHeader(header, size) || FillGrid(matrix->GetValues(), first) != kConverted) return kBadRecord;
      *item = std::move(matrix);
      return kConverted;
    }
    case kKindList: {
      auto list = std::make_unique<CQXListItem>();
      if (!list->ParseHeader(header, size) || FillGrid(list->GetValues(), first) != kConverted) return kBadRecord;
      *item = std::move(list);
      return kConverted;
    }
    case kKindSimultaneousEquation:
    case kKindPolynomialEquation: {
      std::unique_ptr<CQXEquationItem> equation;
      if (kind == kKindSimultaneousEquation)
        equation = std::make_unique<CQXSimlEquationItem>();
      else
        equation = std::make_unique<CQXPolyEquationItem>();
      if (!equation->ParseHeader(header, size) || FillGrid(equation->GetMatrix(), first) != kConverted)
        return kBadRecord;
      *item = std::move(equation);
      return kConverted;
    }
    case kKindGraphFunctions: {
      std::unique_ptr<CQXGraphFuncItem> functions;
      if (m_calcType == "FX7400") {
        functions = std::make_unique<CQXGraphFunc10Item>();
        *entryKind = kStoredGraphFunctions10;
      } else if (m_calcType == "FX9850") {
        functions = std::make_unique<CQXGraphFunc20Item>();
        *entryKind = kStoredGraphFunctions20;
      } else {
        return kNotConverted;
      }
      CQXGraphFuncItem* f = functions.get();
      const int result = TextRun(
          first, f->GetCount(), true, [f](int n, const BYTE* h, int s) { return f->ParseHeader(n, h, s); },
          [f](int n, const BYTE* data, DWORD length) { return f->SetFunctionBytes(n, data, length); }, next);
      if (result != kConverted) return result;
      *item = std::move(functions);
      return kConverted;
    }
    case kKindVWindow:
    case kKindZoomFactor:
    case kKindTableRange: {
      std::unique_ptr<CQXValueSetItem> set;
      if (kind == kKindVWindow)
        set = std::make_unique<CQXVWindowItem>();
      else if (kind == kKindZoomFactor)
        set = std::make_unique<CQXZoomFactorItem>();
      else
        set = std::make_unique<CQXTableRangeItem>();
      const int result = FillValueSet(*set, first, next);
      if (result != kConverted) return result;
      *item = std::move(set);
      return kConverted;
    }
    case kKindVariables: {
      std::unique_ptr<CQXVariableItem> variables;
      if (m_calcType == "FX9850") {
        variables = std::make_unique<CQXVariable28Item>();
        *entryKind = kStoredVariables28;
      } else if (m_calcType == "FX7400") {
        variables = std::make_unique<CQXVariable26Item>();
        *entryKind = kStoredVariables26;
      } else {
        return kNotConverted;
      }
      if (!variables->InitNames()) return kNoMemory;
      const int result = FillValueSet(*variables, first, next);
      if (result != kConverted) return result;
      *item = std::move(variables);
      return kConverted;
    }
    case kKindRecursionFormulas: return ConvertRecursionFormulas(first, next);
    case kKindRecursionRange: {
      *entryKind = kStoredRecursion;
      return ConvertRecursionRange(first, next, item);
    }
    case kKindFunctionMemory: {
      auto memory = std::make_unique<CQXFuncMemItem>();
      CQXFuncMemItem* m = memory.get();
      const int result = TextRun(
          first, m->GetCount(), false, [m](int n, const BYTE* h, int s) { return m->ParseHeader(n, h, s); },
          [m](int n, const BYTE* data, DWORD length) { return m->SetFunctionBytes(n, data, length); }, next);
      if (result != kConverted) return result;
      *item = std::move(memory);
      return kConverted;
    }
    case kKindPicture: {
      auto picture = std::make_unique<CQXPictureItem>();
      if (!picture->ParseHeader(header, size) || FillPicture(*picture, first) != kConverted) return kBadRecord;
      *item = std::move(picture);
      return kConverted;
    }
    case kKindGraphMemory:
    case kKindDynamicGraphMemory: {
      std::unique_ptr<CQXMemImageItem> memory;
      if (kind == kKindGraphMemory)
        memory = std::make_unique<CQXGraphMemItem>();
      else
        memory = std::make_unique<CQXDynaGraphMemV4Item>();
      const BYTE* data;
      DWORD length;
      if (!memory->ParseHeader(header, size) || !GetOldRecordData(first, &data, &length) || length > INT_MAX ||
          !memory->SetBytes(data, int(length)))
        return kBadRecord;
      *item = std::move(memory);
      return kConverted;
    }
    case kKindScreenCopyMono:
    case kKindScreenCopyColour: {
      auto screen = std::make_unique<CQXScreenItem>();
      if (!screen->ParseHeader(header, size) || FillScreenCopy(*screen, first) != kConverted) return kBadRecord;
      *item = std::move(screen);
      return kConverted;
    }
    default: return kNotConverted;
  }
}

// The first header names the recursion type; the two formulas follow, one
// record each, and wait for their range.
int CQXOldDataImporterFX9850::ConvertRecursionFormulas(const qxl16_Record* first, const qxl16_Record** next) {
  if (m_recursion) {
    m_recursion.reset();
    CountSkipped();
  }
  auto recursion = std::make_unique<CQXRecursionItem>();
  int type = 0;
  if (!CQXRecursionItem::ParseRecursionType(first->header, HeaderSize(first), &type) ||
      !recursion->SetRecursionType(type))
    return kBadRecord;
  CQXRecursionItem* r = recursion.get();
  const int result = TextRun(
      first, 2, true, [r](int n, const BYTE* h, int s) { return r->ParseFormulaHeader(n, h, s); },
      [r](int n, const BYTE* data, DWORD length) { return r->SetFormulaBytes(n, data, length); }, next);
  if (result != kConverted) return result;
  m_recursion = std::move(recursion);
  return kPending;
}

int CQXOldDataImporterFX9850::ConvertRecursionRange(const qxl16_Record* first, const qxl16_Record** next,
                                                    ItemPtr* item) {
  if (!m_recursion) return kBadRecord;
  std::unique_ptr<CQXRecursionItem> recursion = std::move(m_recursion);
  CQXRecursionItem* r = recursion.get();
  const int result = EntryRun(
      first, r->GetRangeCount(), [r](const BYTE* h, int n) { return r->ParseRangeHeader(h, n); },
      [r](const BYTE* h, const BYTE* rec, UINT n) { return r->SetRangeFromHeader(h, rec, n); }, next);
  if (result != kConverted) return result;
  *item = std::move(recursion);
  return kConverted;
}
