// A window that runs `run` as one of its user commands, as a menu choice or
// a key does: while `run` runs a command is running, and a dialog it opens
// is a window of that command's own modal loop.
#pragma once

#include "platform/Wnd.h"

#include <functional>

namespace tallix::test {

class CommandHost : public CWnd {
 public:
  DECLARE_MESSAGE_MAP()
  // Runs `run` through the command path.
  BOOL Run() { return ExecuteUserCommand(kCommand); }
  std::function<void()> run;

 private:
  static constexpr UINT kCommand = 22303;
  void OnRun() { run(); }
};

inline const CMessageMap& CommandHost::messageMap() {
  static const CMessageMap map = MessageMapOf<CommandHost>(CWnd::messageMap()).command(kCommand, &CommandHost::OnRun);
  return map;
}

}  // namespace tallix::test
