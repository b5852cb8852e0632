// The newer family's records: each carries a 40-byte "MCS1" header (the
// data size big-endian at 6-9, the type at 10, the variable name at 11-18
// and the group from 19) and the data block that followed it on the link.
#include "app/OldDataImporter.h"

#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXFuncMemV5Item.h"
#include "datamodel/QXGraphFuncSets.h"
#include "datamodel/QXImageV5Items.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXProgramItem.h"
#include "platform/ByteOrder.h"
#include "services/DocServices.h"

#include <climits>
#include <cstring>
#include <new>

namespace {

constexpr int kConverted = CQXOldDataImporter::kConverted;
constexpr int kBadRecord = CQXOldDataImporter::kBadRecord;
constexpr DWORD kHeaderSize = 40;
constexpr int kNameAt = 11;
constexpr int kGroupAt = 19;
constexpr int kGroupLength = 20;
constexpr const char* kFunctionMemoryPath = "\\Calculator\\FMemV5";

int KindOf(const qxl16_Record* record) {
  return record->headerLength == kHeaderSize ? KindFromNewHeader(record->header) : int(kKindUnknown);
}

// A field of the header up to the first 0xFF (or NUL for the group).
std::string HeaderText(const BYTE* header, int at, int length, bool stopAtNul) {
  std::string text;
  for (int i = 0; i < length; ++i) {
    const BYTE b = header[at + i];
    if (b == 0xFF || (stopAtNul && b == 0)) break;
    text += char(b);
  }
  return text;
}

std::string NameOf(const qxl16_Record* record) { return HeaderText(record->header, kNameAt, 8, false); }
std::string GroupOf(const qxl16_Record* record) { return HeaderText(record->header, kGroupAt, kGroupLength, true); }

// The data the header announces; FALSE when the record holds less.
bool AnnouncedData(const qxl16_Record* record, const BYTE** data, DWORD* size) {
  *size = GetBigEndian32(record->header + 6);
  *data = record->data;
  return *size == 0 || (record->data && *size <= record->dataLength);
}

// The numbers of a matrix, list, value item or range: the numeric block
// whose shape the item takes, when there is one.
int ReadNumbers(CQXNumericArray& array, const qxl16_Record* record) {
  const BYTE* data;
  DWORD size;
  if (!AnnouncedData(record, &data, &size)) return kBadRecord;
  return size == 0 || ReadNumericBlock(array, data, size) ? kConverted : kBadRecord;
}

// The entries of a function set, one record of `kind` each, in order; a
// record without data leaves its entry empty.
int FillSet(CQXGraphFuncSet& set, int kind, const qxl16_Record* first, const qxl16_Record** next) {
  const qxl16_Record* record = first;
  for (int i = 0; i < set.GetCount(); ++i, record = record->next) {
    if (!record || KindOf(record) != kind) return kBadRecord;
    const BYTE* data;
    DWORD size;
    if (!AnnouncedData(record, &data, &size)) return kBadRecord;
    if (size && !set.GetEntry(i)->SetFromRecord(data, size)) return kBadRecord;
  }
  *next = record;
  return kConverted;
}

}  // namespace

CQXOldDataImporterAlgebra::CQXOldDataImporterAlgebra(CQXDocServices* doc) : CQXOldDataImporter(doc) {}

CQXOldDataImporterAlgebra::~CQXOldDataImporterAlgebra() = default;

void CQXOldDataImporterAlgebra::EndRun() {
  if (m_recursion) {
    m_recursion.reset();
    CountSkipped();
  }
  if (!m_functionMemory) return;
  CQXDocEntry entry;
  entry.SetItem(m_functionMemory.release());
  entry.SetKind(kKindFunctionMemoryV5);
  if (!FileEntry(&entry)) CountSkipped();
}

int CQXOldDataImporterAlgebra::ConvertRecord(qxl16_Record** cursor, std::unique_ptr<CQXDocEntry>* out) {
  out->reset();
  if (!cursor || !*cursor) return kBadRecord;
  const int kind = KindOf(*cursor);
  if (kind == kKindUnknown) return kNotConverted;
  // A program is whole in its record and leaves the cursor where it was.
  return ConvertAt(cursor, kind, kind == kKindProgram, out,
                   [&](const qxl16_Record* first, const qxl16_Record** next, ItemPtr* item, int* entryKind) {
                     return Convert(kind, first, next, item, entryKind);
                   });
}

int CQXOldDataImporterAlgebra::Convert(int kind, const qxl16_Record* first, const qxl16_Record** next,
                                       ItemPtr* item, int* entryKind) {
  const std::string name = NameOf(first);
  const std::string group = GroupOf(first);
  // A numeric item that took its name: its numbers follow.
  auto numbers = [&](auto array) {
    if (!array->InitNew()) return int(kNoMemory);
    if (ReadNumbers(*array, first) != kConverted) return int(kBadRecord);
    *item = std::move(array);
    return int(kConverted);
  };
  switch (kind) {
    case kKindProgram: return ConvertProgram(first, item);
    case kKindMatrixV5: {
      auto matrix = std::make_unique<CQXMatrixV5Item>();
      if (!matrix->SetName(name.c_str())) return kBadRecord;
      return numbers(std::move(matrix));
    }
    case kKindListV5: {
      auto list = std::make_unique<CQXListV5Item>();
      if (!list->SetNameFromHeader(name.c_str(), group.c_str())) return kBadRecord;
      return numbers(std::move(list));
    }
    case kKindVWindowV5: {
      auto window = std::make_unique<CQXVWindowV5Item>();
      if (!window->SetNameFromHeader(name.c_str(), group.c_str())) return kBadRecord;
      return numbers(std::move(window));
    }
    case kKindAlphaMemory: return ConvertVariables(first, next, item);
    case kKindSimultaneousCoefficients:
    case kKindPolynomialCoefficients: {
      auto coefficients = NewEquationCoefItem(kind == kKindSimultaneousCoefficients, name.c_str());
      if (!coefficients) return kNoMemory;
      return numbers(std::move(coefficients));
    }
    case kKindEquationResult: {
      auto result = std::make_unique<CQXEquationResultItem>();
      result->SetKindFromHeaderName(name.c_str());
      return numbers(std::move(result));
    }
    case kKindZoomFactorV5:
    case kKindTableRangeV5: {
      std::unique_ptr<CQXNumericArray> values;
      if (kind == kKindZoomFactorV5)
        values = std::make_unique<CQXZoomFactorV5Item>();
      else
        values = std::make_unique<CQXTableRangeV5Item>();
      return numbers(std::move(values));
    }
    case kKindGraphFunctionV5: {
      auto functions = std::make_unique<CQXGraphFuncV5Item>();
      if (!functions->InitFunctions()) return kNoMemory;
      const int result = FillSet(*functions, kind, first, next);
      if (result != kConverted) return result;
      *item = std::move(functions);
      return kConverted;
    }
    case kKindRecursionFormulaV5: {
      // Formulas begin a recursion that a set-up and a range complete; one
      // still waiting is lost.
      if (m_recursion) {
        m_recursion.reset();
        CountSkipped();
      }
      auto recursion = std::make_unique<CQXRecursionV5Item>();
      if (!recursion->InitValues()) return kNoMemory;
      const int result = FillSet(recursion->GetFormulas(), kind, first, next);
      if (result != kConverted) return result;
      m_recursion = std::move(recursion);
      return kPending;
    }
    case kKindSetUp:
      if (!m_recursion) return kNotConverted;
      return m_recursion->ParseSetupHeader(first->header, int(kHeaderSize)) ? kPending : kBadRecord;
    case kKindRecursionRangeV5: {
      if (!m_recursion) return kNotConverted;
      std::unique_ptr<CQXRecursionV5Item> recursion = std::move(m_recursion);
      if (ReadNumbers(recursion->GetRange(), first) != kConverted) return kBadRecord;
      *item = std::move(recursion);
      *entryKind = kStoredRecursionV5;
      return kConverted;
    }
    case kKindPictureV5:
    case kKindGraphMemoryV5: {
      std::unique_ptr<CQXNamedBytesItem> bytes;
      if (kind == kKindPictureV5)
        bytes = std::make_unique<CQXPictureV5Item>();
      else
        bytes = std::make_unique<CQXGraphMemV5Item>();
      const BYTE* data;
      DWORD size;
      if (!bytes->SetNameFromHeader(name.c_str()) || !AnnouncedData(first, &data, &size) || size == 0 ||
          !bytes->SetBytes(data, size))
        return kBadRecord;
      *item = std::move(bytes);
      return kConverted;
    }
    case kKindFunctionMemoryV5: return ConvertFunctionMemory(first);
    case kKindDynamicGraphMemoryV5:
    case kKindCasMemory:
    case kKindAlgebraMemory:
    case kKindDifferentialEquations:
    case kKindDataLoggerSetUp:
    case kKindOtherMemory: return ConvertRawRun(kind, first, next, item);
    default: return kNotConverted;
  }
}

// The data: the password (bytes 0-7 up to a zero), the base-N flag (byte
// 8), byte 9 unused, then the program, whose last byte is its end byte.
int CQXOldDataImporterAlgebra::ConvertProgram(const qxl16_Record* record, ItemPtr* item) {
  constexpr DWORD kHead = 10;
  const BYTE* data;
  DWORD length;
  if (!GetOldRecordData(record, &data, &length) || length < kHead || length > INT_MAX) return kBadRecord;
  BYTE* block = WorkBuffer(length);
  if (!block) return kNoMemory;
  std::memcpy(block, data, length);
  block[length - 1] = 0xFF;
  auto program = std::make_unique<CQXProgramItem>();
  const std::string password(reinterpret_cast<const char*>(block), strnlen(reinterpret_cast<const char*>(block), 8));
  if (!program->SetName(NameOf(record).c_str()) || !program->SetPassword(password.c_str())) return kBadRecord;
  program->SetBaseN(block[8] != 0);
  if (length > kHead && !program->SetDataBlock(block + kHead, int(length - kHead))) return kBadRecord;
  *item = std::move(program);
  return kConverted;
}

// One value per record, filed under the variable its header names: a set
// may hold only some letters, in an order of its own. 9 bytes, or 18 with
// an imaginary part (a zero one is a real value). The set ends after as
// many records as there are variables, at the end of the chain or at the
// first record of another kind.
int CQXOldDataImporterAlgebra::ConvertVariables(const qxl16_Record* first, const qxl16_Record** next,
                                                ItemPtr* item) {
  constexpr DWORD kPart = CQXNumericArray::kElementSize;
  auto variables = std::make_unique<CQXAlphaMemItem>();
  if (!variables->InitValues()) return kNoMemory;
  const qxl16_Record* record = first;
  for (DWORD part = 0; part < variables->GetRows() && record && KindOf(record) == kKindAlphaMemory;
       ++part, record = record->next) {
    const int index = variables->FindVariable(NameOf(record).c_str());
    const BYTE* data;
    DWORD size;
    if (index < 0 || !AnnouncedData(record, &data, &size) || (size != 0 && size != kPart && size != 2 * kPart))
      return kBadRecord;
    const DWORD row = DWORD(index) + 1;
    if (size) variables->SetReal(row, 1, data, kPart);
    static const BYTE kZero[kPart] = {};
    if (size == 2 * kPart && std::memcmp(data + kPart, kZero, kPart) != 0)
      variables->SetImag(row, 1, data + kPart, kPart);
  }
  *next = record;
  *item = std::move(variables);
  return kConverted;
}

// Function memories fill the document's one item (or a new one) entry by
// entry; EndRun files it once. Header byte 15 numbers the entry.
int CQXOldDataImporterAlgebra::ConvertFunctionMemory(const qxl16_Record* record) {
  const int number = record->header[kNameAt + 4];
  const BYTE* data;
  DWORD size;
  if (number < 1 || number > CQXFuncMemV5Item::kCount || !AnnouncedData(record, &data, &size)) return kBadRecord;
  if (!m_functionMemory) {
    CQXDocEntry stored;
    if (Doc()->LoadItem(kFunctionMemoryPath, &stored) && stored.GetItem() &&
        stored.GetItem()->GetTypeId() == CQXFuncMemV5Item::kTypeId)
      m_functionMemory.reset(static_cast<CQXFuncMemV5Item*>(stored.DetachItem()));
    else
      m_functionMemory = std::make_unique<CQXFuncMemV5Item>();
  }
  CQXFuncMemEntry* entry = m_functionMemory->GetEntry(number - 1);
  if (!entry) return kBadRecord;
  if (size)
    entry->SetBytes(data, size);
  else
    entry->Assign(nullptr, 0);
  return kPending;
}

// The run of records of one kind (of an add-in, also of one group), each
// kept whole as a raw member. The cursor stops on the first record that
// does not belong to it, which converts next.
int CQXOldDataImporterAlgebra::ConvertRawRun(int kind, const qxl16_Record* first, const qxl16_Record** next,
                                             ItemPtr* item) {
  std::unique_ptr<CQXMemberFileItem> members = NewMemberFileItem(kind);
  const std::string group = GroupOf(first);
  const qxl16_Record* record = first;
  do {
    const BYTE* data;
    DWORD size;
    if (!AnnouncedData(record, &data, &size)) return kBadRecord;
    members->GetBlockList().AddBlock(record->header, kHeaderSize, data, size);
    record = record->next;
  } while (record && KindOf(record) == kind && (kind != kKindOtherMemory || GroupOf(record) == group));
  *next = record;
  *item = std::move(members);
  return kConverted;
}
