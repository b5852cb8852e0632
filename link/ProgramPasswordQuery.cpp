#include "link/ProgramPasswordQuery.h"

namespace {

// The program's own question. The program password dialog is not part of the
// program yet; until it is, a protected program is never sent unasked: the
// answer is "cancel", which ends the transfer as the user's cancel would.
int defaultQuery(const char*, const char*) { return PROGRAM_PASSWORD_CANCEL; }

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
