#include "link/PacketChannel.h"

#include "link/Checksum.h"
#include "link/SerialLink.h"
#include "platform/ByteOrder.h"

#include <algorithm>
#include <cstring>

CQXPacketChannel::CQXPacketChannel(CQXSerialLink* link, int direction) : link_(link), direction_(direction) {}

BYTE CQXPacketChannel::ComputeChecksum(const BYTE* bytes, DWORD count, int start) {
  return ::ComputeChecksum(bytes, count, start);
}

int CQXPacketChannel::LinkErrorToPacketCode(int errorClass) {
  switch (errorClass) {
    case LINK_ERROR_NONE: return PACKET_OK;
    case LINK_ERROR_TIMEOUT: return PACKET_TIMEOUT;
    case LINK_ERROR_CANCELLED: return PACKET_CANCELLED;
    default: return PACKET_WRONG_BYTE;
  }
}

int CQXPacketChannel::ReadBytes(void* buffer, DWORD count) {
  if (link_->Read(buffer, count)) return PACKET_OK;
  return link_->IsCancelled() ? PACKET_CANCELLED : PACKET_READ_FAILED;
}

int CQXPacketChannel::WriteBytes(const void* buffer, DWORD count) {
  if (link_->Write(buffer, count)) return PACKET_OK;
  if (link_->IsCancelled()) return PACKET_CANCELLED;
  return link_->GetErrorClass() == LINK_ERROR_LINE ? PACKET_CALC_CANCELLED : PACKET_WRITE_FAILED;
}

int CQXPacketChannel::SendByte(BYTE byte) {
  if (byte == LINK_CANCEL && link_->IsCancelled()) {
    // The cancelled port refuses ordinary writes; the calculator must still
    // learn that the transfer is over.
    link_->SendCancelByte();
    return PACKET_CANCELLED;
  }
  if (link_->Write(&byte, 1)) return PACKET_OK;
  return link_->IsCancelled() ? PACKET_CANCELLED : PACKET_WRITE_FAILED;
}

int CQXPacketChannel::ReadPacket(BYTE* buffer, DWORD total, DWORD firstChecked) {
  if (total < 2) return PACKET_WRONG_BYTE;
  const int code = ReadBytes(buffer, total);
  if (code != PACKET_OK) return code;
  if (buffer[0] != LINK_FRAME) return PACKET_WRONG_BYTE;
  const DWORD count = firstChecked < total - 1 ? total - 1 - firstChecked : 0;
  if (ComputeChecksum(buffer + firstChecked, count) != buffer[total - 1]) return PACKET_CHECKSUM;
  return PACKET_OK;
}

int CQXPacketChannel::SendBlock(const BYTE* bytes, DWORD count) {
  int code = SendByte(LINK_FRAME);
  if (code == PACKET_OK && count > 0) code = WriteBytes(bytes, count);
  if (code == PACKET_OK) code = SendByte(ComputeChecksum(bytes, count));
  return code;
}

int CQXPacketChannel::WriteCounted(const BYTE* bytes, DWORD count, int* runningChecksum) {
  const int code = WriteBytes(bytes, count);
  if (code == PACKET_OK) *runningChecksum += ComputeChecksum(bytes, count);
  return code;
}

void CQXPacketChannel::Pause() { link_->Sleep(link_->GetTimings().answerPause); }

int CQXPacketChannel::ReadControlByte(BYTE* out, DWORD timeoutMs) {
  if (link_->ReadByte(out, timeoutMs)) return PACKET_OK;
  return LinkErrorToPacketCode(link_->GetErrorClass());
}

// The receiving side waits for the calculator's request. Every byte read
// has the whole time-out: a calculator that sends NUL bytes while it waits
// is still there. A line error (noise on the cable) is read past, but only
// within the time-out since the last byte, and the queue is pumped between
// tries so that Cancel stays reachable; a failed device (an adapter pulled
// out) ends the wait at once.
int CQXPacketChannel::WaitForRequestByte() {
  link_->Purge(TRUE, TRUE);
  const DWORD timeout = link_->GetTimings().requestTimeout;
  DWORD lastByte = GetMillisecondClock();
  for (;;) {
    const DWORD elapsed = SerialElapsed(lastByte, GetMillisecondClock());
    if (elapsed >= timeout) return PACKET_TIMEOUT;
    BYTE byte = 0;
    if (link_->ReadByte(&byte, timeout - elapsed)) {
      if (byte != 0) return byte == LINK_REQUEST ? PACKET_OK : PACKET_WRONG_BYTE;
      lastByte = GetMillisecondClock();
      continue;
    }
    if (!link_->IsLineError()) return LinkErrorToPacketCode(link_->GetErrorClass());
    if (link_->PumpMessages() == SERIAL_CANCELLED) return PACKET_CANCELLED;
  }
}

int CQXPacketChannel::WaitForReadyByte() {
  for (int tries = 0; tries < 10; ++tries) {
    BYTE byte = 0;
    const int code = ReadControlByte(&byte, link_->GetTimings().readyTimeout);
    if (code != PACKET_OK) return code;
    if (byte == LINK_READY) return PACKET_OK;
  }
  return PACKET_WRONG_BYTE;
}

// One answer byte. A read that fails reports why: a line error or a failed
// device as a wrong byte, a time-out as a time-out, a cancel as a cancel.
int CQXPacketChannel::ReadAnswerByte() {
  const LinkTimings& timings = link_->GetTimings();
  BYTE byte = 0;
  if (!link_->ReadByte(&byte, timings.answerTimeout)) {
    const int errorClass = link_->GetErrorClass();
    if (errorClass == LINK_ERROR_LINE) {
      link_->Sleep(timings.answerPause);
      return PACKET_WRONG_BYTE;
    }
    link_->Sleep(timings.failedAnswerPause);
    return LinkErrorToPacketCode(errorClass);
  }
  link_->Sleep(timings.answerPause);
  switch (byte) {
    case LINK_ACK: return PACKET_OK;
    case LINK_RETRY: return PACKET_RETRY;
    case LINK_CANCEL: return PACKET_CALC_CANCELLED;
    case LINK_EXISTS: return PACKET_ITEM_EXISTS;
    case LINK_ERROR: return PACKET_CALC_ERROR;
    case LINK_MEMORY_FULL: return PACKET_MEMORY_FULL;
    default: return PACKET_WRONG_BYTE;
  }
}

int CQXPacketChannel::WaitForRequest() { return WaitForRequestByte(); }
int CQXPacketChannel::WaitForReady() { return WaitForReadyByte(); }
int CQXPacketChannel::ReadAnswer() { return ReadAnswerByte(); }

int CQXPacketChannel::ExchangeModelPacket() {
  BYTE received[kHeaderLength];
  if (direction_ == 0) {
    BYTE own[kHeaderLength];
    BuildModelPacket(own);
    Pause();
    int code = SendBlock(own + 1, kHeaderLength - 2);
    if (code != PACKET_OK) return code;
    code = ReadPacket(received, kHeaderLength, 1);
    if (code != PACKET_OK) return code;
    if (!IsModelPacketAcceptable(received)) {
      SendByte(LINK_CANCEL);
      return PACKET_WRONG_BYTE;
    }
    Pause();
    code = SendByte(LINK_ACK);
    if (code != PACKET_OK) return code;
    return ReadAnswer();
  }
  int code = ReadPacket(received, kHeaderLength, 1);
  if (code != PACKET_OK) return code;
  if (!IsModelPacketAcceptable(received)) {
    SendByte(LINK_CANCEL);
    return PACKET_WRONG_BYTE;
  }
  Pause();
  code = SendBlock(received + 1, kHeaderLength - 2);
  if (code != PACKET_OK) return code;
  return ReadAnswer();
}

int CQXPacketChannel::ReadHeaderPacket(BYTE header[40]) {
  int code = ReadBytes(header, 1);
  if (code != PACKET_OK) return code;
  if (header[0] != LINK_FRAME) return PACKET_WRONG_BYTE;
  code = ReadBytes(header + 1, kHeaderLength - 1);
  if (code != PACKET_OK) return code;
  if (ComputeChecksum(header + 1, kHeaderLength - 2) != header[kHeaderLength - 1]) return PACKET_CHECKSUM;
  return PACKET_OK;
}

int CQXPacketChannel::SendHeaderPacket(const BYTE* image, DWORD length) {
  if (length < 2) return PACKET_WRONG_BYTE;
  return SendBlock(image + 1, length - 2);
}

BOOL CQXPacketChannel::IsEndPacket(const BYTE* header) { return std::memcmp(header + 1, "END", 3) == 0; }

BOOL CQXPacketChannel::SendEndPacket() {
  BYTE packet[kHeaderLength];
  BuildEndPacket(packet);
  return WriteBytes(packet, kHeaderLength) == PACKET_OK ? TRUE : FALSE;
}

int CQXPacketChannel::ReadDataBlock(BYTE* buffer, DWORD count) {
  BYTE frame = 0;
  int code = ReadBytes(&frame, 1);
  if (code != PACKET_OK) return code;
  if (frame != LINK_FRAME) return PACKET_WRONG_BYTE;
  if (count > 0) {
    code = ReadBytes(buffer, count);
    if (code != PACKET_OK) return code;
  }
  BYTE checksum = 0;
  code = ReadBytes(&checksum, 1);
  if (code != PACKET_OK) return code;
  return ComputeChecksum(buffer, count) == checksum ? PACKET_OK : PACKET_CHECKSUM;
}

int PacketCodeToSessionCode(int packetCode) {
  switch (packetCode) {
    case PACKET_OK: return SESSION_OK;
    case PACKET_PORT_FAILED: return SESSION_NO_MEMORY;
    case PACKET_WRITE_FAILED: return SESSION_SEND_ERROR;
    case PACKET_READ_FAILED: return SESSION_RECEIVE_ERROR;
    case PACKET_WRONG_BYTE: return SESSION_PROTOCOL;
    case PACKET_TIMEOUT: return SESSION_TIMEOUT;
    case PACKET_CANCELLED: return SESSION_USER_CANCELLED;
    case PACKET_MEMORY_FULL: return SESSION_CALC_MEMORY_FULL;
    case PACKET_CALC_ERROR: return SESSION_CALC_ERROR;
    case PACKET_CALC_CANCELLED: return SESSION_CALC_CANCELLED;
    default: return SESSION_BAD_DATA;
  }
}

void BuildEndPacket(BYTE out[40]) {
  std::memset(out, 0xFF, kHeaderLength);
  out[0] = LINK_FRAME;
  std::memcpy(out + 1, "END1", 4);
  out[kHeaderLength - 1] = CQXPacketChannel::ComputeChecksum(out + 1, kHeaderLength - 2);
}

void BuildModelPacket(BYTE out[40]) {
  std::memset(out, 0xFF, kHeaderLength);
  out[0] = LINK_FRAME;
  std::memcpy(out + 1, "MDL1", 4);
  std::memcpy(out + 5, "ZX945", 5);
  std::memcpy(out + 11, "038400", 6);
  out[17] = 'N';
  std::memcpy(out + 18, "1.00", 4);
  PutBigEndian32(out + 22, 256);
  PutBigEndian32(out + 26, 1024);
  PutBigEndian32(out + 30, 256);
  out[34] = 0x03;
  out[kHeaderLength - 1] = CQXPacketChannel::ComputeChecksum(out + 1, kHeaderLength - 2);
}

void BuildMCSHeader(BYTE out[40], BYTE typeByte, DWORD dataSize, const char* name, const char* group) {
  std::memset(out, 0xFF, kHeaderLength);
  out[0] = LINK_FRAME;
  std::memcpy(out + 1, "MCS1", 4);
  out[5] = 0x00;
  PutBigEndian32(out + 6, dataSize);
  out[10] = typeByte;
  // Longer texts would run into the next field; they are cut.
  if (name) std::memcpy(out + 11, name, std::min<size_t>(std::strlen(name), 8));
  if (group && *group) std::memcpy(out + 19, group, std::min<size_t>(std::strlen(group), 20));
  out[kHeaderLength - 1] = CQXPacketChannel::ComputeChecksum(out + 1, kHeaderLength - 2);
}

BOOL IsModelPacketAcceptable(const BYTE* packet) {
  return std::memcmp(packet + 1, "MDL1", 4) == 0 && std::memcmp(packet + 11, "038400", 6) == 0 && packet[17] == 'N';
}
