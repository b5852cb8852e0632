// Records the messages a test makes the program show, and answers them from a
// script; installed for a scope. Without one, the test main answers every
// message with its first button and keeps a log, so no test ever blocks.
#pragma once

#include "platform/MessageBox.h"

#include <deque>
#include <vector>

namespace tallix::test {

class MessageLog {
 public:
  MessageLog();
  ~MessageLog();
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  std::vector<MessageBoxRequest> shown;
  std::deque<int> answers;  // given in turn; the first button's result after that

  // The texts shown, in order.
  std::vector<QString> texts() const;

 private:
  MessageBoxHandler previous_;
};

// The first button's result for a message box type (IDOK or IDYES).
int firstButtonResult(UINT type);

}  // namespace tallix::test
