// Page setup of the application: the page margins, kept in twips, shown in
// the page setup dialog in the unit of the user's measurement system.
#pragma once

#include "platform/WinTypes.h"

#include <QLocale>

#include <functional>

class QPrinter;
class QWidget;

// Left, top, right, bottom in twips.
inline constexpr RECT kDefaultPageMargins{1800, 1440, 1800, 1440};

// Units per inch of the dialog's margins: 1000 (thousandths of an inch) for
// the U.S. system, else 2540 (hundredths of a millimetre).
int PageSetupUnitFactor(const QLocale& locale = QLocale());
// To the nearest multiple of 10; a remainder of 5 rounds away from zero.
int RoundToTens(int value);
// Twips into dialog units and back, each value rounded to tens in the
// dialog's unit.
RECT MarginsToDialogUnits(const RECT& twips, int factor);
RECT MarginsFromDialogUnits(const RECT& units, int factor);

// The dialog on the printer (whose page layout carries the margins in the
// dialog's unit); true on OK. Tests replace it; null restores the real one.
using PageSetupDialogRunner = std::function<bool(QPrinter* printer, QWidget* parent)>;
PageSetupDialogRunner SetPageSetupDialogRunner(PageSetupDialogRunner runner);

// Shows the page setup for `printer` with `margins`: on OK the margins and
// the printer's page settings take the dialog's choice; Cancel changes
// neither. TRUE on OK.
BOOL RunPageSetup(QPrinter* printer, RECT* margins, QWidget* parent);
