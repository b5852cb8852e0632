#include "tokens/EditorFonts.h"

#include "classlib/LogFont.h"
#include "classlib/ProfileFont.h"
#include "classlib/ProfileSettings.h"
#include "classlib/SettingsTable.h"
#include "platform/DC.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGroupBox>

#include <algorithm>
#include <cstring>

namespace {

constexpr UINT kMsgCalculatorFontMissing = 10514;
constexpr char kEditorFontKey[] = "Program Editor Font";
constexpr int kEditorFontPoints = 10;
constexpr double kMinPoints = 8;
constexpr double kMaxPoints = 12;

bool hasFamily(const QString& family) {
  // Exact names only: the font matcher's look-up would substitute another
  // family for a missing one.
  return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

BOOL checkOnce(bool& askedOnce) {
  const BOOL present = CheckCalculatorFont(nullptr, askedOnce ? FALSE : TRUE, FALSE);
  askedOnce = true;
  return present;
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

BOOL LoadProgramEditorFont(CFont* font, bool& askedOnce) {
  LOGFONT stored{};
  if (ReadProfileFont(&stored, tallix::settings::kSettings, kEditorFontKey)) {
    if (std::strncmp(stored.lfFaceName, kCalculatorFontFace, LF_FACESIZE) == 0) checkOnce(askedOnce);
    font->SetFont(tallix::fontFromLogFont(stored));
    return TRUE;
  }
  if (checkOnce(askedOnce)) return CreateCalculatorFont(font, kEditorFontPoints);
  return font->CreatePointFont(kEditorFontPoints * 10, QStringLiteral("Courier New"));
}

BOOL ChooseProgramEditorFont(QWidget* parent, CFont* font) {
  QFontDialog dialog(font->font(), parent);
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  // No effects: the group that holds the underline and strike-out boxes goes.
  for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
    if (auto* group = qobject_cast<QGroupBox*>(box->parentWidget())) group->hide();
  if (dialog.exec() != QDialog::Accepted) return FALSE;
  QFont chosen = dialog.selectedFont();
  chosen.setUnderline(false);
  chosen.setStrikeOut(false);
  if (chosen.pointSizeF() > 0) chosen.setPointSizeF(std::clamp(chosen.pointSizeF(), kMinPoints, kMaxPoints));
  const LOGFONT record = tallix::logFontFromFont(chosen);
  WriteProfileFont(&record, 0, tallix::settings::kSettings, kEditorFontKey);
  font->SetFont(tallix::fontFromLogFont(record));
  return TRUE;
}
