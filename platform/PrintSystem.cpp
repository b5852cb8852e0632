#include "platform/PrintSystem.h"

#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/WinMessages.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QPageLayout>
#include <QPrintEngine>
#include <QPrinter>
#include <QStandardPaths>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

namespace tallix {

namespace {

// Where Qt's engine keeps, as name/value pairs, the options its print
// dialog chose for a printer of the print service (number of pages per
// sheet, page set, job priority, the driver's own choices...).
constexpr auto kDialogOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// How much of what the client says goes into a message.
constexpr qsizetype kSaidBytes = 1024;

std::chrono::milliseconds handoverTimeLimit = kPrintHandoverTimeLimit;
std::chrono::milliseconds answerTimeLimit = kPrintServiceAnswerTimeLimit;
std::chrono::milliseconds answerKept = kPrintServiceAnswerKept;
// When the print service last answered, if it did within answerKept.
std::optional<std::chrono::steady_clock::time_point> lastAnswer;

constexpr UINT kDlgPrinting = 30722;
constexpr UINT kMsgCommandAbandoned = 10593;
constexpr UINT kStrAskingService = 10594;

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

std::chrono::milliseconds setPrintHandoverTimeLimit(std::chrono::milliseconds limit) {
  return std::exchange(handoverTimeLimit, limit);
}

std::chrono::milliseconds printHandoverTimeLimit() { return handoverTimeLimit; }

std::chrono::milliseconds setPrintServiceAnswerTimeLimit(std::chrono::milliseconds limit) {
  return std::exchange(answerTimeLimit, limit);
}

std::chrono::milliseconds printServiceAnswerTimeLimit() { return answerTimeLimit; }

std::chrono::milliseconds setPrintServiceAnswerKept(std::chrono::milliseconds kept) {
  return std::exchange(answerKept, kept);
}

std::chrono::milliseconds printServiceAnswerKept() { return answerKept; }

void forgetPrintServiceAnswer() { lastAnswer.reset(); }

PrintServiceClient::PrintServiceClient(const QString& client, const QStringList& arguments,
                                       std::chrono::milliseconds limit)
    : limitTime_(limit) {
  process_.setProgram(client);
  process_.setArguments(arguments);
  process_.setStandardInputFile(QProcess::nullDevice());
  process_.setStandardOutputFile(QProcess::nullDevice());
  connect(&process_, &QProcess::finished, &loop_, &QEventLoop::quit);
  connect(&process_, &QProcess::errorOccurred, &loop_, [this](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart || process_.state() == QProcess::NotRunning) loop_.quit();
  });
  limit_.setSingleShot(true);
  connect(&limit_, &QTimer::timeout, this, [this] { stop(TimedOut); });
}

PrintServiceClient::~PrintServiceClient() = default;

PrintServiceClient::Outcome PrintServiceClient::Run() {
  process_.start();
  if (process_.state() != QProcess::NotRunning) {
    limit_.start(limitTime_);
    loop_.exec();
    limit_.stop();
  }
  // A client that ended well has done its work, also when Cancel or the
  // time limit came too late to end it.
  const bool ran = process_.error() != QProcess::FailedToStart && process_.exitStatus() == QProcess::NormalExit;
  if (ran && process_.exitCode() == 0) return Done;
  if (stopped_ != Done) return stopped_;
  // A client that says much is cut short: the message shows its start.
  said_ = QString::fromLocal8Bit(process_.readAllStandardError().left(kSaidBytes)).trimmed();
  return Failed;
}

void PrintServiceClient::Cancel() { stop(Cancelled); }

void PrintServiceClient::stop(Outcome why) {
  if (process_.state() == QProcess::NotRunning || stopped_ != Done) return;
  stopped_ = why;
  limit_.stop();
  // Ended at once: the service gets no more from it. The loop ends when
  // the client is gone.
  process_.kill();
}

PrintHandover::PrintHandover(const QString& client, const QPrinter& printer, const QString& pdf)
    : PrintServiceClient(client, printSystemArguments(printer, pdf), printHandoverTimeLimit()) {}

std::unique_ptr<QWidget> showPrintingDialog(QWidget* parent, const QString& text) {
  std::unique_ptr<QWidget> dialog(CLanguageLibrary::LoadDialog(kDlgPrinting, parent));
  if (!dialog) return nullptr;
  // Untitled in the library: the window system would show the program
  // file's name.
  dialog->setWindowTitle(CLanguageLibrary::LoadString(AFX_IDS_APP_TITLE));
  if (!text.isEmpty())
    if (auto* label = dialog->findChild<QLabel*>()) label->setText(text);
  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->show();
  return dialog;
}

void onPrintingCancel(QWidget* dialog, QObject* context, const std::function<void()>& cancel) {
  if (!dialog) return;
  if (auto* button = GetDlgItemAs<QAbstractButton>(dialog, IDCANCEL))
    QObject::connect(button, &QAbstractButton::clicked, context, cancel);
  if (auto* modal = qobject_cast<QDialog*>(dialog)) QObject::connect(modal, &QDialog::rejected, context, cancel);
}

bool askPrintService(QWidget* parent) {
  const auto now = std::chrono::steady_clock::now();
  if (lastAnswer && now - *lastAnswer < answerKept) return true;
  lastAnswer.reset();
  const QString client = QStandardPaths::findExecutable(QStringLiteral("lpstat"));
  if (client.isEmpty()) return true;
  PrintServiceClient question(client, {QStringLiteral("-d")}, printServiceAnswerTimeLimit());
  std::unique_ptr<QWidget> waiting;
  QTimer moment;
  moment.setSingleShot(true);
  QObject::connect(&moment, &QTimer::timeout, &question, [&] {
    waiting = showPrintingDialog(parent, CLanguageLibrary::LoadString(kStrAskingService));
    onPrintingCancel(waiting.get(), &question, [&question] { question.Cancel(); });
  });
  moment.start(kPrintServiceWaitShown);
  const PrintServiceClient::Outcome answer = question.Run();
  moment.stop();
  waiting.reset();
  if (answer == PrintServiceClient::Done || answer == PrintServiceClient::Failed) {
    lastAnswer = std::chrono::steady_clock::now();
    return true;
  }
  AfxMessageBox(kMsgCommandAbandoned, MB_ICONSTOP);
  return false;
}

}  // namespace tallix
