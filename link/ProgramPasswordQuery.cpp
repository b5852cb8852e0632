#include "link/ProgramPasswordQuery.h"

#include "link/ProgramPasswordDialog.h"

namespace {

// The program's own question: the program password dialog.
int defaultQuery(const char* programName, const char* storedPassword) {
  return RunProgramPasswordDialog(programName, storedPassword);
}

ProgramPasswordQuery& installed() {
  static ProgramPasswordQuery query;
  return query;
}

}  // namespace

int AskProgramPassword(const char* programName, const char* storedPassword) {
  const ProgramPasswordQuery& query = installed();
  const int result = query ? query(programName, storedPassword) : defaultQuery(programName, storedPassword);
  return result == PROGRAM_PASSWORD_SEND || result == PROGRAM_PASSWORD_SKIP ? result : PROGRAM_PASSWORD_CANCEL;
}

ProgramPasswordQuery SetProgramPasswordQuery(ProgramPasswordQuery query) {
  ProgramPasswordQuery previous = std::move(installed());
  installed() = std::move(query);
  return previous;
}
