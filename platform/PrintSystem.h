// Jobs handed whole to the system's print service. Qt's own printer engine
// sends a job to the print service when its painter ends, even after
// QPrinter::abort (which it does not support), so a job that may still be
// cancelled is drawn into a PDF file first and only a finished one is
// given to the service, through its command-line client (lp). Qt's printer
// code also waits on the service, a minute per question with the windows
// taking no input, so the service is asked first through its client
// (lpstat), bounded and cancellable, before each printing command.
#pragma once

#include <QEventLoop>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace tallix {

// The print service's client found on the PATH, or empty when there is
// none.
QString printSystemClient();

// The client's arguments that print the PDF file `pdf` as a job for
// `printer`: its destination, the document name as title, copies and
// collation, sides, media and orientation as Qt's engine sends them, then
// the options the print dialog chose for the printer.
QStringList printSystemArguments(const QPrinter& printer, const QString& pdf);

// How long the print service is given to take a job. Its client ends as
// soon as the service has the job: a local service or one on the network
// takes it within a second or two; the slowest that still work, a
// driverless printer's queue made on first use or a large job sent over a
// slow link, take tens of seconds. A service that has not taken it after a
// minute does not answer.
inline constexpr std::chrono::milliseconds kPrintHandoverTimeLimit = std::chrono::minutes(1);

// The time limit of the handovers to come (kPrintHandoverTimeLimit until
// set otherwise, as tests do); setting it returns the one before.
std::chrono::milliseconds printHandoverTimeLimit();
std::chrono::milliseconds setPrintHandoverTimeLimit(std::chrono::milliseconds limit);

// A client of the print service run while the windows go on taking input
// (a waiting dialog's Cancel among them). The run ends when the client
// does, when Cancel ends the client, or when its time limit has passed (the
// client is ended then too).
class PrintServiceClient : public QObject {
  Q_OBJECT

 public:
  enum Outcome { Done, Failed, Cancelled, TimedOut };

  PrintServiceClient(const QString& client, const QStringList& arguments, std::chrono::milliseconds limit);
  ~PrintServiceClient() override;

  // Starts the client and waits for the end: Done when it ended well,
  // Failed when it ended otherwise or could not start.
  Outcome Run();
  // What the client said when it failed (the start of its error output);
  // empty when it said nothing or could not run.
  const QString& said() const { return said_; }
  // Ends the client: what it was doing is left undone. Nothing once the
  // client has ended.
  void Cancel();

 private:
  void stop(Outcome why);

  QProcess process_;
  QEventLoop loop_;
  QTimer limit_;
  std::chrono::milliseconds limitTime_;
  Outcome stopped_ = Done;  // why the client was ended, if it was
  QString said_;
};

// One finished job handed to the print service: its client runs on the PDF
// within printHandoverTimeLimit(). Done: the service has the job; Failed:
// it refused it; Cancelled or TimedOut: the client was ended before the
// service had the job, which is not sent.
class PrintHandover : public PrintServiceClient {
  Q_OBJECT

 public:
  PrintHandover(const QString& client, const QPrinter& printer, const QString& pdf);
};

// The printing dialog (30722): shown while a job's pages are drawn and
// handed over, and while the print service is asked. Application-modal,
// with the program's title, shown; `text`, when given, takes the place of
// its own. Null when the language library has no such dialog.
std::unique_ptr<QWidget> showPrintingDialog(QWidget* parent, const QString& text = {});

// Calls `cancel` on the Cancel of a dialog of printing (its button 2) and
// on its Escape or close box, while `context` lives.
void onPrintingCancel(QWidget* dialog, QObject* context, const std::function<void()>& cancel);

// How long the print service is given to answer the question asked before
// every printing command. A local service answers within milliseconds, one
// on the network within tens of them; one that its system starts on its
// first question (socket activation) takes a second or two on a slow
// machine. Qt's printer code asks several such questions in a row, each
// holding the windows for as long as its answer takes: a service that has
// not answered one in five seconds would hold them longer than a user
// waits.
inline constexpr std::chrono::milliseconds kPrintServiceAnswerTimeLimit = std::chrono::seconds(5);
// The waiting dialog shows only once the question has taken this long: a
// working service has answered before.
inline constexpr std::chrono::milliseconds kPrintServiceWaitShown = std::chrono::milliseconds(500);

// The time limit of the questions to come (kPrintServiceAnswerTimeLimit
// until set otherwise, as tests do); setting it returns the one before.
std::chrono::milliseconds printServiceAnswerTimeLimit();
std::chrono::milliseconds setPrintServiceAnswerTimeLimit(std::chrono::milliseconds limit);

// How long an answer of the print service is taken as still holding: the
// printing commands that follow within it (a preview and its Print, a page
// setup and the print, a print cancelled and tried again) are not asked
// again, as the question costs each a process (tens of milliseconds). A
// question that got no answer (its time limit, Cancel) is not remembered,
// so the next command asks again. A service that falls silent within the
// while is not seen by the commands that follow in it: they reach Qt's
// printer code, which then waits on the service as it would without the
// question.
inline constexpr std::chrono::milliseconds kPrintServiceAnswerKept = std::chrono::seconds(10);

// How long answers are kept (kPrintServiceAnswerKept until set otherwise,
// as tests do); setting it returns the while before.
std::chrono::milliseconds printServiceAnswerKept();
std::chrono::milliseconds setPrintServiceAnswerKept(std::chrono::milliseconds kept);
// The next command asks the service, whenever it last answered.
void forgetPrintServiceAnswer();

// Asks the print service, through its client lpstat, for its default
// printer: the question Qt's printer code asks first whenever it makes a
// printer or lists printers, and then waits a minute for, the windows
// taking no input. Asked before each command that reaches Qt's printer
// code (printing, the preview, the printer and page setup), unless the
// service answered within printServiceAnswerKept(). The windows take input
// meanwhile; once kPrintServiceWaitShown has passed the printing dialog
// says that the service is asked (10594) and its Cancel ends the question.
// True when the service answered, whatever it said (a service that is not
// there fails at once, in Qt's code too), or when there is no lpstat to
// ask; false, after telling the user (10593), when it did not answer
// within the time limit or the user cancelled.
bool askPrintService(QWidget* parent);

}  // namespace tallix
