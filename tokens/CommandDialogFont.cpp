#include "tokens/CommandDialogFont.h"

#include "classlib/LogFont.h"
#include "classlib/ProfileFont.h"
#include "classlib/SettingsTable.h"
#include "platform/DC.h"
#include "tokens/EditorFonts.h"

#include <QFontDialog>

using tallix::settings::kEditCmdList;

namespace {
constexpr char kFontKey[] = "Cmd Font";
constexpr int kCalculatorPoints = 10;
}  // namespace

bool LoadCommandDialogFont(QFont* font, bool* fontButton) {
  *fontButton = tallix::settings::readInt(kEditCmdList, "Cmd Font Select") != 0;
  if (*fontButton) {
    LOGFONT stored{};
    if (!ReadProfileFont(&stored, kEditCmdList, kFontKey)) return false;
    *font = tallix::fontFromLogFont(stored);
    return true;
  }
  CFont calculator;
  if (!CheckCalculatorFont(nullptr, FALSE, FALSE) || !CreateCalculatorFont(&calculator, kCalculatorPoints))
    return false;
  *font = calculator.font();
  return true;
}

bool ChooseCommandDialogFont(QWidget* parent, QFont* font) {
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, *font, parent);
  if (!ok) return false;
  const LOGFONT record = tallix::logFontFromFont(chosen);
  WriteProfileFont(&record, 0, kEditCmdList, kFontKey);
  *font = chosen;
  return true;
}
