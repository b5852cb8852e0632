#include "platform/TerminationSignal.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace tallix {
namespace {

// One object at a time owns the pipe and the handler.
int g_pipe[2] = {-1, -1};
struct sigaction g_previous {};

void onSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a byte that has not been read: enough.
  [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
  errno = saved;
}

void closePipe() {
  for (int& fd : g_pipe)
    if (fd >= 0) ::close(std::exchange(fd, -1));
}

}  // namespace

TerminationSignal::TerminationSignal(QObject* parent) : QObject(parent) {
  if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = &onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (::sigaction(SIGTERM, &action, &g_previous) != 0) {
    closePipe();
    return;
  }
  installed_ = true;
  notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignal::drain);
}

TerminationSignal::~TerminationSignal() {
  if (!installed_) return;
  ::sigaction(SIGTERM, &g_previous, nullptr);
  notifier_.reset();
  closePipe();
}

void TerminationSignal::drain() {
  char bytes[16];
  bool any = false;
  for (ssize_t n; (n = ::read(g_pipe[0], bytes, sizeof bytes)) > 0 || (n < 0 && errno == EINTR);) any = any || n > 0;
  if (any) emit received();
}

}  // namespace tallix
