// The codes that travel up through the link layers: link error classes
// (the link object's view of a port result code), packet codes (the packet
// channel's results) and session codes (the sessions' results, which the link
// commands turn into messages), and the control bytes of both protocols.
#pragma once

#include "platform/WinTypes.h"

// Link error classes (CQXSerialLink::GetErrorClass).
enum : int {
  LINK_ERROR_NONE = 0,
  LINK_ERROR_TIMEOUT = 1,
  LINK_ERROR_LINE = 2,  // a line error or any other port failure
  LINK_ERROR_IN_USE = 3,
  LINK_ERROR_CANCELLED = 4,
  LINK_ERROR_NO_PORT = 5,
  LINK_ERROR_NO_MEMORY = 6,  // used by the commands for their own failures
};

// Packet codes (CQXPacketChannel).
enum : int {
  PACKET_OK = 0,
  PACKET_PORT_FAILED = 1,
  PACKET_WRITE_FAILED = 2,
  PACKET_READ_FAILED = 3,
  PACKET_WRONG_BYTE = 4,
  PACKET_CHECKSUM = 5,
  PACKET_TIMEOUT = 6,
  PACKET_CANCELLED = 7,
  PACKET_MEMORY_FULL = 8,      // answer '$'
  PACKET_CALC_ERROR = 9,       // answer '"'
  PACKET_CALC_CANCELLED = 10,  // answer 0x18, or a line error while writing
  PACKET_ITEM_EXISTS = 11,     // answer '!'
  PACKET_RETRY = 12,           // answer 0x15
};

// Session codes.
enum : int {
  SESSION_OK = 1,
  SESSION_END = 2,
  SESSION_ITEM = 3,
  SESSION_NO_MEMORY = 4,
  SESSION_CALC_MEMORY_FULL = 5,
  SESSION_BAD_DATA = 6,
  SESSION_PROTOCOL = 7,
  SESSION_CALC_ERROR = 8,
  SESSION_NOT_SUPPORTED = 9,
  SESSION_SEND_ERROR = 10,
  SESSION_RECEIVE_ERROR = 11,
  SESSION_TIMEOUT = 12,
  SESSION_USER_CANCELLED = 13,
  SESSION_CALC_CANCELLED = 14,
  SESSION_SKIPPED = 15,
  SESSION_NEXT_HEADER = -2,  // a receiver took the header in; read the next one
};

// Control bytes outside any frame.
enum : BYTE {
  LINK_REQUEST = 0x16,
  LINK_READY = 0x13,
  LINK_ACK = 0x06,
  LINK_RETRY = 0x15,
  LINK_CANCEL = 0x18,
  LINK_EXISTS = 0x21,
  LINK_ERROR = 0x22,
  LINK_MEMORY_FULL = 0x24,
  LINK_FRAME = 0x3A,  // ':' before every packet
};

// The answer the overwrite question gives (CQXDocServices::QueryOverwrite).
enum : UINT { OVERWRITE_YES = 1, OVERWRITE_NO = 2, OVERWRITE_CANCEL = 3, OVERWRITE_ALL = 4 };
