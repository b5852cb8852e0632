// Jobs handed whole to the system's print service. Qt's own printer engine
// sends a job to the print service when its painter ends, even after
// QPrinter::abort (which it does not support), so a job that may still be
// cancelled is drawn into a PDF file first and only a finished one is
// given to the service, through its command-line client (lp).
#pragma once

#include <QEventLoop>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>

class QPrinter;

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

// One finished job handed to the print service: its client runs on the PDF
// while the windows go on taking input (the printing dialog's Cancel among
// them). The handover ends when the client does, when Cancel ends the
// client, or when the time limit has passed (the client is ended then too).
class PrintHandover : public QObject {
  Q_OBJECT

 public:
  enum Outcome { Taken, Refused, Cancelled, TimedOut };

  PrintHandover(const QString& client, const QPrinter& printer, const QString& pdf);
  ~PrintHandover() override;

  // Starts the client and waits for the end.
  Outcome Run();
  // What the client said when it refused the job (the start of its error
  // output); empty when it said nothing or could not run.
  const QString& said() const { return said_; }
  // Ends the client before the service has the job: it is not sent. Nothing
  // once the client has ended.
  void Cancel();

 private:
  void stop(Outcome why);

  QProcess process_;
  QEventLoop loop_;
  QTimer limit_;
  Outcome stopped_ = Taken;  // why the client was ended, if it was
  QString said_;
};

}  // namespace tallix
