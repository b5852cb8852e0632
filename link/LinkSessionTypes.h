// What the sessions of both calculator families share: the progress
// callback, the entries of one send, and the byte a receiving session owes
// the calculator after a failure.
#pragma once

#include "link/LinkCodes.h"
#include "platform/WinTypes.h"

#include <functional>
#include <memory>
#include <vector>

class CQXDocEntry;

// What the progress display is told once per item: the link's byte count,
// the item's text and a header kind code (which picks the icon).
using LinkProgressCallback = std::function<void(DWORD byteCount, const char* text, int kind)>;

// The entries of one send: empty slots are passed over.
using CQXDocEntryArray = std::vector<std::unique_ptr<CQXDocEntry>>;

// The kind the progress shows for equations of both families.
constexpr int kProgressEquation = 4016;

// The byte owed after a header that could not be read (packet code): 0x18
// for the user's cancel, nothing when the calculator itself reported memory
// full or cancelled, else '"'.
inline BYTE AnswerForPacketFailure(int packetCode) {
  switch (packetCode) {
    case PACKET_CANCELLED: return LINK_CANCEL;
    case PACKET_MEMORY_FULL:
    case PACKET_CALC_CANCELLED: return 0;
    default: return LINK_ERROR;
  }
}

// The byte owed after a failed item (session code). The user's cancel is
// told with 0x18, the one byte a cancelled port still sends; '"' would never
// reach the calculator, which would go on waiting.
inline BYTE AnswerForSessionFailure(int sessionCode) {
  switch (sessionCode) {
    case SESSION_PROTOCOL:
    case SESSION_USER_CANCELLED: return LINK_CANCEL;
    case SESSION_CALC_ERROR:
    case SESSION_SEND_ERROR: return 0;
    default: return LINK_ERROR;
  }
}
