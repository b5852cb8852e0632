#include "tests/support/MessageLog.h"

namespace tallix::test {

int firstButtonResult(UINT type) {
  const UINT buttons = type & 0x0F;
  return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
}

MessageLog::MessageLog() {
  previous_ = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
    shown.push_back(r);
    if (answers.empty()) return firstButtonResult(r.type);
    const int a = answers.front();
    answers.pop_front();
    return a;
  });
}

MessageLog::~MessageLog() { SetMessageBoxHandler(std::move(previous_)); }

std::vector<QString> MessageLog::texts() const {
  std::vector<QString> t;
  for (const auto& r : shown) t.push_back(r.text);
  return t;
}

}  // namespace tallix::test
