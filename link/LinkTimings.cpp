#include "link/LinkTimings.h"

namespace {
LinkTimings g_timings;
}

LinkTimings LinkTimings::ScaledDown(DWORD divisor) const {
  if (divisor <= 1) return *this;
  auto pause = [divisor](DWORD ms) { return ms / divisor; };
  auto limit = [divisor](DWORD ms) { return ms / divisor ? ms / divisor : 1; };
  LinkTimings t;
  t.readTimeout = limit(readTimeout);
  t.writeTimeout = limit(writeTimeout);
  t.requestTimeout = limit(requestTimeout);
  t.readyTimeout = limit(readyTimeout);
  t.answerTimeout = limit(answerTimeout);
  t.answerPause = pause(answerPause);
  t.failedAnswerPause = pause(failedAnswerPause);
  t.headerPause = pause(headerPause);
  t.pendingAnswerPauseNP = pause(pendingAnswerPauseNP);
  t.pendingAnswerPauseMCS = pause(pendingAnswerPauseMCS);
  t.connectPause = pause(connectPause);
  t.pumpInterval = pause(pumpInterval);
  t.cancelByteTimeout = limit(cancelByteTimeout);
  return t;
}

const LinkTimings& GetLinkTimings() { return g_timings; }
void SetLinkTimings(const LinkTimings& timings) { g_timings = timings; }
