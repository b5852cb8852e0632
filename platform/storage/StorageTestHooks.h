// Failure injection for tests: makes the writes of compound files fail, to
// prove that a failed or interrupted write loses nothing.
#pragma once

namespace tallix::cfb::testhooks {

// After `writesBeforeFailure` more successful writes, every write, sync and
// truncate fails with `error` (an errno value) until cleared: the same as a
// full disk or a crash at that point. With `tornWrite` the first failing write
// still writes half of its bytes, unless it is the header: a single sector,
// which disks write whole or not at all.
void failWritesAfter(int writesBeforeFailure, int error, bool tornWrite = false);
void clearWriteFailures();
// Writes counted since the last call to failWritesAfter or resetWriteCount.
int writeCount();
void resetWriteCount();

}  // namespace tallix::cfb::testhooks
