// The senders of the newer family: one "MCS1" header per item or part, the
// calculator's answer to it, then the data block and its answer.
#include "datamodel/HeaderKinds.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXFuncMemV5Item.h"
#include "datamodel/QXGraphFuncSets.h"
#include "datamodel/QXImageV5Items.h"
#include "datamodel/QXMemberFileItems.h"
#include "datamodel/QXNumericV5Items.h"
#include "datamodel/QXProgramItem.h"
#include "link/LinkSessionMCS.h"
#include "link/ProgramPasswordQuery.h"
#include "link/SerialLink.h"
#include "platform/LanguageLibrary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Type bytes of the "MCS1" headers the PC builds.
constexpr BYTE kTypeVariable = 0;
constexpr BYTE kTypeProgram = 1;
constexpr BYTE kTypeFunction = 2;
constexpr BYTE kTypeFunctionMemory = 4;
constexpr BYTE kTypeValues = 5;
constexpr BYTE kTypeMatrix = 6;
constexpr BYTE kTypePicture = 7;
constexpr BYTE kTypeData = 0xFE;

constexpr const char* kYData = "Y=Data";

// A partial send that the calculator declined goes on with the next part.
bool failed(int result) { return result != SESSION_OK && result != SESSION_SKIPPED; }

}  // namespace

void CQXLinkSessionMCS::BeginItem(const std::string& text, int kind) {
  currentText_ = text;
  currentKind_ = kind;
  Report(text, kind);
}

int CQXLinkSessionMCS::SendOne(CQXCalcItem& item) {
  switch (item.GetTypeId()) {
    case CQXProgramItem::kTypeId: return SendProgram(static_cast<CQXProgramItem&>(item));
    case CQXMatrixV5Item::kTypeId: {
      auto& matrix = static_cast<CQXMatrixV5Item&>(item);
      char name[16] = "";
      if (!matrix.GetHeaderName(name, sizeof name)) return SESSION_PROTOCOL;
      BeginItem(DisplayNameOf(item), kKindMatrixV5);
      return SendNumeric(matrix, kTypeMatrix, name, nullptr);
    }
    case CQXListV5Item::kTypeId:
    case CQXVWindowV5Item::kTypeId: {
      std::string name, group;
      const bool list = item.GetTypeId() == CQXListV5Item::kTypeId;
      const BOOL named = list ? static_cast<CQXListV5Item&>(item).GetHeaderNames(&name, &group)
                              : static_cast<CQXVWindowV5Item&>(item).GetHeaderNames(&name, &group);
      if (!named) return SESSION_PROTOCOL;
      BeginItem(DisplayNameOf(item), list ? kKindListV5 : kKindVWindowV5);
      return SendNumeric(static_cast<CQXNumericArray&>(item), kTypeValues, name.c_str(), group.c_str());
    }
    case CQXAlphaMemItem::kTypeId: return SendVariables(item);
    case CQXSimlCoefItem::kTypeId:
    case CQXPolyCoefItem::kTypeId: {
      auto& coefficients = static_cast<CQXEquationCoefItem&>(item);
      char name[16] = "";
      if (!coefficients.GetHeaderName(name, sizeof name)) return SESSION_PROTOCOL;
      BeginItem(DisplayNameOf(item), kProgressEquation);
      const int result = SendNumeric(coefficients, kTypeMatrix, name, "Equation");
      if (result != SESSION_OK) return result;
      // The calculator's old result no longer fits the new coefficients.
      CQXEquationResultItem empty;
      const bool simultaneous = item.GetTypeId() == CQXSimlCoefItem::kTypeId;
      empty.SetKindFromHeaderName(simultaneous ? "SIMLRSLT" : "POLYRSLT");
      BeginItem(DisplayNameOf(empty), kKindEquationResult);
      return SendNumeric(empty, kTypeMatrix, simultaneous ? "SIMLRSLT" : "POLYRSLT", "Equation");
    }
    case CQXZoomFactorV5Item::kTypeId:
      BeginItem(DisplayNameOf(item), kKindZoomFactorV5);
      return SendNumeric(static_cast<CQXNumericArray&>(item), kTypeValues, "FACTOR", kYData);
    case CQXTableRangeV5Item::kTypeId:
      BeginItem(DisplayNameOf(item), kKindTableRangeV5);
      return SendNumeric(static_cast<CQXNumericArray&>(item), kTypeData, "RANGE", kYData);
    case CQXGraphFuncV5Item::kTypeId:
      BeginItem(DisplayNameOf(item), kKindGraphFunctionV5);
      return SendParts(static_cast<CQXGraphFuncSet&>(item), "%u", 0);
    case CQXRecursionV5Item::kTypeId: return SendRecursion(static_cast<CQXRecursionV5Item&>(item));
    case CQXFuncMemV5Item::kTypeId: return SendFunctionMemories(item);
    case CQXPictureV5Item::kTypeId:
    case CQXGraphMemV5Item::kTypeId: {
      auto& bytes = static_cast<CQXNamedBytesItem&>(item);
      char name[16] = "";
      if (!bytes.GetHeaderName(name, sizeof name) || bytes.GetLength() == 0) return SESSION_PROTOCOL;
      const bool picture = item.GetTypeId() == CQXPictureV5Item::kTypeId;
      BeginItem(DisplayNameOf(item), picture ? kKindPictureV5 : kKindGraphMemoryV5);
      const int result = SendHeader(picture ? kTypePicture : kTypeData, bytes.GetLength(), name,
                                    picture ? nullptr : "GRAPH");
      if (result != SESSION_OK) return result;
      return SendData(bytes.GetData(), bytes.GetLength());
    }
    case CQXBackupItem::kTypeId:
      BeginItem(DisplayNameOf(item), kKindBackupV5);
      return SendMembers(static_cast<CQXMemberFileItem&>(item));
    case CQXDynaGraphMemItem::kTypeId:
    case CQXCasMemItem::kTypeId:
    case CQXAlgebraMemItem::kTypeId:
    case 5027:  // differential equations
    case 5028:  // data-logger set-ups
    case CQXAddInItem::kTypeId: {
      static const std::pair<int, int> kKinds[] = {
          {CQXDynaGraphMemItem::kTypeId, kKindDynamicGraphMemoryV5}, {CQXCasMemItem::kTypeId, kKindCasMemory},
          {CQXAlgebraMemItem::kTypeId, kKindAlgebraMemory},          {5027, kKindDifferentialEquations},
          {5028, kKindDataLoggerSetUp},                              {CQXAddInItem::kTypeId, kKindOtherMemory}};
      int kind = kKindOtherMemory;
      for (const auto& [type, k] : kKinds)
        if (type == item.GetTypeId()) kind = k;
      BeginItem(DisplayNameOf(item), kind);
      return SendMembers(static_cast<CQXMemberFileItem&>(item));
    }
    default: return SESSION_PROTOCOL;
  }
}

int CQXLinkSessionMCS::SendHeader(BYTE typeByte, DWORD size, const char* name, const char* group) {
  BYTE header[kHeaderLength];
  BuildHeader(header, typeByte, size, name, group);
  const int code = channel_.SendHeaderPacket(header, kHeaderLength);
  if (code != PACKET_OK) return PacketCodeToSessionCode(code);
  return ReadAnswer();
}

int CQXLinkSessionMCS::ReadBlockAnswer() {
  const int code = channel_.ReadAnswer();
  if (code == PACKET_OK) return SESSION_OK;
  // Anything but 0x06 after data ends the transfer.
  channel_.SendByte(LINK_CANCEL);
  return PacketCodeToSessionCode(code);
}

int CQXLinkSessionMCS::SendData(const BYTE* bytes, DWORD size, BOOL pause) {
  if (pause) channel_.Pause();
  const int code = channel_.SendBlock(bytes, size);
  if (code != PACKET_OK) return PacketCodeToSessionCode(code);
  return ReadBlockAnswer();
}

// The block goes out in pieces (head, real parts, imaginary parts) under one
// running checksum.
int CQXLinkSessionMCS::SendNumeric(const CQXNumericArray& array, BYTE typeByte, const char* name,
                                   const char* group) {
  const std::uint64_t size = array.GetDataSize();
  if (size > kMaxBlockSize) return SESSION_PROTOCOL;
  int result = SendHeader(typeByte, DWORD(size), name, group);
  if (result != SESSION_OK || size == 0) return result;
  const std::vector<BYTE> block = BuildNumericBlock(array);
  const DWORD head = array.GetHeadSize();
  const DWORD part = DWORD((size - head) / (array.IsComplex() ? 2 : 1));
  channel_.Pause();
  int code = channel_.SendByte(LINK_FRAME);
  int checksum = 0;
  if (code == PACKET_OK && head) code = channel_.WriteCounted(block.data(), head, &checksum);
  if (code == PACKET_OK) code = channel_.WriteCounted(block.data() + head, part, &checksum);
  if (code == PACKET_OK && array.IsComplex()) code = channel_.WriteCounted(block.data() + head + part, part, &checksum);
  if (code == PACKET_OK) code = channel_.SendByte(BYTE(checksum & 0xFF));
  if (code != PACKET_OK) return PacketCodeToSessionCode(code);
  return ReadBlockAnswer();
}

// Password at 0-7 (padded with 0), the mode flag at 8, 0 at 9, then the text
// whose end byte goes out as 0.
int CQXLinkSessionMCS::SendProgram(CQXProgramItem& program) {
  constexpr DWORD kHead = 10;
  const std::string name = DisplayNameOf(program);
  char password[32] = "";
  if (program.HasPassword()) {
    program.GetPassword(password, sizeof password);
    switch (AskProgramPassword(name.c_str(), password)) {
      case PROGRAM_PASSWORD_SEND: break;
      case PROGRAM_PASSWORD_SKIP: return SESSION_OK;
      default:
        // The calculator is waiting for a header: it learns of the end too.
        link_->Cancel();
        channel_.SendByte(LINK_CANCEL);
        return SESSION_USER_CANCELLED;
    }
  }
  BeginItem(ProgramText(name.c_str()), kKindProgram);
  const DWORD length = program.GetLength();
  std::vector<BYTE> block(kHead + length, 0);
  std::memcpy(block.data(), password, std::min<size_t>(std::strlen(password), 8));
  block[8] = program.IsBaseN() ? 1 : 0;
  if (length && !program.GetDataBlock(block.data() + kHead, int(length))) return SESSION_PROTOCOL;
  if (length) block.back() = 0;
  const int result = SendHeader(kTypeProgram, DWORD(block.size()), name.c_str(), nullptr);
  if (result != SESSION_OK) return result;
  return SendData(block.data(), DWORD(block.size()), TRUE);
}

// Every alpha variable as a header of its own and its 18 bytes (real and
// imaginary part).
int CQXLinkSessionMCS::SendVariables(CQXCalcItem& item) {
  constexpr DWORD kPart = CQXNumericArray::kElementSize;
  auto& variables = static_cast<CQXAlphaMemItem&>(item);
  BeginItem(DisplayNameOf(item), kKindAlphaMemory);
  for (DWORD row = 1; row <= variables.GetRows(); ++row) {
    char name[4] = "";
    if (!variables.GetVariableName(int(row - 1), name, sizeof name)) break;
    BYTE value[2 * kPart] = {};
    variables.GetReal(row, 1, value, kPart);
    variables.GetImag(row, 1, value + kPart, kPart);
    int result = SendHeader(kTypeVariable, sizeof value, name, "Variable");
    if (result == SESSION_OK) result = SendData(value, sizeof value);
    if (failed(result)) return result;
  }
  return SESSION_OK;
}

int CQXLinkSessionMCS::SendParts(const CQXGraphFuncSet& parts, const char* nameFormat, char first) {
  for (int i = 0; i < parts.GetCount(); ++i) {
    char name[16];
    if (first)
      std::snprintf(name, sizeof name, nameFormat, char(first + i));
    else
      std::snprintf(name, sizeof name, nameFormat, unsigned(i + 1));
    const std::vector<BYTE> record = parts.GetEntry(i)->GetRecord();
    int result = SendHeader(kTypeFunction, DWORD(record.size()), name, kYData);
    if (result == SESSION_OK) result = SendData(record.data(), DWORD(record.size()));
    if (failed(result)) return result;
  }
  return SESSION_OK;
}

// The formulas "AN".., the set-up packet, then the table range.
int CQXLinkSessionMCS::SendRecursion(CQXRecursionV5Item& recursion) {
  BeginItem(DisplayNameOf(recursion), kStoredRecursionV5);
  int result = SendParts(recursion.GetFormulas(), "%cN", 'A');
  if (failed(result)) return result;
  BYTE setup[kHeaderLength];
  recursion.BuildSetupHeader(setup, int(kHeaderLength));
  const int code = channel_.SendHeaderPacket(setup, kHeaderLength);
  if (code != PACKET_OK) return PacketCodeToSessionCode(code);
  result = ReadAnswer();
  if (failed(result)) return result;
  return SendNumeric(recursion.GetRange(), kTypeData, "RECRG", kYData);
}

// Every memory, named "FMEM" and its number as one byte; an empty one as its
// end byte alone.
int CQXLinkSessionMCS::SendFunctionMemories(CQXCalcItem& item) {
  auto& memories = static_cast<CQXFuncMemV5Item&>(item);
  BeginItem(DisplayNameOf(item), kKindFunctionMemoryV5);
  for (int i = 0; i < memories.GetCount(); ++i) {
    const CQXFuncMemEntry* entry = memories.GetEntry(i);
    std::vector<BYTE> text(entry->GetBufferSize());
    entry->GetBytes(text.data(), DWORD(text.size()));
    const char name[] = {'F', 'M', 'E', 'M', char(i + 1), '\0'};
    int result = SendHeader(kTypeFunctionMemory, DWORD(text.size()), name, "FMEM");
    if (result == SESSION_OK) result = SendData(text.data(), DWORD(text.size()));
    if (failed(result)) return result;
  }
  return SESSION_OK;
}

// Each member's header image and data as they were received.
int CQXLinkSessionMCS::SendMembers(const CQXMemberFileItem& item) {
  const CQXRawBlockList& blocks = item.GetBlockList();
  for (int i = 0; i < blocks.GetCount(); ++i) {
    const CQXRawBlock* block = blocks.GetAt(i);
    const int code = channel_.SendHeaderPacket(block->HeaderImage(), kHeaderLength);
    if (code != PACKET_OK) return PacketCodeToSessionCode(code);
    int result = ReadAnswer();
    if (result == SESSION_SKIPPED) continue;
    // A member of no bytes came without a block and goes back without one.
    if (result == SESSION_OK && block->GetLength()) result = SendData(block->GetData(), block->GetLength(), TRUE);
    if (result != SESSION_OK) return result;
  }
  return SESSION_OK;
}
