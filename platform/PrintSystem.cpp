#include "platform/PrintSystem.h"

#include <QEventLoop>
#include <QPageLayout>
#include <QPrintEngine>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace tallix {

namespace {

// Where Qt's engine keeps, as name/value pairs, the options its print
// dialog chose for a printer of the print service (number of pages per
// sheet, page set, job priority, the driver's own choices...).
constexpr auto kDialogOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// One option as the client parses it: a value with spaces or quotes is
// quoted, so it stays one value.
QString option(const QString& name, const QString& value) {
  static const QString special = QStringLiteral(" \t\r\n'\"\\");
  if (std::none_of(value.begin(), value.end(), [](QChar c) { return special.contains(c); })) return name + '=' + value;
  QString quoted = value;
  quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
  return name + QStringLiteral("=\"") + quoted + '"';
}

QString sides(const QPrinter& printer) {
  switch (printer.duplex()) {
    case QPrinter::DuplexLongSide: return QStringLiteral("two-sided-long-edge");
    case QPrinter::DuplexShortSide: return QStringLiteral("two-sided-short-edge");
    case QPrinter::DuplexAuto:
      return printer.pageLayout().orientation() == QPageLayout::Landscape ? QStringLiteral("two-sided-short-edge")
                                                                         : QStringLiteral("two-sided-long-edge");
    case QPrinter::DuplexNone: break;
  }
  return QStringLiteral("one-sided");
}

}  // namespace

QString printSystemClient() { return QStandardPaths::findExecutable(QStringLiteral("lp")); }

QStringList printSystemArguments(const QPrinter& printer, const QString& pdf) {
  QStringList args;
  if (!printer.printerName().isEmpty()) args << QStringLiteral("-d") << printer.printerName();
  if (!printer.docName().isEmpty()) args << QStringLiteral("-t") << printer.docName();
  const int copies = std::max(1, printer.copyCount());
  args << QStringLiteral("-n") << QString::number(copies);
  QStringList options;
  options << option(QStringLiteral("media"), printer.pageLayout().pageSize().key());
  if (copies > 1) options << option(QStringLiteral("Collate"), printer.collateCopies() ? QStringLiteral("True") : QStringLiteral("False"));
  options << option(QStringLiteral("sides"), sides(printer));
  // The PDF's pages are already turned: the service must not turn them.
  if (printer.pageLayout().orientation() == QPageLayout::Landscape) options << QStringLiteral("nolandscape");
  if (QPrintEngine* engine = printer.printEngine()) {
    const QStringList chosen = engine->property(kDialogOptions).toStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
      if (!chosen[i].isEmpty()) options << option(chosen[i], chosen[i + 1]);
  }
  for (const QString& o : options) args << QStringLiteral("-o") << o;
  args << pdf;
  return args;
}

bool submitToPrintSystem(const QString& client, const QPrinter& printer, const QString& pdf, QString* error) {
  QProcess process;
  process.setProgram(client);
  process.setArguments(printSystemArguments(printer, pdf));
  process.setStandardInputFile(QProcess::nullDevice());
  QEventLoop loop;
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop, &process](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart || process.state() == QProcess::NotRunning) loop.quit();
  });
  process.start();
  if (process.state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (process.error() == QProcess::FailedToStart || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    if (error) {
      const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
      *error = said.isEmpty() ? process.errorString() : said;
    }
    return false;
  }
  return true;
}

}  // namespace tallix
