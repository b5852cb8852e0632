// The two functions the program looks up by name in libFetchwell.so.
#include "Download.h"
#include "ServiceType.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

#define FETCHWELL_EXPORT extern "C" __attribute__((visibility("default")))

// Non-zero with *type set (1 an HTTP file to download, 2 an address to open
// as it is); 0 for any other text.
FETCHWELL_EXPORT int InetGetServiceType(const char* url, int* type) {
  if (!url || !type) return 0;
  *type = fetchwell::serviceTypeOf(QString::fromUtf8(url));
  return *type != fetchwell::kNoService;
}

// Downloads `url` into the file `path` (an 8-bit path in the local encoding)
// behind a modal progress dialog owned by `parent` (a QWidget, or null);
// 0 on success, else a fetchwell::DownloadResult.
FETCHWELL_EXPORT int InetDownloadHTTPFile(const char* url, const char* path, int, int, void* parent) {
  if (!url || !path || !qobject_cast<QApplication*>(QCoreApplication::instance())) return fetchwell::kBadArguments;
  return fetchwell::download(QString::fromUtf8(url), QFile::decodeName(path), static_cast<QWidget*>(parent));
}
