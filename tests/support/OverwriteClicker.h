// Answers the overwrite question by clicking its buttons in turn (1 yes,
// 7 no, 2 cancel, 1030 all; no when the list is used up) and keeps the
// questions' texts.
#pragma once

#include "link/OverwriteDialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>
#include <string>
#include <vector>

namespace tallix::test {

class OverwriteClicker {
 public:
  std::deque<int> buttons;
  std::vector<std::string> questions;

  OverwriteClicker() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<CQXOverwriteDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      questions.push_back(dialog->GetDlgItemAs<QLabel>(1000)->text().toLatin1().toStdString());
      const int button = buttons.empty() ? 7 : buttons.front();
      if (!buttons.empty()) buttons.pop_front();
      QTest::mouseClick(dialog->GetDlgItemAs<QPushButton>(button), Qt::LeftButton);
    });
    timer_.start();
  }

 private:
  QTimer timer_;
};

}  // namespace tallix::test
