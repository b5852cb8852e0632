#include "app/CalculatorFonts.h"

#include "platform/AtomicFile.h"
#include "platform/ProgramPaths.h"

#include <QFontDatabase>

namespace {

// The application font id of each file, -1 while it is not added.
struct AddedFont {
  const char* fileName;
  int id;
};
AddedFont addedFonts[] = {{"QXL2.fon", -1}, {"QXL2.ttf", -1}};

// The largest font file read.
constexpr std::uint64_t kMaxFontFileSize = std::uint64_t(16) << 20;

}  // namespace

BOOL InstallCalculatorFonts() {
  for (AddedFont& f : addedFonts) {
    if (f.id >= 0) continue;
    QByteArray bytes;
    if (!tallix::readWholeFile(tallix::programFilePath(QString::fromLatin1(f.fileName)), &bytes, kMaxFontFileSize))
      return FALSE;
    f.id = QFontDatabase::addApplicationFontFromData(bytes);
    if (f.id < 0) return FALSE;
  }
  return TRUE;
}

BOOL RemoveCalculatorFonts() {
  for (AddedFont& f : addedFonts) {
    if (f.id < 0) continue;
    QFontDatabase::removeApplicationFont(f.id);
    f.id = -1;
  }
  return TRUE;
}
