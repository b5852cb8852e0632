// The printing dialogs as the user reaches them, through the event loop of
// the command that waits, and the end of the program (SIGTERM) while a
// printing command waits in a loop of its own.
#include "FakePrintService.h"
#include "PrintWindow.h"

#include "platform/LanguageLibrary.h"
#include "platform/PrintSystem.h"
#include "platform/Wnd.h"
#include "platform/WinMessages.h"
#include "tests/support/MessageLog.h"
#include "tests/support/WindowSystemInput.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPrinter>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace tallix::test {
namespace {

// A printer's job, while lp hands it to the print service (lp waits at its
// gate, which no one opens, until it is ended): the printing dialog's
// Annuler clicked, its Escape and its close box, each given as the window
// system gives them, end lp and the job is not sent. The handover's loop
// takes the user's input, and the dialog's rejection cancels as its button
// does.
TEST_F(PrintWindow, AnnulerEscapeAndTheCloseBoxEndTheHandover) {
  ASSERT_TRUE(showDescription(3));
  FakePrintClient lp;
  const QByteArray gate = QFile::encodeName(lp.file("gate"));
  ASSERT_EQ(::mkfifo(gate.constData(), 0600), 0);
  w.app.GetPrinter()->setOutputFileName(QString());
  MessageLog log;
  const QString cancelled =
      QString::fromUtf8("L'impression a été annulée. Le travail n'a pas été envoyé à l'imprimante.");
  const std::vector<std::function<void(QAbstractButton*)>> ways{
      [](QAbstractButton* cancel) { queueClick(cancel); },
      [](QAbstractButton* cancel) { queueKey(cancel, Qt::Key_Escape); },
      [](QAbstractButton* cancel) { queueClose(cancel); }};
  for (size_t way = 0; way < ways.size(); ++way) {
    QFile::remove(lp.file("pid"));
    bool queued = false, heldBack = false;
    int turns = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QAbstractButton* cancel = printingCancel();
      if (!cancel || !lp.running()) return;  // not handing over yet
      if (!queued) {
        EXPECT_EQ(cancel->window()->windowTitle(), CLanguageLibrary::LoadString(AFX_IDS_APP_TITLE));
        ways[way](cancel);
        queued = true;
      } else if (!heldBack && queuedWindowSystemEvents() > 0 && ++turns >= 3) {
        // A loop that takes input takes all that is queued in each turn:
        // this one holds it back. lp is ended, so the command ends.
        heldBack = true;
        ::kill(lp.pid(), SIGKILL);
      }
    });
    poll.start(0);
    w.frame->SendMessage(WM_COMMAND, 57608);
    poll.stop();
    EXPECT_TRUE(queued) << way;
    EXPECT_FALSE(heldBack) << way;
    EXPECT_FALSE(lp.running()) << way;
    EXPECT_EQ(lp.jobs(), 0) << way;
    ASSERT_EQ(log.texts().size(), way + 1);
    EXPECT_EQ(log.texts().back().toStdString(), cancelled.toStdString()) << way;
  }
  ::unlink(gate.constData());
}

// Notes whether a window was hidden (as it is when destroyed) while a
// command ran.
class HiddenDuringCommand : public QObject {
 public:
  explicit HiddenDuringCommand(QWidget* window) { window->installEventFilter(this); }
  bool seen = false;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Hide && CWnd::IsCommandRunning()) seen = true;
    return false;
  }
};

// SIGTERM while a printing command waits for the print service's answer in
// the question's own loop: the window stays until the command has ended
// (the question ends as the waiting dialog's Escape, or its time limit,
// ends it, and the user is told), then the run ends as the close of its
// window does.
TEST_F(PrintWindow, SigtermLetsACommandAskingThePrintServiceEndFirst) {
  ASSERT_TRUE(showDescription(3));
  FakePrintClient lpstat("lpstat");
  MessageLog log;
  HiddenDuringCommand hidden(w.frame);
  bool asked = false;
  {
    Gate gate(lpstat.file("gate"), [&] {
      asked = true;
      ::kill(::getpid(), SIGTERM);
      while (lpstat.running() && !hidden.seen) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    });
    QTimer::singleShot(0, w.frame, [&] { w.frame->SendMessage(WM_COMMAND, 57608); });
    EXPECT_EQ(w.app.Run(), 0);
  }
  EXPECT_TRUE(asked);
  EXPECT_FALSE(hidden.seen) << "the window went while the command ran";
  EXPECT_FALSE(lpstat.running());
  ASSERT_EQ(log.texts().size(), 1u);
  EXPECT_EQ(log.texts().front().toStdString(), "Le service d'impression ne répond pas. La commande a été abandonnée.");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(w.frame);
}

}  // namespace
}  // namespace tallix::test
