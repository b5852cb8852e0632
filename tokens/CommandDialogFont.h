// The font of the command trees and lists of the command-list dialogs: with
// "Edit Cmd List"/"Cmd Font Select" the font the user chose with their Font
// button ("Cmd Font"), else the calculator font at 10 points when it is
// installed.
#pragma once

#include <QFont>

class QWidget;

// False when neither applies (the windows keep their own font).
// `fontButton` receives whether the Font button is offered.
bool LoadCommandDialogFont(QFont* font, bool* fontButton);
// The font dialog, started from `font`; on OK the choice is stored as "Cmd
// Font" and put into `font`.
bool ChooseCommandDialogFont(QWidget* parent, QFont* font);
