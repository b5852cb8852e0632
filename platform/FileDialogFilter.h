// File dialog filters: the platform's filter strings ("text|pattern|text|
// pattern||", patterns separated by ';') turned into QFileDialog's name
// filters.
#pragma once

#include <QString>
#include <QStringList>

namespace tallix {

// One name filter per text/pattern pair: the text, a blank and the patterns
// in parentheses, where Qt reads them ("*.*" becomes "*", every file).
// A dialog given these filters shows the texts as they stand with the option
// QFileDialog::HideNameFilterDetails. A pair without a pattern is dropped.
QStringList fileDialogFilters(const QString& windowsFilter);

}  // namespace tallix
