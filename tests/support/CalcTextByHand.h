// A calculator-text edit in the calculator font as a user meets it: the font
// from the built program directory, and what typing, the edit's context
// menu and a drop must give there, where Qt's own edit would give other
// text. (The clipboard keys of an edit on a page are the page's Edit
// commands.)
#pragma once

#include <QFont>

class QLineEdit;

namespace tallix::test {

// The calculator font "QXL2", 10 points, from the built program directory.
QFont CalculatorTestFont();

// Chooses `entry` ("&Copy", "&Paste" ... as QLineEdit's translation names
// it) in the context menu of `edit`.
void ChooseFromEditContextMenu(QLineEdit* edit, const char* entry);

// Drops `text` on `edit`, as a drag from another program does.
void DropTextOn(QLineEdit* edit, const QString& text);

// `edit`, given the calculator font, by hand: theta typed shows at its
// code's place; the text shown copies from the context menu as the
// calculator shows it (an edit that shows nothing of itself gives nothing);
// angle quotes, which no code shows, pasted from the context menu or dropped
// are the ASCII quotes typing gives. The edit is left empty, in its own font.
void CheckCalcTextEditByHand(QLineEdit* edit);

}  // namespace tallix::test
