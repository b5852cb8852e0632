// SIGTERM (what the session sends its programs at logout) handed to the
// event loop. The handler itself only writes a byte into a pipe; a notifier
// on the pipe's other end emits `received` on the thread that made the
// object, where the program can end as it ends otherwise. The previous
// action comes back when the object goes.
#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace tallix {

class TerminationSignal : public QObject {
  Q_OBJECT

 public:
  explicit TerminationSignal(QObject* parent = nullptr);
  ~TerminationSignal() override;
  TerminationSignal(const TerminationSignal&) = delete;
  TerminationSignal& operator=(const TerminationSignal&) = delete;

  // FALSE when the pipe or the handler could not be set up: SIGTERM then
  // keeps the action it had.
  bool isInstalled() const { return installed_; }

 signals:
  void received();

 private:
  void drain();

  std::unique_ptr<QSocketNotifier> notifier_;
  bool installed_ = false;
};

}  // namespace tallix
