// Every delay and time-out of the calculator link, in milliseconds, in one
// value. A link object takes a copy of the current timings when it is built;
// the sessions and the packet channel read them from their link. Tests set
// shorter timings, so that failure paths run in milliseconds.
#pragma once

#include "platform/WinTypes.h"

struct LinkTimings {
  // Block reads and writes of the link object.
  DWORD readTimeout = 60000;
  DWORD writeTimeout = 10000;
  // The receiving side's wait for the calculator's request byte.
  DWORD requestTimeout = 360000;
  // Each read of the sending side's wait for the ready byte.
  DWORD readyTimeout = 60000;
  // An answer byte after a header or a packet.
  DWORD answerTimeout = 60000;
  // After an answer byte was read, and the channel's general pause.
  DWORD answerPause = 250;
  // After an answer read that failed other than by a line error.
  DWORD failedAnswerPause = 50;
  // Before each header read of a receiving session.
  DWORD headerPause = 50;
  // Before an owed answer byte goes out (50-byte and 40-byte families).
  DWORD pendingAnswerPauseNP = 200;
  DWORD pendingAnswerPauseMCS = 250;
  // Before the sending side's request byte.
  DWORD connectPause = 500;
  // How often waits pump the message queue.
  DWORD pumpInterval = 100;
  // Writing the one cancel byte after the user cancelled.
  DWORD cancelByteTimeout = 500;

  // Every value divided by `divisor` (time-outs at least 1 ms).
  LinkTimings ScaledDown(DWORD divisor) const;
};

// The timings new link objects take.
const LinkTimings& GetLinkTimings();
void SetLinkTimings(const LinkTimings& timings);
