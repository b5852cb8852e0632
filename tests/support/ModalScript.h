// Answers a modal window the code under test runs: `act` is called once with
// the window, as soon as a modal window of class T shows. A timer of the
// event loop looks for it, so nothing waits a fixed time.
#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>

namespace tallix::test {

template <class T>
void whenModal(std::function<void(T*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!window || !window->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(window);
  });
  timer->start();
}

}  // namespace tallix::test
