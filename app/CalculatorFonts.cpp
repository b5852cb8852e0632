#include "app/CalculatorFonts.h"

#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/DC.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/ProgramPaths.h"

#include <QFontDatabase>

namespace {

constexpr UINT kMsgCalculatorFontMissing = 10514;

// The application font id of each file, -1 while it is not added.
struct AddedFont {
  const char* fileName;
  int id;
};
AddedFont addedFonts[] = {{"QXL2.fon", -1}, {"QXL2.ttf", -1}};

bool hasFamily(const QString& family) {
  // Exact names only: the font matcher's look-up would substitute another
  // family for a missing one.
  return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

}  // namespace

BOOL CheckCalculatorFont(CDC*, BOOL warn, BOOL trueType) {
  if (AppGetProfileInt(tallix::settings::kSettings, "QXL Font Check", 1) == 0) return TRUE;
  if (hasFamily(QString::fromLatin1(trueType ? kCalculatorFontFaceTT : kCalculatorFontFace))) return TRUE;
  if (warn)
    AfxMessageBox(CLanguageLibrary::FormatMessage(kMsgCalculatorFontMissing, QString::fromLatin1(kCalculatorFontFace)),
                  MB_ICONEXCLAMATION);
  return FALSE;
}

BOOL CreateCalculatorFont(CFont* font, int points, CDC*) {
  return font->CreatePointFont(points * 10, QString::fromLatin1(kCalculatorFontFace));
}

BOOL CreateCalculatorFontTT(CFont* font, int points, CDC*) {
  return font->CreatePointFont(points * 10, QString::fromLatin1(kCalculatorFontFaceTT));
}

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
