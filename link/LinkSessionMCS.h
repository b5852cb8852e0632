// One transfer of the newer calculator family (40-byte packets): the
// handshake with its model packet, the items received header by header and
// built into the newer family's item objects, the document's items sent with
// every answer and overwrite question handled, and the closing "END1".
//
// The link commands create one session on the stack per command:
//   receive: Start, then ReceiveItem until it returns 2 (end) or a failure;
//   send:    Start, Connect, SendItem per list of entries, SendEnd.
// Every operation returns a session code (link/LinkCodes.h).
//
// Receiving, the calculator sends each header and data block only after the
// PC's 0x06 for the one before. The 0x06 for what was just read is owed (the
// pending answer) until the PC is ready for the next packet; a failure sends
// 0x18, nothing or '"' in its place. A receiver that had to read one header
// too many to know its item was complete (raw members, variables, function
// memories) keeps it as the pending header for the next ReceiveItem.
#pragma once

#include "link/LinkSessionTypes.h"
#include "link/PacketChannel.h"
#include "platform/WinTypes.h"

#include <memory>
#include <string>
#include <vector>

class CQXCalcItem;
class CQXCalcLink;
class CQXDocEntry;
class CQXDocServices;
class CQXGraphFuncSet;
class CQXMemberFileItem;
class CQXNumericArray;
class CQXProgramItem;
class CQXRecursionV5Item;


class CQXLinkSessionMCS {
 public:
  static constexpr DWORD kStartBufferSize = 65536;
  // No item of these calculators comes near this; a header that announces
  // more is damaged and refused before anything is allocated.
  static constexpr DWORD kMaxBlockSize = 16u << 20;

  // `direction` 0 sends, non-zero receives. Reads the document's model name
  // and calculator type.
  CQXLinkSessionMCS(CQXDocServices* doc, int direction, CQXCalcLink* link, LinkProgressCallback progress);
  ~CQXLinkSessionMCS();
  CQXLinkSessionMCS(const CQXLinkSessionMCS&) = delete;
  CQXLinkSessionMCS& operator=(const CQXLinkSessionMCS&) = delete;

  // The zeroed 64 KB data buffer; FALSE without a link or memory.
  BOOL Start();
  // The sending side's handshake: a pause, 0x16, the wait for 0x13 and the
  // model packets. 1 or the session code.
  int Connect();

  // 3 with one item in `out`, 2 at the end of the transfer ("END1", or any
  // call after a backup), else a failure. The first call waits for the
  // calculator's request and exchanges the model packets.
  int ReceiveItem(std::unique_ptr<CQXDocEntry>* out);
  // Builds the item that a received 40-byte header begins and reads its
  // data: 1 with the entry, -2 when the header was taken in and the next
  // one must be read, else a failure (9 for a header of no known kind).
  int DispatchHeader(const BYTE* header, std::unique_ptr<CQXDocEntry>* out);

  // Sends the items of the entries in order; stops at the first result other
  // than 1. An item the calculator or the user declines counts as sent. A
  // list without any item gives 10.
  int SendItem(const CQXDocEntryArray& entries);
  // The "END1" packet; always 1.
  int SendEnd();

  // The calculator's answer to a header just sent, with the overwrite
  // question on '!': 1 go on, 15 skip the item, else a failure (0x18 has
  // then gone out).
  int ReadAnswer();
  // Sends the owed answer, if any, after the family's pause: 1 or the
  // session code.
  int SendPendingAnswer();

  // An "MCS1" header: 0xFF everywhere, the tag, 0 at byte 5, the data size
  // big-endian at 6-9, the type byte at 10, the name (at most 8 bytes) from
  // 11, the group (at most 20 bytes; null or empty: none) from 19, and its
  // checksum.
  static void BuildHeader(BYTE header[40], BYTE typeByte, DWORD dataSize, const char* name, const char* group);
  // The variable name of a header from its byte 11 (`source`): at most 8
  // bytes, up to the first 0xFF, and a NUL (`destination` holds 9).
  static void CopyPacketName(const BYTE* source, char* destination);

  const std::string& GetModelName() const { return modelName_; }
  const std::string& GetCalculatorType() const { return calcType_; }
  int GetLastKind() const { return lastKind_; }
  // The calculator still waits for the answer to its last packet, which
  // goes out only when the next packet is wanted ("END1" wants none).
  BOOL OwesAnswer() const;

 private:
  using ItemPtr = std::unique_ptr<CQXCalcItem>;

  void Report(const std::string& text, int kind);
  static std::string DisplayNameOf(CQXCalcItem& item);
  static std::string ProgramText(const char* name);
  // The buffer holds at least `size` bytes: 1, 6 above the largest block
  // taken, 4 when memory runs out.
  int GrowBuffer(DWORD size);

  // --- Receiving (LinkSessionMCSReceive.cpp) ---
  int Receive(int kind, BYTE* header, ItemPtr* item, int* entryKind);
  // The owed answer, then one data block of `size` bytes into the buffer;
  // 0x06 is owed for it afterwards. Nothing is read for a size of 0.
  int ReadBlock(DWORD size);
  // The owed answer, then the next header into `header`; 0x06 is owed for
  // it afterwards.
  int ReadNextHeader(BYTE* header);
  // Keeps a header read one too many for the next ReceiveItem; its 0x06
  // stays owed until that item's first block is wanted.
  void KeepHeader(const BYTE* header);
  int ReceiveProgram(const BYTE* header, ItemPtr* item);
  // The numeric block that follows a header into the array: exactly head +
  // rows x columns x 9 or x 18 bytes.
  int ReceiveNumeric(const BYTE* header, CQXNumericArray& array);
  int ReceiveVariables(BYTE* header, ItemPtr* item);
  // One part per header of `kind`, each followed by its block unless the
  // header announces none.
  int ReceiveParts(BYTE* header, int kind, CQXGraphFuncSet& parts);
  int ReceiveRecursionRange(const BYTE* header, ItemPtr* item);
  int ReceiveFunctionMemories(BYTE* header, ItemPtr* item);
  // Members kept as received while the headers stay of `kind` (an add-in:
  // of its first member's group; a backup: up to "END1").
  int ReceiveMembers(BYTE* header, int kind, CQXMemberFileItem& item);

  // --- Sending (LinkSessionMCSSend.cpp) ---
  // 1 sent, 15 declined (by the calculator or the user), else a failure.
  int SendOne(CQXCalcItem& item);
  // The item's text and kind for the progress and the overwrite question.
  void BeginItem(const std::string& text, int kind);
  // An "MCS1" header and the calculator's answer to it.
  int SendHeader(BYTE typeByte, DWORD size, const char* name, const char* group);
  // After an accepted header: the block and its answer (0x06). Programs and
  // raw members wait the general pause first (numeric blocks do so too).
  int SendData(const BYTE* bytes, DWORD size, BOOL pause = FALSE);
  // The answer to a data block: 1 for 0x06; else 0x18 goes out and the
  // failure's session code is returned.
  int ReadBlockAnswer();
  int SendNumeric(const CQXNumericArray& array, BYTE typeByte, const char* name, const char* group);
  int SendProgram(CQXProgramItem& program);
  int SendVariables(CQXCalcItem& item);
  int SendParts(const CQXGraphFuncSet& parts, const char* nameFormat, char first);
  int SendRecursion(CQXRecursionV5Item& recursion);
  int SendFunctionMemories(CQXCalcItem& item);
  int SendMembers(const CQXMemberFileItem& item);

  std::string currentText_;
  int currentKind_ = 0;
  std::string modelName_;
  std::string calcType_;
  BOOL end_ = FALSE;
  BYTE pendingHeader_[kHeaderLength] = {};
  BOOL hasPendingHeader_ = FALSE;
  std::string funcMemText_;
  CQXDocServices* doc_;
  CQXCalcLink* link_;
  CQXPacketChannel channel_;
  BOOL connected_ = FALSE;
  int direction_;
  BYTE pending_ = 0;
  std::unique_ptr<BYTE[]> buffer_;
  DWORD bufferSize_ = 0;
  LinkProgressCallback progress_;
  std::unique_ptr<CQXRecursionV5Item> recursion_;
  int lastKind_ = 0;
};
