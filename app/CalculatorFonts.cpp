#include "app/CalculatorFonts.h"

#include "platform/ProgramPaths.h"

#include <QFontDatabase>

namespace {

// The application font id of each file, -1 while it is not added.
struct AddedFont {
  const char* fileName;
  int id;
};
AddedFont addedFonts[] = {{"QXL2.fon", -1}, {"QXL2.ttf", -1}};

}  // namespace

BOOL InstallCalculatorFonts() {
  for (AddedFont& f : addedFonts) {
    if (f.id >= 0) continue;
    f.id = QFontDatabase::addApplicationFont(tallix::programFilePath(QString::fromLatin1(f.fileName)));
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
