#include "tests/support/CalcTextByHand.h"

#include "platform/CalcShownText.h"
#include "platform/CalcFontChars.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace tallix::test {

QFont CalculatorTestFont() {
  static const int id =
      QFontDatabase::addApplicationFont(TestEnvironment::builtProgramDir() + QStringLiteral("/QXL2.fon"));
  EXPECT_GE(id, 0);
  QFont font(QString::fromLatin1(tallix::kCalcFontFamily));
  font.setPointSize(10);
  return font;
}

void ChooseFromEditContextMenu(QLineEdit* edit, const char* entry) {
  bool chosen = false;
  QTimer::singleShot(0, [entry, &chosen] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    for (QAction* action : menu->actions())
      if (action->isEnabled() &&
          action->text().section('\t', 0, 0) == QCoreApplication::translate("QLineEdit", entry)) {
        action->trigger();
        chosen = true;
      }
    menu->close();
  });
  // The window gets the keyboard back once the menu has closed, as the
  // system gives it back.
  const QPointer<QWidget> active = QApplication::activeWindow();
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), edit->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(edit, &event);
  EXPECT_TRUE(chosen) << entry;
  if (active && QApplication::activeWindow() != active) QApplication::setActiveWindow(active);
}

void DropTextOn(QLineEdit* edit, const QString& text) {
  QMimeData mime;
  mime.setText(text);
  QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(edit, &enter);
  QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(edit, &drop);
}

void CheckCalcTextEditByHand(QLineEdit* edit) {
  ASSERT_TRUE(edit);
  const QFont given = edit->font();
  edit->setFont(CalculatorTestFont());
  ASSERT_TRUE(IsCalculatorFont(edit->font()));
  const auto shown = [edit](const char* codes) { return CalcDisplayText(codes, edit->font()); };
  edit->setFocus();
  edit->clear();
  QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("θ"), Qt::NoModifier);
  EXPECT_EQ(edit->text(), shown("\xCE")) << "typed";

  QClipboard* clipboard = QGuiApplication::clipboard();
  if (edit->echoMode() == QLineEdit::Normal) {
    clipboard->setText(QStringLiteral("-"));
    edit->selectAll();
    ChooseFromEditContextMenu(edit, "&Copy");
    EXPECT_EQ(clipboard->text(), QStringLiteral("θ")) << "copied";
  }

  const QString quoted = QStringLiteral("«A»");
  clipboard->setText(quoted);
  edit->clear();
  ChooseFromEditContextMenu(edit, "&Paste");
  EXPECT_EQ(edit->text(), shown("\"A\"")) << "pasted";
  edit->clear();
  DropTextOn(edit, quoted);
  EXPECT_EQ(edit->text(), shown("\"A\"")) << "dropped";
  edit->clear();
  edit->setFont(given);
}

}  // namespace tallix::test
