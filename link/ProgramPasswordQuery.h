// The question put to the user before a program that carries a password is
// sent: the program password dialog, behind one replaceable function so that
// the send sessions can be driven without a window.
#pragma once

#include "platform/WinTypes.h"

#include <functional>

// The dialog's outcomes.
enum : int {
  PROGRAM_PASSWORD_SEND = 0,    // the right password was typed
  PROGRAM_PASSWORD_CANCEL = 1,  // cancel the whole transfer
  PROGRAM_PASSWORD_SKIP = 2,    // go on without this program
};

using ProgramPasswordQuery = std::function<int(const char* programName, const char* storedPassword)>;

// Asks through the installed query; one of the outcomes above.
int AskProgramPassword(const char* programName, const char* storedPassword);
// Installs `query` (empty: the program's own) and returns the one before.
ProgramPasswordQuery SetProgramPasswordQuery(ProgramPasswordQuery query);
