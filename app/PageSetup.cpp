#include "app/PageSetup.h"

#include "platform/MulDiv.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrinter>

#include <cmath>

namespace {

constexpr int kTwipsPerInch = 1440;

PageSetupDialogRunner& runner() {
  static PageSetupDialogRunner r;
  return r;
}

bool runRealDialog(QPrinter* printer, QWidget* parent) {
  QPageSetupDialog dialog(printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

int PageSetupUnitFactor(const QLocale& locale) {
  return locale.measurementSystem() == QLocale::ImperialUSSystem ? 1000 : 2540;
}

int RoundToTens(int value) {
  const int remainder = value % 10;
  int result = value - remainder;
  if (remainder >= 5) result += 10;
  else if (remainder <= -5) result -= 10;
  return result;
}

RECT MarginsToDialogUnits(const RECT& twips, int factor) {
  const auto to = [factor](LONG v) { return LONG(RoundToTens(MulDiv(v, factor, kTwipsPerInch))); };
  return {to(twips.left), to(twips.top), to(twips.right), to(twips.bottom)};
}

RECT MarginsFromDialogUnits(const RECT& units, int factor) {
  const auto from = [factor](LONG v) { return LONG(MulDiv(RoundToTens(v), kTwipsPerInch, factor)); };
  return {from(units.left), from(units.top), from(units.right), from(units.bottom)};
}

PageSetupDialogRunner SetPageSetupDialogRunner(PageSetupDialogRunner r) {
  PageSetupDialogRunner previous = std::move(runner());
  runner() = std::move(r);
  return previous;
}

BOOL RunPageSetup(QPrinter* printer, RECT* margins, QWidget* parent) {
  if (!printer || !margins) return FALSE;
  const int factor = PageSetupUnitFactor();
  // The dialog shows the page layout's own unit: millimetres or inches.
  const QPageLayout::Unit unit = factor == 1000 ? QPageLayout::Inch : QPageLayout::Millimeter;
  const double perUnit = factor == 1000 ? 1000.0 : 100.0;
  const QPageLayout kept = printer->pageLayout();

  const RECT shown = MarginsToDialogUnits(*margins, factor);
  QPageLayout layout = kept;
  layout.setUnits(unit);
  layout.setMode(QPageLayout::StandardMode);
  layout.setMargins(QMarginsF(shown.left / perUnit, shown.top / perUnit, shown.right / perUnit, shown.bottom / perUnit));
  printer->setPageLayout(layout);

  const bool ok = runner() ? runner()(printer, parent) : runRealDialog(printer, parent);
  if (!ok) {
    printer->setPageLayout(kept);
    return FALSE;
  }
  const QMarginsF chosen = printer->pageLayout().margins(unit);
  const auto units = [perUnit](double v) { return LONG(std::lround(v * perUnit)); };
  *margins = MarginsFromDialogUnits({units(chosen.left()), units(chosen.top()), units(chosen.right()), units(chosen.bottom())},
                                    factor);
  return TRUE;
}
