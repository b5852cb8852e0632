// The receivers of the newer family: one per header kind, each building its
// item from the header and the data blocks that follow it.
#include "services/DocServices.h"
#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXFuncMemV5Item.h"
#include "datamodel/QXGraphFuncSets.h"
#include "datamodel/QXImageV5Items.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXProgramItem.h"
#include "link/LinkSessionMCS.h"
#include "link/SerialLink.h"
#include "platform/ByteOrder.h"
#include "platform/LanguageLibrary.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr int kNameOffset = 11;
constexpr int kGroupOffset = 19;
constexpr int kGroupLength = 20;
constexpr int kFunctionMemoryCount = 20;
constexpr const char* kFunctionMemoryPath = "\\Calculator\\FMemV5";

// The data size a header announces (a backup's at bytes 9-12).
DWORD announcedSize(const BYTE* header, int kind) {
  return GetBigEndian32(header + (kind == kKindBackupV5 ? 9 : 6));
}

// The group field up to the first 0xFF or NUL.
std::string groupOf(const BYTE* header) {
  std::string group;
  for (int i = 0; i < kGroupLength; ++i) {
    const BYTE b = header[kGroupOffset + i];
    if (b == 0xFF || b == 0) break;
    group += char(b);
  }
  return group;
}

bool allZero(const BYTE* bytes, DWORD n) {
  for (DWORD i = 0; i < n; ++i)
    if (bytes[i]) return false;
  return true;
}

}  // namespace

int CQXLinkSessionMCS::DispatchHeader(const BYTE* header, std::unique_ptr<CQXDocEntry>* out) {
  out->reset();
  if (!buffer_) return SESSION_NO_MEMORY;
  const int kind = KindFromNewHeader(header);
  if (kind == kKindUnknown) return SESSION_NOT_SUPPORTED;
  try {
    BYTE current[kHeaderLength];
    std::memcpy(current, header, kHeaderLength);
    ItemPtr item;
    int entryKind = kind;
    const int result = Receive(kind, current, &item, &entryKind);
    if (result != SESSION_OK) return result;
    auto entry = std::make_unique<CQXDocEntry>();
    entry->SetItem(item.release());
    entry->SetKind(DWORD(entryKind));
    *out = std::move(entry);
    lastKind_ = entryKind;
    return SESSION_OK;
  } catch (const std::bad_alloc&) {
    return SESSION_NO_MEMORY;
  }
}

int CQXLinkSessionMCS::Receive(int kind, BYTE* header, ItemPtr* item, int* entryKind) {
  char name[9] = {};
  CopyPacketName(header + kNameOffset, name);
  const std::string group = groupOf(header);
  auto numeric = [&](std::unique_ptr<CQXNumericArray> array, const std::string& text, int progressKind) {
    if (!array->InitNew()) return int(SESSION_NO_MEMORY);
    Report(text, progressKind);
    const int result = ReceiveNumeric(header, *array);
    if (result == SESSION_OK) *item = std::move(array);
    return result;
  };
  switch (kind) {
    case kKindProgram: return ReceiveProgram(header, item);
    case kKindMatrixV5: {
      auto matrix = std::make_unique<CQXMatrixV5Item>();
      if (!matrix->SetName(name)) return SESSION_BAD_DATA;
      char text[256];
      std::snprintf(text, sizeof text, "%s %c", CLanguageLibrary::LoadStringA(10304).c_str(), name[4]);
      return numeric(std::move(matrix), text, kind);
    }
    case kKindListV5: {
      auto list = std::make_unique<CQXListV5Item>();
      if (!list->SetNameFromHeader(name, group.c_str())) return SESSION_BAD_DATA;
      // The list's number after the list title; the item's own text for
      // a list without a number.
      std::string text = DisplayNameOf(*list);
      char number[16] = "";
      if (list->GetListNumber(number, sizeof number))
        text = CLanguageLibrary::LoadStringA(10342) + " " + std::to_string(std::atoi(number));
      return numeric(std::move(list), text, kind);
    }
    case kKindVWindowV5: {
      auto window = std::make_unique<CQXVWindowV5Item>();
      if (!window->SetNameFromHeader(name, group.c_str())) return SESSION_BAD_DATA;
      const std::string text = DisplayNameOf(*window);
      return numeric(std::move(window), text, kind);
    }
    case kKindAlphaMemory: return ReceiveVariables(header, item);
    case kKindSimultaneousCoefficients:
    case kKindPolynomialCoefficients: {
      auto coefficients = NewEquationCoefItem(kind == kKindSimultaneousCoefficients, name);
      if (!coefficients) return SESSION_NO_MEMORY;
      const std::string text = DisplayNameOf(*coefficients);
      return numeric(std::move(coefficients), text, kProgressEquation);
    }
    case kKindEquationResult: {
      auto result = std::make_unique<CQXEquationResultItem>();
      result->SetKindFromHeaderName(name);
      const std::string text = DisplayNameOf(*result);
      return numeric(std::move(result), text, kProgressEquation);
    }
    case kKindZoomFactorV5: {
      auto zoom = std::make_unique<CQXZoomFactorV5Item>();
      const std::string text = DisplayNameOf(*zoom);
      return numeric(std::move(zoom), text, kind);
    }
    case kKindTableRangeV5: {
      auto range = std::make_unique<CQXTableRangeV5Item>();
      const std::string text = DisplayNameOf(*range);
      return numeric(std::move(range), text, kind);
    }
    case kKindGraphFunctionV5: {
      auto functions = std::make_unique<CQXGraphFuncV5Item>();
      if (!functions->InitFunctions()) return SESSION_NO_MEMORY;
      Report(DisplayNameOf(*functions), kind);
      const int result = ReceiveParts(header, kind, *functions);
      if (result == SESSION_OK) *item = std::move(functions);
      return result;
    }
    case kKindRecursionFormulaV5: {
      // The formulas begin a recursion that "SET1" and "RECRG" complete.
      auto recursion = std::make_unique<CQXRecursionV5Item>();
      if (!recursion->InitValues()) return SESSION_NO_MEMORY;
      Report(DisplayNameOf(*recursion), kStoredRecursionV5);
      recursion_.reset();
      const int result = ReceiveParts(header, kind, recursion->GetFormulas());
      if (result != SESSION_OK) return result;
      recursion_ = std::move(recursion);
      return SESSION_NEXT_HEADER;
    }
    case kKindSetUp:
      if (!recursion_) return SESSION_PROTOCOL;
      if (!recursion_->ParseSetupHeader(header, int(kHeaderLength))) return SESSION_BAD_DATA;
      return SESSION_NEXT_HEADER;
    case kKindRecursionRangeV5:
      *entryKind = kStoredRecursionV5;
      return ReceiveRecursionRange(header, item);
    case kKindPictureV5:
    case kKindGraphMemoryV5: {
      std::unique_ptr<CQXNamedBytesItem> bytes;
      if (kind == kKindPictureV5)
        bytes = std::make_unique<CQXPictureV5Item>();
      else
        bytes = std::make_unique<CQXGraphMemV5Item>();
      const DWORD size = announcedSize(header, kind);
      // An empty picture or memory is not one the item can hold.
      if (!bytes->SetNameFromHeader(name) || size == 0) return SESSION_BAD_DATA;
      Report(DisplayNameOf(*bytes), kind);
      const int result = ReadBlock(size);
      if (result != SESSION_OK) return result;
      if (!bytes->SetBytes(buffer_.get(), size)) return SESSION_BAD_DATA;
      *item = std::move(bytes);
      return SESSION_OK;
    }
    case kKindFunctionMemoryV5: return ReceiveFunctionMemories(header, item);
    case kKindDynamicGraphMemoryV5:
    case kKindCasMemory:
    case kKindAlgebraMemory:
    case kKindDifferentialEquations:
    case kKindDataLoggerSetUp:
    case kKindOtherMemory:
    case kKindBackupV5: {
      std::unique_ptr<CQXMemberFileItem> members = NewMemberFileItem(kind);
      const int result = ReceiveMembers(header, kind, *members);
      if (result == SESSION_OK) *item = std::move(members);
      return result;
    }
    default: return SESSION_NOT_SUPPORTED;
  }
}

int CQXLinkSessionMCS::ReadBlock(DWORD size) {
  int result = GrowBuffer(size);
  if (result != SESSION_OK || size == 0) return result;
  result = SendPendingAnswer();
  if (result != SESSION_OK) return result;
  const int code = channel_.ReadDataBlock(buffer_.get(), size);
  if (code != PACKET_OK) return PacketCodeToSessionCode(code);
  pending_ = LINK_ACK;
  return SESSION_OK;
}

int CQXLinkSessionMCS::ReadNextHeader(BYTE* header) {
  const int result = SendPendingAnswer();
  if (result != SESSION_OK) return result;
  const int code = channel_.ReadHeaderPacket(header);
  if (code != PACKET_OK) return PacketCodeToSessionCode(code);
  pending_ = LINK_ACK;
  return SESSION_OK;
}

void CQXLinkSessionMCS::KeepHeader(const BYTE* header) {
  std::memcpy(pendingHeader_, header, kHeaderLength);
  hasPendingHeader_ = TRUE;
}

// Bytes 0-7 the password (up to a NUL), byte 8 the mode flag, byte 9 unused,
// then the text, whose last byte is the program's end byte.
int CQXLinkSessionMCS::ReceiveProgram(const BYTE* header, ItemPtr* item) {
  constexpr DWORD kHead = 10;
  char name[9];
  CopyPacketName(header + kNameOffset, name);
  const DWORD size = announcedSize(header, kKindProgram);
  if (size < kHead) return SESSION_BAD_DATA;
  auto program = std::make_unique<CQXProgramItem>();
  if (!program->SetName(name)) return SESSION_BAD_DATA;
  Report(ProgramText(name), kKindProgram);
  const int result = ReadBlock(size);
  if (result != SESSION_OK) return result;
  BYTE* block = buffer_.get();
  char password[9] = {};
  for (int i = 0; i < 8 && block[i] != 0 && block[i] != 0xFF; ++i) password[i] = char(block[i]);
  if (!program->SetPassword(password)) return SESSION_BAD_DATA;
  program->SetBaseN(block[8] != 0);
  if (size > kHead) {
    block[size - 1] = 0xFF;
    if (!program->SetDataBlock(block + kHead, int(size - kHead))) return SESSION_BAD_DATA;
  }
  *item = std::move(program);
  return SESSION_OK;
}

int CQXLinkSessionMCS::ReceiveNumeric(const BYTE* header, CQXNumericArray& array) {
  const DWORD size = announcedSize(header, kKindMatrixV5);
  const int result = ReadBlock(size);
  if (result != SESSION_OK || size == 0) return result;
  // The head's counts must agree with the block's length.
  return ReadNumericBlock(array, buffer_.get(), size) ? SESSION_OK : SESSION_BAD_DATA;
}

// One value per "Variable" header, in turn. Another header after the first
// ends the set and starts the next item.
int CQXLinkSessionMCS::ReceiveVariables(BYTE* header, ItemPtr* item) {
  constexpr DWORD kPart = CQXNumericArray::kElementSize;
  auto variables = std::make_unique<CQXAlphaMemItem>();
  if (!variables->InitValues()) return SESSION_NO_MEMORY;
  Report(DisplayNameOf(*variables), kKindAlphaMemory);
  const DWORD count = variables->GetRows();
  for (DWORD part = 1;; ++part) {
    // Each value goes to the variable its header names: the calculator
    // sends only some letters, in an order of its own.
    char name[9] = {};
    CopyPacketName(header + kNameOffset, name);
    const int index = variables->FindVariable(name);
    const DWORD size = announcedSize(header, kKindAlphaMemory);
    if (index < 0 || (size != 0 && size != kPart && size != 2 * kPart)) return SESSION_BAD_DATA;
    const DWORD row = DWORD(index) + 1;
    int result = ReadBlock(size);
    if (result != SESSION_OK) return result;
    if (size) variables->SetReal(row, 1, buffer_.get(), kPart);
    // A zero imaginary part is a real value.
    if (size == 2 * kPart && !allZero(buffer_.get() + kPart, kPart))
      variables->SetImag(row, 1, buffer_.get() + kPart, kPart);
    if (part == count) break;
    result = ReadNextHeader(header);
    if (result != SESSION_OK) return result;
    if (KindFromNewHeader(header) != kKindAlphaMemory) {
      KeepHeader(header);
      break;
    }
  }
  *item = std::move(variables);
  return SESSION_OK;
}

int CQXLinkSessionMCS::ReceiveParts(BYTE* header, int kind, CQXGraphFuncSet& parts) {
  const int count = parts.GetCount();
  for (int i = 0; i < count; ++i) {
    const DWORD size = announcedSize(header, kind);
    int result = ReadBlock(size);
    if (result != SESSION_OK) return result;
    // A part without a block owes nothing more than its header's 0x06,
    // which goes out before the next header is read.
    if (size && !parts.GetEntry(i)->SetFromRecord(buffer_.get(), size)) return SESSION_BAD_DATA;
    if (i + 1 == count) break;
    result = ReadNextHeader(header);
    if (result != SESSION_OK) return result;
    if (KindFromNewHeader(header) != kind) return SESSION_BAD_DATA;
  }
  return SESSION_OK;
}

int CQXLinkSessionMCS::ReceiveRecursionRange(const BYTE* header, ItemPtr* item) {
  std::unique_ptr<CQXRecursionV5Item> recursion = std::move(recursion_);
  if (!recursion) return SESSION_PROTOCOL;
  const int result = ReceiveNumeric(header, recursion->GetRange());
  if (result == SESSION_OK) *item = std::move(recursion);
  return result;
}

// Consecutive "FMEM" headers merge into the document's function memory,
// which goes out once; the first other header is kept for the next item.
int CQXLinkSessionMCS::ReceiveFunctionMemories(BYTE* header, ItemPtr* item) {
  std::unique_ptr<CQXFuncMemV5Item> memories;
  if (doc_) {
    CQXDocEntry stored;
    if (doc_->LoadItem(kFunctionMemoryPath, &stored) && stored.GetItem() &&
        stored.GetItem()->GetTypeId() == CQXFuncMemV5Item::kTypeId)
      memories.reset(static_cast<CQXFuncMemV5Item*>(stored.DetachItem()));
  }
  if (!memories) memories = std::make_unique<CQXFuncMemV5Item>();
  for (;;) {
    const int number = header[kNameOffset + 4];
    if (number < 1 || number > kFunctionMemoryCount) return SESSION_BAD_DATA;
    funcMemText_ = DisplayNameOf(*memories) + " " + std::to_string(number);
    Report(funcMemText_, kKindFunctionMemoryV5);
    const DWORD size = announcedSize(header, kKindFunctionMemoryV5);
    int result = ReadBlock(size);
    if (result != SESSION_OK) return result;
    CQXFuncMemEntry* entry = memories->GetEntry(number - 1);
    if (!entry) return SESSION_BAD_DATA;
    if (size)
      entry->SetBytes(buffer_.get(), size);
    else
      entry->Assign(nullptr, 0);
    result = ReadNextHeader(header);
    if (result != SESSION_OK) return result;
    if (KindFromNewHeader(header) != kKindFunctionMemoryV5) break;
  }
  KeepHeader(header);
  *item = std::move(memories);
  return SESSION_OK;
}

int CQXLinkSessionMCS::ReceiveMembers(BYTE* header, int kind, CQXMemberFileItem& item) {
  const bool backup = kind == kKindBackupV5;
  const std::string firstGroup = groupOf(header);
  if (backup)
    Report(CLanguageLibrary::LoadStringA(10340), kKindBackupV5);
  else
    Report(kind == kKindOtherMemory && !firstGroup.empty() ? firstGroup : DisplayNameOf(item), kind);
  for (;;) {
    const DWORD size = announcedSize(header, kind);
    int result = ReadBlock(size);
    if (result != SESSION_OK) return result;
    item.GetBlockList().AddBlock(header, kHeaderLength, buffer_.get(), size);
    result = ReadNextHeader(header);
    if (result != SESSION_OK) return result;
    if (backup) {
      if (CQXPacketChannel::IsEndPacket(header)) {
        end_ = TRUE;
        return SESSION_OK;
      }
      if (KindFromNewHeader(header) != kKindBackupV5) return SESSION_BAD_DATA;
      continue;
    }
    // An add-in runs while its members keep the first one's group.
    if (KindFromNewHeader(header) != kind || (kind == kKindOtherMemory && groupOf(header) != firstGroup)) break;
  }
  KeepHeader(header);
  return SESSION_OK;
}
