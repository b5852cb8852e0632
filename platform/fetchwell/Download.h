// One HTTP download into a file, behind the progress dialog 124.
#pragma once

#include <QString>

class QWidget;

namespace fetchwell {

// Results of a download (0 is success).
enum DownloadResult {
  kDownloaded = 0,
  kBadArguments = 1,
  kNoSatellite = 2,
  kInvalidAddress = 3,
  kTargetFailed = 4,   // the target could not be written or put in place
  kConnectFailed = 5,
  kHttpError = 6,      // the server answered with an error status
  kTransferFailed = 7,
  kCancelled = 8,
  kTimedOut = 9,       // no data for 30 seconds
};

// Fetches `address` (http or https; safe redirects are followed) into
// `targetPath`. The data goes to a temporary file beside the target, which
// replaces the target only when everything arrived; a cancel, a failure or
// 30 seconds without data remove the temporary file, leave the target as it
// was and show a message. Runs a modal progress dialog owned by `parent`.
int download(const QString& address, const QString& targetPath, QWidget* parent);

}  // namespace fetchwell
