// Stand-ins for the print service's clients and the other end of their
// gate, for the print tests that drive the window.
#pragma once

#include "platform/AtomicFile.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "tests/support/TestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <functional>
#include <future>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace tallix::test {

// A stand-in for a client of the print service, first on the PATH: as lp
// it keeps the arguments and the file of each job it is given; as lpstat
// it answers with nothing. It notes its process id; with a file "refuse"
// beside it, it says what that holds and fails; with a FIFO "gate" there,
// it waits for a line from it first.
class FakePrintClient {
 public:
  explicit FakePrintClient(const char* name = "lp")
      : program_(QLatin1String(name), "#!/bin/sh\n"
                                      "dir=$(dirname \"$0\")\n"
                                      "echo $$ > \"$dir/pid\"\n"
                                      "if [ -f \"$dir/refuse\" ]; then cat \"$dir/refuse\" >&2; exit 1; fi\n"
                                      "if [ -p \"$dir/gate\" ]; then read line < \"$dir/gate\"; fi\n"
                                      "[ \"${0##*/}\" = lp ] || exit 0\n"
                                      "n=$(( $(cat \"$dir/count\" 2>/dev/null || echo 0) + 1 ))\n"
                                      "echo $n > \"$dir/count\"\n"
                                      "printf '%s\\n' \"$@\" > \"$dir/job$n.args\"\n"
                                      "for last; do :; done\n"
                                      "cp \"$last\" \"$dir/job$n.pdf\"\n") {}
  int jobs() const { return QDir(program_.path()).entryList({"job*.pdf"}).size(); }
  QStringList arguments(int job) const {
    QByteArray text;
    readWholeFile(program_.file(QStringLiteral("job%1.args").arg(job)), &text);
    return QString::fromUtf8(text).split('\n', Qt::SkipEmptyParts);
  }
  QByteArray pdf(int job) const {
    QByteArray bytes;
    readWholeFile(program_.file(QStringLiteral("job%1.pdf").arg(job)), &bytes);
    return bytes;
  }
  QString file(const char* name) const { return program_.file(QLatin1String(name)); }
  // The process id of the last client started, 0 when none noted it.
  pid_t pid() const {
    QByteArray pid;
    readWholeFile(file("pid"), &pid);
    return std::max(0, pid.trimmed().toInt());
  }
  // Whether the last client started is still there.
  bool running() const { return pid() > 0 && ::kill(pid(), 0) == 0; }

 private:
  ScopedProgramOnPath program_;
};

// The printing dialog's Cancel, when it shows.
inline QAbstractButton* printingCancel() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (qobject_cast<QDialog*>(window) && window->isVisible())
      if (auto* cancel = GetDlgItemAs<QAbstractButton>(window, IDCANCEL)) return cancel;
  }
  return nullptr;
}

// The other end of a print client's gate: once the client waits at it,
// `whileItWaits` runs in the window's thread, handling its events; then the
// client is let through (if it is still there).
class Gate {
 public:
  Gate(const QString& path, std::function<void()> whileItWaits) : path_(QFile::encodeName(path)) {
    EXPECT_EQ(::mkfifo(path_.constData(), 0600), 0);
    opener_ = std::thread([this, whileItWaits] {
      // A client gone makes the write fail, not this program.
      sigset_t pipe;
      sigemptyset(&pipe);
      sigaddset(&pipe, SIGPIPE);
      pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
      const int fd = ::open(path_.constData(), O_WRONLY);  // returns once the client reads
      if (!closing_) {
        std::promise<void> done;
        QMetaObject::invokeMethod(qApp, [&] {
          whileItWaits();
          done.set_value();
        }, Qt::QueuedConnection);
        done.get_future().wait();
      }
      if (fd >= 0) {
        [[maybe_unused]] const auto written = ::write(fd, "go\n", 3);
        ::close(fd);
      }
      finished_ = true;
      QMetaObject::invokeMethod(qApp, [] {}, Qt::QueuedConnection);
    });
  }
  // A client ended before it came to the gate leaves the opener waiting: a
  // reader of the gate's own lets it go.
  ~Gate() {
    closing_ = true;
    const int reader = ::open(path_.constData(), O_RDONLY | O_NONBLOCK);
    while (!finished_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    opener_.join();
    if (reader >= 0) ::close(reader);
    ::unlink(path_.constData());
  }

 private:
  QByteArray path_;
  std::atomic<bool> closing_ = false, finished_ = false;
  std::thread opener_;
};

}  // namespace tallix::test
