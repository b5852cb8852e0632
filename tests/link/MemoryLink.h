// A link without a port: the calculator's bytes come from memory and what the
// PC writes is kept. A read beyond the bytes given fails as a time-out would.
// For the fuzz target of the sessions, which runs the receivers thousands of
// times a second.
#pragma once

#include "link/SerialLink.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tallix::test {

class MemoryLink : public CQXCalcLink {
 public:
  MemoryLink(const BYTE* bytes, size_t size) : input_(bytes, bytes + size) {
    LinkTimings none;
    none.answerPause = none.failedAnswerPause = none.headerPause = 0;
    none.pendingAnswerPauseNP = none.pendingAnswerPauseMCS = none.connectPause = 0;
    SetTimings(none);
  }

  BOOL Read(void* buffer, DWORD length) override {
    const size_t n = std::min<size_t>(length, input_.size() - position_);
    if (n) std::memcpy(buffer, input_.data() + position_, n);
    position_ += n;
    if (n == length) return TRUE;
    SetLastCode(SERIAL_TIMEOUT);
    return FALSE;
  }
  BOOL ReadByte(BYTE* out, DWORD) override { return Read(out, 1); }
  BOOL Write(const void* buffer, DWORD length) override {
    const BYTE* bytes = static_cast<const BYTE*>(buffer);
    written.insert(written.end(), bytes, bytes + length);
    return TRUE;
  }

  std::vector<BYTE> written;

 private:
  std::vector<BYTE> input_;
  size_t position_ = 0;
};

}  // namespace tallix::test
