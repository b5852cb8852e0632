// The members of the packet channel that only the 50-byte family uses, and
// the answer handling that the sessions of both families share.
#include "services/DocServices.h"
#include "link/PacketChannel.h"
#include "link/SerialLink.h"

#include <cstring>

DWORD CQXPacketChannel::HeaderLengthNP(const BYTE* tag) {
  if (std::memcmp(tag, "DD", 2) == 0 || std::memcmp(tag, "DC", 2) == 0) return 40;
  static const char* const kItemTags[] = {"TXT", "FNC", "VAL", "IMG", "MEM", "END"};
  for (const char* itemTag : kItemTags)
    if (std::memcmp(tag, itemTag, 3) == 0) return kHeaderLengthNP;
  return 0;
}

int CQXPacketChannel::WaitForRequestNP() { return WaitForRequestByte(); }
int CQXPacketChannel::WaitForReadyNP() { return WaitForReadyByte(); }
int CQXPacketChannel::ReadAnswerNP() { return ReadAnswerByte(); }

int CQXPacketChannel::ReadHeaderNP(BYTE* buffer, DWORD* length) {
  *length = 0;
  int code = ReadBytes(buffer, 1);
  if (code != PACKET_OK) return code;
  if (buffer[0] != LINK_FRAME) return PACKET_WRONG_BYTE;
  code = ReadBytes(buffer + 1, 3);
  if (code != PACKET_OK) return code;
  const DWORD total = HeaderLengthNP(buffer + 1);
  if (total == 0) return PACKET_WRONG_BYTE;
  code = ReadBytes(buffer + 4, total - 4);
  if (code != PACKET_OK) return code;
  *length = total;
  if (ComputeChecksum(buffer + 1, total - 2) != buffer[total - 1]) return PACKET_CHECKSUM;
  return PACKET_OK;
}

BOOL CQXPacketChannel::IsEndPacketNP(const BYTE* header) { return std::memcmp(header + 1, "END", 3) == 0; }

int CQXPacketChannel::SendHeaderNP(BYTE* image, DWORD length) {
  if (length < 6) return PACKET_WRONG_BYTE;
  image[4] = 0;
  return SendBlock(image + 1, length - 2);
}

BOOL CQXPacketChannel::SendEndNP() {
  BYTE packet[kHeaderLengthNP];
  BuildEndPacketNP(packet);
  return WriteBytes(packet, kHeaderLengthNP) == PACKET_OK ? TRUE : FALSE;
}

void BuildEndPacketNP(BYTE out[50]) {
  std::memset(out, 0xFF, kHeaderLengthNP);
  out[0] = LINK_FRAME;
  std::memcpy(out + 1, "END", 3);
  out[kHeaderLengthNP - 1] = CQXPacketChannel::ComputeChecksum(out + 1, kHeaderLengthNP - 2);
}

int CQXPacketChannel::SendPendingAnswer(BYTE* pending, DWORD pauseMs) {
  if (*pending == 0) return SESSION_OK;
  link_->Sleep(pauseMs);
  const int code = SendByte(*pending);
  if (code == PACKET_CANCELLED) {
    // The user cancelled before the answer went out: the cancelled port
    // still lets 0x18 through, and that is what the calculator is told.
    if (*pending != LINK_CANCEL) link_->SendCancelByte();
    *pending = 0;
  }
  if (code != PACKET_OK) return PacketCodeToSessionCode(code);
  *pending = 0;
  return SESSION_OK;
}

int CQXPacketChannel::ReadSendAnswer(CQXDocServices* doc, const char* itemText, int kind) {
  int code = ReadAnswer();
  switch (code) {
    case PACKET_OK:
      return SESSION_OK;
    case PACKET_CALC_CANCELLED:
      SendByte(LINK_CANCEL);
      return SESSION_CALC_CANCELLED;
    case PACKET_RETRY:
      return SESSION_SKIPPED;
    case PACKET_ITEM_EXISTS: {
      UINT answer = 0;
      if (doc) doc->QueryOverwrite(itemText ? itemText : "", kind, &answer);
      if (answer == OVERWRITE_YES || answer == OVERWRITE_ALL || answer == OVERWRITE_NO) {
        const bool overwrite = answer != OVERWRITE_NO;
        code = SendByte(overwrite ? LINK_ACK : LINK_RETRY);
        if (code != PACKET_OK) return PacketCodeToSessionCode(code);
        code = ReadAnswer();
        if (code != PACKET_OK) return PacketCodeToSessionCode(code);
        return overwrite ? SESSION_OK : SESSION_SKIPPED;
      }
      SendByte(LINK_CANCEL);
      return answer == OVERWRITE_CANCEL ? SESSION_USER_CANCELLED : SESSION_PROTOCOL;
    }
    default: {
      const int session = PacketCodeToSessionCode(code);
      if (session != SESSION_OK && session != SESSION_SKIPPED) SendByte(LINK_CANCEL);
      return session;
    }
  }
}
