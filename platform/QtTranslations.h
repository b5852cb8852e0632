// The language of Qt's own dialogs and buttons (file dialogs, page setup,
// the Yes/No/Cancel of message boxes). They speak the language that the
// loaded language library declares in its version entry ("Language", a
// Windows language identifier); without a library, without a declared
// language or without Qt's catalogue for it, they follow the default locale
// (the system's). Only texts change: numbers and dates keep the locale.
#pragma once

#include <QLocale>

namespace tallix {

// The locale of a Windows language identifier (primary language in its low
// ten bits, sub-language above); the C locale for one it does not know.
QLocale localeOfLanguageId(unsigned languageId);

// Installs Qt's catalogue "qtbase" (from Qt's translations folder) for that
// language in place of the one installed before, with the program's own
// translations of the few texts the catalogue lacks. False when none
// applies, in which case Qt's texts stay its own (English).
bool installQtTranslations();

}  // namespace tallix
