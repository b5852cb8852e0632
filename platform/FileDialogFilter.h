// File dialog filters: the platform's filter strings turned into
// QFileDialog's name filters. A filter string is a list of text/patterns
// pairs separated by '|' ("text|*.a;*.b|text|*.*||") or by '\0' (the form a
// program builds itself); patterns are separated by ';'.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tallix {

struct FileDialogFilterEntry {
  QString text;         // shown as it stands
  QStringList patterns; // as given, "*.*" included
};

// The pairs of a filter string, in order; a pair without a pattern is
// dropped, the list ends at an empty pair.
std::vector<FileDialogFilterEntry> parseFileDialogFilter(const QString& windowsFilter);

// One name filter per pair: the text, a blank and the patterns in
// parentheses, where Qt reads them ("*.*" becomes "*", every file). Qt would
// take "*.a;*.b" as one pattern, so the patterns are given separately even
// when the text names them already. A dialog given these filters shows the
// texts as they stand with the option QFileDialog::HideNameFilterDetails.
QStringList fileDialogFilters(const QString& windowsFilter);

}  // namespace tallix
