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
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QValidator>

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

// The size edit of the font dialog: 8 to 12, and while typing the first
// digit of 10 to 12.
class PointSizeValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    if (input.isEmpty()) return Intermediate;
    bool number = false;
    const int points = input.toInt(&number);
    if (!number || !input.front().isDigit()) return Invalid;
    if (points >= kMinPoints && points <= kMaxPoints) return Acceptable;
    return points > 0 && points * 10 <= kMaxPoints ? Intermediate : Invalid;
  }
};

// The dialog's size list is the one whose rows are all numbers.
bool holdsPointSizes(const QAbstractItemModel* model) {
  bool numbers = model && model->rowCount() > 0;
  for (int row = 0; numbers && row < model->rowCount(); ++row)
    model->index(row, 0).data().toString().toInt(&numbers);
  return numbers;
}

// Without effects (the group of the underline and strike-out boxes goes),
// and offering only the sizes the pages take: the size list shows 8 to 12
// points (again each time a family or style refills it) and its edit takes
// no other number. The sample, which took its height from the effects
// group, gets room for two lines of the largest size.
void limitFontDialog(QFontDialog& dialog) {
  for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
    if (auto* group = qobject_cast<QGroupBox*>(box->parentWidget())) group->hide();
  if (auto* sample = dialog.findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit"))) {
    QFont largest = sample->font();
    largest.setPointSizeF(kMaxPoints);
    sample->setMinimumHeight(2 * QFontMetrics(largest).height());
  }
  for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
    if (qobject_cast<const QIntValidator*>(edit->validator())) edit->setValidator(new PointSizeValidator(edit));
  for (QListView* list : dialog.findChildren<QListView*>()) {
    QAbstractItemModel* model = list->model();
    if (!holdsPointSizes(model)) continue;
    const auto hideOthers = [list, model] {
      for (int row = 0; row < model->rowCount(); ++row) {
        const int points = model->index(row, 0).data().toString().toInt();
        list->setRowHidden(row, points < kMinPoints || points > kMaxPoints);
      }
    };
    hideOthers();
    QObject::connect(model, &QAbstractItemModel::modelReset, list, hideOthers);
  }
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
  limitFontDialog(dialog);
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
