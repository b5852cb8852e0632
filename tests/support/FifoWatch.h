// A FIFO for the tests of readers that must never open one. While a call
// runs on this thread, a watcher thread keeps trying to open the FIFO's
// writing end without waiting, which succeeds only once a reader has it
// open: a reader stuck in its open (waiting for a writer that never comes)
// is seen, and released by that very open, so a reader without the check
// fails the test instead of holding it up. An open that does not wait (for
// writing beside a reader, or non-blocking) and is closed at once is seen
// by inotify, which reports every open of the FIFO. Decided by events: the
// call returns, or the FIFO is opened; how long either takes does not
// matter.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tallix::test {

class FifoWatch {
 public:
  explicit FifoWatch(const QString& path) : path_(QFile::encodeName(path)) {
    made_ = ::mkfifo(path_.constData(), 0644) == 0;
    notify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    made_ = made_ && notify_ >= 0 && ::inotify_add_watch(notify_, path_.constData(), IN_OPEN) >= 0;
  }
  ~FifoWatch() {
    if (notify_ >= 0) ::close(notify_);
    ::unlink(path_.constData());
  }
  FifoWatch(const FifoWatch&) = delete;
  FifoWatch& operator=(const FifoWatch&) = delete;

  bool made() const { return made_; }
  const char* path() const { return path_.constData(); }

  // Runs `call`; true when the FIFO was opened meanwhile.
  template <class Call>
  bool openedDuring(Call&& call) {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::atomic<bool> opened{false};
    openNoticed();  // what came before the call
    std::thread watcher([&] {
      std::unique_lock<std::mutex> lock(mutex);
      while (!done) {
        const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
          opened = true;
          ::close(fd);  // the reader then reads the end of the data
        }
        ended.wait_for(lock, std::chrono::milliseconds(2), [&] { return done; });
      }
    });
    call();
    {
      std::lock_guard<std::mutex> lock(mutex);
      done = true;
    }
    ended.notify_all();
    watcher.join();
    // The watcher's own open succeeds only beside a reader's.
    return openNoticed() || opened;
  }

 private:
  // Whether inotify reported an open since the last look.
  bool openNoticed() {
    bool any = false;
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = ::read(notify_, events, sizeof events)) > 0;)
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        any = any || (event->mask & IN_OPEN);
        at += ssize_t(sizeof(inotify_event) + event->len);
      }
    return any;
  }

  QByteArray path_;
  bool made_ = false;
  int notify_ = -1;
};

}  // namespace tallix::test
