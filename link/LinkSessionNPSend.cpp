// The senders of the 50-byte family: each item's headers and data packets,
// in the order the calculator takes them, each with its answer.
#include "datamodel/HeaderKinds.h"
#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXImageItems.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXMemImageItems.h"
#include "datamodel/QXProgramItem.h"
#include "datamodel/QXRecursionItem.h"
#include "datamodel/QXValueSetItems.h"
#include "link/LinkSessionNP.h"
#include "link/ProgramPasswordQuery.h"
#include "link/SerialLink.h"
#include "platform/LanguageLibrary.h"

#include <cstring>

namespace {

// Value records are 14 bytes, 24 for a complex number.
constexpr UINT kValueRecordSpace = 32;

}  // namespace

BYTE* CQXLinkSessionNP::SendBuffer(DWORD size) {
  if (size > bufferSize_ && !AllocBuffer(size)) return nullptr;
  return buffer_.get();
}

void CQXLinkSessionNP::BeginItem(const std::string& text, int kind) {
  sendName_ = text;
  sendKind_ = kind;
  Report(text, kind);
}

int CQXLinkSessionNP::SendHeader(BYTE* header) {
  const int code = channel_.SendHeaderNP(header, kHeaderLengthNP);
  if (code != PACKET_OK) {
    // A cancelled port still lets the cancel byte out, so that the
    // calculator stops waiting.
    if (code == PACKET_CANCELLED) channel_.SendByte(LINK_CANCEL);
    return PacketCodeToSessionCode(code);
  }
  return channel_.ReadSendAnswer(doc_, sendName_.c_str(), sendKind_);
}

// Anything but 0x06 after a data packet ends the item; the calculator is told
// so with 0x18, unless it broke off itself.
int CQXLinkSessionNP::SendData(const BYTE* data, DWORD size) {
  int code = channel_.SendBlock(data, size);
  if (code == PACKET_OK) code = channel_.ReadAnswerNP();
  if (code == PACKET_OK) return SESSION_OK;
  if (code != PACKET_CALC_CANCELLED) channel_.SendByte(LINK_CANCEL);
  return PacketCodeToSessionCode(code);
}

// 1 sent, 15 declined by the calculator or the user, else a failure.
int CQXLinkSessionNP::SendOne(CQXCalcItem& item) {
  const int type = item.GetTypeId();
  if (auto* program = dynamic_cast<CQXProgramItem*>(&item)) return SendProgram(*program);
  if (auto* matrix = dynamic_cast<CQXMatrixItem*>(&item)) {
    BeginItem(DisplayNameOf(item), kKindMatrix);
    return SendGrid([matrix](BYTE* h, int n) { return matrix->BuildHeader(h, n); }, matrix->GetValues());
  }
  if (auto* list = dynamic_cast<CQXListItem*>(&item)) {
    const std::string title = list->GetTransferTitle();
    BeginItem(title.empty() ? DisplayNameOf(item) : title, kKindList);
    return SendGrid([list](BYTE* h, int n) { return list->BuildHeader(h, n); }, list->GetValues());
  }
  if (auto* equation = dynamic_cast<CQXEquationItem*>(&item)) {
    BeginItem(DisplayNameOf(item), kProgressEquation);
    return SendGrid([equation](BYTE* h, int n) { return equation->BuildHeader(h, n); }, equation->GetMatrix());
  }
  if (auto* functions = dynamic_cast<CQXGraphFuncItem*>(&item)) {
    BeginItem(CLanguageLibrary::LoadStringA(10310), kKindGraphFunctions);
    return SendTextRun(
        functions->GetCount(), [functions](int i, BYTE* h, int n) { return functions->BuildHeader(i, h, n); },
        [functions](int i) { return functions->GetFunctionLength(i); },
        [functions](int i, BYTE* data, DWORD n) { return functions->GetFunctionBytes(i, data, n); });
  }
  if (auto* memory = dynamic_cast<CQXFuncMemItem*>(&item)) {
    BeginItem(CLanguageLibrary::LoadStringA(10324), kKindFunctionMemory);
    return SendTextRun(
        memory->GetCount(), [memory](int i, BYTE* h, int n) { return memory->BuildHeader(i, h, n); },
        [memory](int i) { return memory->GetFunctionDataSize(i); },
        [memory](int i, BYTE* data, DWORD n) { return memory->GetFunctionBytes(i, data, n); });
  }
  if (auto* recursion = dynamic_cast<CQXRecursionItem*>(&item)) {
    // The two formulas, then the range entries.
    BeginItem(CLanguageLibrary::LoadStringA(10318), kKindGraphFunctions);
    const int result = SendTextRun(
        2, [recursion](int i, BYTE* h, int n) { return recursion->BuildFormulaHeader(i, h, n); },
        [recursion](int i) { return recursion->GetFormulaLength(i); },
        [recursion](int i, BYTE* data, DWORD n) { return recursion->GetFormulaBytes(i, data, n); });
    if (result != SESSION_OK) return result;
    return SendEntryRun(
        recursion->GetRangeCount(), [recursion](int i, BYTE* h, int n) { return recursion->BuildRangeHeader(i, h, n); },
        [recursion](int i, BYTE* out, UINT n) { return recursion->GetRangeValue(i, out, n); });
  }
  if (auto* set = dynamic_cast<CQXValueSetItem*>(&item)) {
    const int kind = type == CQXVWindowItem::kTypeId      ? kKindVWindow
                     : type == CQXZoomFactorItem::kTypeId ? kKindZoomFactor
                     : type == CQXTableRangeItem::kTypeId ? kKindTableRange
                                                          : kKindVariables;
    BeginItem(DisplayNameOf(item), kind);
    return SendEntryRun(
        set->GetCount(), [set](int i, BYTE* h, int n) { return set->BuildHeader(i, h, n); },
        [set](int i, BYTE* out, UINT n) { return set->GetValueRecord(i, out, n); });
  }
  if (auto* picture = dynamic_cast<CQXPictureItem*>(&item)) {
    BeginItem(DisplayNameOf(item), kKindPicture);
    return SendPicture(*picture);
  }
  if (auto* memory = dynamic_cast<CQXMemImageItem*>(&item)) {
    const int kind = type == CQXGraphMemItem::kTypeId          ? kKindGraphMemory
                     : type == CQXDynaGraphMemV4Item::kTypeId ? kKindDynamicGraphMemory
                                                              : kKindBackup;
    BeginItem(kind == kKindGraphMemory ? CLanguageLibrary::LoadStringA(10335)
              : kind == kKindBackup    ? CLanguageLibrary::LoadStringA(10340)
                                       : DisplayNameOf(item),
              kind);
    return SendTextRun(
        1, [memory](int, BYTE* h, int n) { return memory->BuildHeader(h, n); },
        [memory](int) { return memory->GetLength(); },
        [memory](int, BYTE* data, DWORD n) { return memory->GetBytes(data, int(n)); });
  }
  return SESSION_PROTOCOL;
}

// The header, then block (a, b) for every a below the outer and b below the
// inner count, b fastest.
int CQXLinkSessionNP::SendPicture(CQXPictureItem& picture) {
  BYTE header[kHeaderLengthNP];
  if (!picture.BuildHeader(header, kHeaderLengthNP)) return SESSION_PROTOCOL;
  int result = SendHeader(header);
  if (result != SESSION_OK) return result;
  const DWORD size = picture.GetDataBlockSize() - 2;
  BYTE* block = SendBuffer(size);
  if (!block) return SESSION_NO_MEMORY;
  for (int a = 0; a < picture.GetOuterBlockCount(); ++a)
    for (int b = 0; b < picture.GetInnerBlockCount(); ++b) {
      if (!picture.GetImageBlock(a, b, block, int(size))) return SESSION_PROTOCOL;
      result = SendData(block, size);
      if (result != SESSION_OK) return result;
    }
  return SESSION_OK;
}

int CQXLinkSessionNP::SendTextRun(int count, const NumberedHeader& build, const std::function<DWORD(int)>& size,
                                  const NumberedBytes& bytes) {
  for (int n = 0; n < count; ++n) {
    BYTE header[kHeaderLengthNP];
    if (!build(n, header, kHeaderLengthNP)) return SESSION_PROTOCOL;
    int result = SendHeader(header);
    if (result != SESSION_OK) return result;
    const DWORD length = size(n);
    BYTE* data = SendBuffer(length);
    if (!data) return SESSION_NO_MEMORY;
    if (!bytes(n, data, length)) return SESSION_PROTOCOL;
    result = SendData(data, length);
    if (result != SESSION_OK) return result;
  }
  return SESSION_OK;
}

int CQXLinkSessionNP::SendEntryRun(int count, const NumberedHeader& build,
                                   const std::function<UINT(int, BYTE*, UINT)>& record) {
  for (int i = 0; i < count; ++i) {
    BYTE header[kHeaderLengthNP];
    if (!build(i, header, kHeaderLengthNP)) return SESSION_PROTOCOL;
    int result = SendHeader(header);
    if (result != SESSION_OK) return result;
    BYTE value[kValueRecordSpace];
    const UINT size = record(i, value, sizeof value);
    if (size == 0) continue;  // an entry without a value has no packet
    result = SendData(value, size);
    if (result != SESSION_OK) return result;
  }
  return SESSION_OK;
}

int CQXLinkSessionNP::SendProgram(CQXProgramItem& program) {
  if (program.HasPassword()) {
    char password[32] = "";
    program.GetPassword(password, sizeof password);
    switch (AskProgramPassword(DisplayNameOf(program).c_str(), password)) {
      case PROGRAM_PASSWORD_SEND:
        break;
      case PROGRAM_PASSWORD_SKIP:
        return SESSION_OK;
      default:
        link_->Cancel();
        return SESSION_USER_CANCELLED;
    }
  }
  BeginItem(ProgramText(program), kKindProgram);
  return SendTextRun(
      1, [&](int, BYTE* h, int n) { return program.BuildHeader(h, n); },
      [&](int) { return program.GetLength(); },
      [&](int, BYTE* data, DWORD n) { return program.GetDataBlock(data, int(n)); });
}

// Matrices, lists and equations: one header, then every cell row by row.
int CQXLinkSessionNP::SendGrid(const std::function<BOOL(BYTE*, int)>& build, const CQXValueGrid& grid) {
  BYTE header[kHeaderLengthNP];
  if (!build(header, kHeaderLengthNP)) return SESSION_PROTOCOL;
  int result = SendHeader(header);
  if (result != SESSION_OK) return result;
  for (int a = 1; a <= grid.GetFirstCount(); ++a)
    for (int b = 1; b <= grid.GetSecondCount(); ++b) {
      BYTE record[kValueRecordSpace];
      const UINT size = grid.GetCellRecord(a, b, record, sizeof record);
      if (size == 0) return SESSION_PROTOCOL;
      result = SendData(record, size);
      if (result != SESSION_OK) return result;
    }
  return SESSION_OK;
}
