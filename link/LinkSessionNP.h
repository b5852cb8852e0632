// One transfer of the older calculator family (50-byte headers), and the
// screen copy of every model: the handshake, the items received header by
// header and built into the data model's item objects, the document's items
// sent with every answer and overwrite question handled, and the end.
//
// The link commands create one session on the stack per command:
//   receive: Start, then ReceiveItems until it returns 2 (end) or a failure;
//   send:    Start, Connect, SendItem per array of entries, SendEnd.
// Every operation returns a session code (link/LinkCodes.h).
//
// Receiving, the calculator speaks first (0x16) and every header and data
// packet it sends is answered with one byte: 0x06 once it is taken in, or, on
// a failure, 0x18 (protocol error, cancel), nothing (the calculator's own
// error or cancel) or '"' (anything else). An answer is owed until just
// before the next packet is read, so that the calculator sends nothing
// before the PC is ready for it.
#pragma once

#include "link/LinkSessionTypes.h"
#include "link/PacketChannel.h"
#include "platform/WinTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CQXCalcItem;
class CQXCalcLink;
class CQXDocEntry;
class CQXDocServices;
class CQXMemImageItem;
class CQXPictureItem;
class CQXProgramItem;
class CQXScreenItem;
class CQXRecursionItem;
class CQXValueGrid;


class CQXLinkSessionNP {
 public:
  // The session's data buffer at the start.
  static constexpr DWORD kStartBufferSize = 65536;
  // No packet of these calculators comes near this; a header that announces
  // more is damaged and refused before anything is allocated.
  static constexpr DWORD kMaxPacketSize = 16u << 20;

  // `direction` 0 sends, non-zero receives. Reads the document's model name
  // and calculator type.
  CQXLinkSessionNP(CQXDocServices* doc, int direction, CQXCalcLink* link, LinkProgressCallback progress);
  ~CQXLinkSessionNP();
  CQXLinkSessionNP(const CQXLinkSessionNP&) = delete;
  CQXLinkSessionNP& operator=(const CQXLinkSessionNP&) = delete;

  // The zeroed data buffer; FALSE without a link or memory.
  BOOL Start();
  // Replaces the data buffer by a zeroed one of `size` bytes; FALSE (and no
  // buffer) when memory runs out.
  BOOL AllocBuffer(DWORD size);

  // 3 with one item in `out`, 2 at the end of the transfer (an "END" header,
  // or after a screen copy or a backup), else a failure. The first call
  // waits for the calculator's request.
  int ReceiveItems(std::unique_ptr<CQXDocEntry>* out);
  // Builds the item that a received header (40 or 50 bytes) begins and
  // reads its data: 1 with the entry, -2 when the header was taken in and
  // the next one must be read, else a failure.
  int DispatchHeader(const BYTE* header, DWORD length, std::unique_ptr<CQXDocEntry>* out);

  // Sends the items of the array in order; stops at the first result other
  // than 1. An item the calculator or the user declines counts as sent.
  int SendItem(const CQXDocEntryArray& entries);
  // The sending side's handshake: a pause, 0x16, the wait for 0x13.
  int Connect();
  // The "END" packet; always 1.
  int SendEnd();

  const std::string& GetModelName() const { return modelName_; }
  const std::string& GetCalculatorType() const { return calcType_; }
  int GetLastStoredKind() const { return lastStoredKind_; }
  // The calculator still waits for the answer to its last packet, which
  // goes out only when the next header is read.
  BOOL OwesAnswer() const { return pending_ != 0; }

 private:
  using ItemPtr = std::unique_ptr<CQXCalcItem>;
  using NumberedParse = std::function<BOOL(int n, const BYTE* header, int length)>;
  using NumberedData = std::function<BOOL(int n, const BYTE* data, DWORD length)>;
  using HeaderParse = std::function<BOOL(const BYTE* header, int length)>;
  using HeaderDataSize = std::function<UINT(const BYTE* header, int length)>;
  using HeaderData = std::function<BOOL(const BYTE* header, const BYTE* record, UINT size)>;

  void Report(const std::string& text, int kind);
  static std::string DisplayNameOf(CQXCalcItem& item);
  static std::string ProgramText(CQXCalcItem& item);

  // --- Receiving (LinkSessionNPReceive.cpp) ---
  int Receive(int kind, const BYTE* header, DWORD length, ItemPtr* item, int* storedKind);
  // Sends the owed answer and reads one data packet of `total` bytes (':'
  // and checksum included) into the buffer; the payload starts at byte 1.
  int ReadDataPacket(DWORD total);
  // Sends the owed answer and reads the next header of an item of several
  // headers, which must be of `kind`.
  int ReadNextHeader(int kind);
  // `count` headers of `kind`, each followed by one packet of the size the
  // header gives (bytes 7-10): programs, graph functions, function memories
  // and recursion formulas.
  int ReceiveTextRun(const BYTE* header, DWORD length, int kind, int count, const NumberedParse& parse,
                     const NumberedData& take, const std::function<void()>& report);
  // `count` headers of `kind`, each followed by a value packet when its
  // entry has a value: V-Window, zoom factor, table range, variables and
  // recursion ranges.
  int ReceiveEntryRun(const BYTE* header, DWORD length, int kind, int count, const HeaderParse& parse,
                      const HeaderDataSize& dataSize, const HeaderData& take, const std::function<void()>& report);
  // One value packet per cell of the grid (sized by the header).
  int ReceiveGrid(CQXValueGrid& grid);
  int ReceiveGraphFunctions(const BYTE* header, DWORD length, ItemPtr* item, int* storedKind);
  int ReceiveVariables(const BYTE* header, DWORD length, ItemPtr* item, int* storedKind);
  int ReceiveRecursionFormulas(const BYTE* header, DWORD length);
  int ReceiveRecursionRange(const BYTE* header, DWORD length, ItemPtr* item);
  int ReceivePicture(CQXPictureItem& picture, const BYTE* header, DWORD length);
  int ReceiveMemoryImage(CQXMemImageItem& memory, const BYTE* header, DWORD length, std::string text, int kind);
  int ReceiveScreenCopy(CQXScreenItem& screen, const BYTE* header, DWORD length, int kind);
  // The last item of a transfer: its 0x06 goes out now, nothing follows.
  int SendOwedAnswerNow();

  // --- Sending (LinkSessionNPSend.cpp) ---
  using NumberedHeader = std::function<BOOL(int n, BYTE* header, int length)>;
  using NumberedBytes = std::function<BOOL(int n, BYTE* buffer, DWORD size)>;
  // 1 sent, 15 declined (by the calculator or the user), else a failure.
  int SendOne(CQXCalcItem& item);
  // The header (byte 4 cleared) and the calculator's answer to it: 1 go on,
  // 15 the item is declined, else a failure.
  int SendHeader(BYTE* header);
  // One data or value packet and its answer.
  int SendData(const BYTE* data, DWORD size);
  // The buffer, at least `size` bytes; null when memory runs out.
  BYTE* SendBuffer(DWORD size);
  // The item's text and kind for the progress and the overwrite question.
  void BeginItem(const std::string& text, int kind);
  // `count` headers, each followed by one data packet of `size` bytes.
  int SendTextRun(int count, const NumberedHeader& build, const std::function<DWORD(int)>& size,
                  const NumberedBytes& bytes);
  // `count` headers, each followed by its value record when it has one.
  int SendEntryRun(int count, const NumberedHeader& build, const std::function<UINT(int, BYTE*, UINT)>& record);
  int SendGrid(const std::function<BOOL(BYTE*, int)>& build, const CQXValueGrid& grid);
  int SendProgram(CQXProgramItem& program);
  int SendPicture(CQXPictureItem& picture);

  std::string sendName_;
  int sendKind_ = 0;
  std::string modelName_;
  std::string calcType_;
  CQXDocServices* doc_;
  CQXCalcLink* link_;
  CQXPacketChannel channel_;
  int lastStoredKind_ = 0;
  BOOL connected_ = FALSE;
  int direction_;
  BYTE pending_ = 0;
  std::unique_ptr<BYTE[]> buffer_;
  DWORD bufferSize_ = 0;
  LinkProgressCallback progress_;
  std::unique_ptr<CQXRecursionItem> recursion_;
  // The next header of an item of several headers.
  BYTE header_[kMaxHeaderLengthNP] = {};
  DWORD headerLength_ = 0;
};
