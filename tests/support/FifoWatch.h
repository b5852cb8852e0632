// A FIFO for the tests of readers that must never open one. While a call
// runs on this thread, a watcher thread keeps trying to open the FIFO's
// writing end without waiting, which succeeds only once a reader has it
// open: a reader stuck in its open (waiting for a writer that never comes)
// is seen, and released by that very open, so a reader without the check
// fails the test instead of holding it up. Decided by events: the call
// returns, or the FIFO is opened; how long either takes does not matter.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tallix::test {

class FifoWatch {
 public:
  explicit FifoWatch(const QString& path) : path_(QFile::encodeName(path)) {
    made_ = ::mkfifo(path_.constData(), 0644) == 0;
  }
  ~FifoWatch() { ::unlink(path_.constData()); }
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
    return opened;
  }

 private:
  QByteArray path_;
  bool made_ = false;
};

}  // namespace tallix::test
