// Jobs handed whole to the system's print service. Qt's own printer engine
// sends a job to the print service when its painter ends, even after
// QPrinter::abort (which it does not support), so a job that may still be
// cancelled is drawn into a PDF file first and only a finished one is
// given to the service, through its command-line client (lp).
#pragma once

#include <QString>
#include <QStringList>

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

// Runs `client` on `pdf` for `printer` and waits for it to end, with the
// windows repainting meanwhile (user input waits). False, with the reason
// in `error`, when the service did not take the job.
bool submitToPrintSystem(const QString& client, const QPrinter& printer, const QString& pdf, QString* error = nullptr);

}  // namespace tallix
