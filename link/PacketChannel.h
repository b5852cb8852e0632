// The packet layer between the link object and the transfer sessions of both
// calculator families.
//
// On the wire every packet and data block is ':' (0x3A), the payload and one
// checksum byte over the payload: (256 - sum of the payload) mod 256, so that
// payload and checksum sum to 0 mod 256. Single control bytes (LinkCodes.h)
// travel outside any frame.
//
// The 40-byte family frames its headers in 40 bytes (':' + 38 + checksum) with
// a four-letter tag ("MCS1", "MDL1", "END1", "BKU1", "SET1"); the 50-byte
// family takes the header length from the tag ("DD"/"DC" 40 bytes; "TXT",
// "FNC", "VAL", "IMG", "MEM", "END" 50 bytes).
//
// Every member returns a packet code (LinkCodes.h), 0 for success, and never
// throws; every wait goes through the link, which pumps messages.
#pragma once

#include "link/LinkCodes.h"
#include "platform/WinTypes.h"

class CQXSerialLink;
class CQXDocServices;

constexpr DWORD kHeaderLength = 40;     // 40-byte family headers
constexpr DWORD kHeaderLengthNP = 50;   // 50-byte family item headers
constexpr DWORD kMaxHeaderLengthNP = 50;

class CQXPacketChannel {
 public:
  // `direction` 0: this side sends items (it starts the handshake);
  // non-zero: this side receives them.
  CQXPacketChannel(CQXSerialLink* link, int direction);

  CQXSerialLink* GetLink() const { return link_; }
  int GetDirection() const { return direction_; }

  // --- Both families ---
  // One block read with the link's read time-out: 7 when cancelled, else 3.
  int ReadBytes(void* buffer, DWORD count);
  // One block write: 7 when cancelled, 10 on a line error (or the calculator
  // answering while we send), else 2.
  int WriteBytes(const void* buffer, DWORD count);
  // One byte: 7 when cancelled, else 2. A cancel byte (0x18) still reaches
  // the calculator after the user cancelled; the result is then 7.
  int SendByte(BYTE byte);
  // `start` 256 gives the packet checksum; start 0 gives the same value.
  static BYTE ComputeChecksum(const BYTE* bytes, DWORD count, int start = 256);
  // Reads a whole packet of `total` bytes (':' included): 4 without ':', 5
  // when the checksum over bytes firstChecked .. total-2 is not the last byte.
  int ReadPacket(BYTE* buffer, DWORD total, DWORD firstChecked);
  // ':', the bytes, their checksum.
  int SendBlock(const BYTE* bytes, DWORD count);
  // Writes `count` bytes of a block sent in pieces and adds their checksum to
  // `runningChecksum`; its low byte closes the block.
  int WriteCounted(const BYTE* bytes, DWORD count, int* runningChecksum);
  // The link's pause of the general length (messages pumped).
  void Pause();
  // Link error class -> packet code: none 0, time-out 6, cancelled 7, other 4.
  static int LinkErrorToPacketCode(int errorClass);

  // --- 40-byte family ---
  // The receiving side's wait for 0x16 (NUL bytes skipped; another byte 4).
  int WaitForRequest();
  // The sending side's wait for 0x13: up to 10 bytes, then 4.
  int WaitForReady();
  // The MDL1 exchange for this channel's direction.
  int ExchangeModelPacket();
  // ':' + 39 bytes, checksum over bytes 1-38 against byte 39.
  int ReadHeaderPacket(BYTE header[40]);
  // Sends bytes 1 .. length-2 of the image with a fresh ':' and checksum.
  int SendHeaderPacket(const BYTE* image, DWORD length);
  static BOOL IsEndPacket(const BYTE* header);
  // The END1 packet in one write; TRUE/FALSE, not a packet code.
  BOOL SendEndPacket();
  // ':', `count` bytes, checksum.
  int ReadDataBlock(BYTE* buffer, DWORD count);
  // One answer byte: 06 -> 0, 15 -> 12, 18 -> 10, '!' -> 11, '"' -> 9,
  // '$' -> 8, other -> 4; a line error 4, a time-out 6, a cancel 7.
  int ReadAnswer();

  // --- 50-byte family ---
  int WaitForRequestNP();
  // Header of a length given by its tag; `length` receives 40 or 50.
  int ReadHeaderNP(BYTE* buffer, DWORD* length);
  static BOOL IsEndPacketNP(const BYTE* header);
  // Sets byte 4 of the image to 0 and sends bytes 1 .. length-2 framed.
  int SendHeaderNP(BYTE* image, DWORD length);
  // The 50-byte "END" packet in one write; TRUE/FALSE.
  BOOL SendEndNP();
  int WaitForReadyNP();
  int ReadAnswerNP();
  static int LinkErrorToPacketCodeNP(int errorClass) { return LinkErrorToPacketCode(errorClass); }
  // Length of a 50-byte family header from the bytes after ':' (at least
  // three); 0 for an unknown tag.
  static DWORD HeaderLengthNP(const BYTE* tag);

  // --- Answers of the sessions (both families) ---
  // Sends the control byte owed for the last packet, after `pauseMs`; a
  // session code (1 when nothing was owed or it went out). Clears `*pending`
  // once it went out; when the user cancelled first, 0x18 goes out instead
  // (13).
  int SendPendingAnswer(BYTE* pending, DWORD pauseMs);
  // The sending side's reading of the answer to a header, with the overwrite
  // question put to the document on '!': a session code (1 accepted, 15
  // skipped, 13 cancelled by the user, else a failure; 0x18 has then gone to
  // the calculator).
  int ReadSendAnswer(CQXDocServices* doc, const char* itemText, int kind);

 private:
  int ReadControlByte(BYTE* out, DWORD timeoutMs);
  int WaitForRequestByte();
  int WaitForReadyByte();
  int ReadAnswerByte();
  int SendModelPacketBack(const BYTE* received);

  CQXSerialLink* link_;
  int direction_;
};

// Packet code -> session code.
int PacketCodeToSessionCode(int packetCode);

// Fixed packets, whole with ':' and checksum.
void BuildEndPacket(BYTE out[40]);     // "END1"
void BuildModelPacket(BYTE out[40]);   // "MDL1" of the PC
void BuildEndPacketNP(BYTE out[50]);   // "END"
// An "MCS1" item header: 0xFF everywhere, the tag, 0 at byte 5, the payload
// size of the data block big-endian at 6-9, the type byte at 10, the name
// (at most 8 bytes) from 11 and the group (at most 20 bytes; null or empty:
// none) from 19.
void BuildMCSHeader(BYTE out[40], BYTE typeByte, DWORD dataSize, const char* name, const char* group);
// TRUE when an MDL1 packet carries "MDL1", "038400" and "N".
BOOL IsModelPacketAcceptable(const BYTE* packet);
