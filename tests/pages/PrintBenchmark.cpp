// Printing at scale: a program of N lines (3,000 and 20,000; or the sizes
// given as arguments) printed by Print Direct into a PDF from the main
// window, beside the same pages drawn straight into a PDF by the job loop
// alone (no printing dialog, no events, nothing in between).
//
//   print_bench [N ...]
//
// Columns: pages; wall time of Print Direct and of the straight drawing
// (the fastest of three each, taken in turns: waiting only ever adds time)
// and their ratio; the peak memory of one more run of each (RSS high-water
// mark over the level before, after returning free heap to the system);
// the sizes of the two PDFs and their ratio.
//
//   print_bench --commands [ROUNDS]
//
// How long a printing command takes, on the application's printer as the
// print service gives it (none without a service), from the command to
// its dialog: Print to the print dialog, Print Direct to the printing
// dialog (whose Cancel then ends it), Print Setup to the print dialog,
// Print Preview to its return with the preview shown. The first line is
// the process's first command (Print: the printer is made then); then each
// command ROUNDS times (10) in turns, its median and fastest.
#include "app/QXAppMessages.h"
#include "app/QXContentsView.h"
#include "pages/QXPrintView.h"
#include "platform/MessageBox.h"
#include "platform/WinMessages.h"
#include "tests/pages/PageTestSupport.h"
#include "tests/pages/PrintTestSupport.h"
#include "tests/support/BenchmarkSupport.h"
#include "tokens/QXTokenEditorVariants.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A page showing a program: print kind 4, its editor.
class ProgramPageView : public CQXContentsView {
  Q_OBJECT

 public:
  Q_INVOKABLE ProgramPageView() : editor(new CQXProgramTokenEditor) {
    editor->Create(0x50011004, QRect(0, 0, 300, 200), this, 1);
  }
  DECLARE_MESSAGE_MAP()

  LRESULT OnGetViewData(WPARAM, LPARAM lParam) {
    return tallix::test::pageOfKind<QXViewDataControl>(kPrintKindTokens, [this](QXViewDataControl* d) { d->control = editor; })(
        reinterpret_cast<void*>(lParam));
  }
  CQXProgramTokenEditor* editor;
};

const CMessageMap& ProgramPageView::messageMap() {
  static const CMessageMap map = MessageMapOf<ProgramPageView>(CQXContentsView::messageMap())
                                     .registeredMessage(msgQXGetViewData, &ProgramPageView::OnGetViewData);
  return map;
}

namespace {

using namespace tallix::test;

struct Run {
  double ms = 0;
  double peak = 0;
  double size = 0;
  int pages = 0;
  bool ok = true;
};

struct Figures {
  int lines = 0;
  Run direct, straight;
};

// Runs `job` printing into `path` (made anew), timed and, when `memory`,
// with its peak memory.
Run timed(PageWindow& w, const QString& path, bool memory, const std::function<void(QPrinter*, Run*)>& job) {
  Run run;
  QPrinter* printer = w.app.GetPrinter();
  printer->setOutputFileName(path);
  QFile::remove(path);
  const double start = memory ? startPeak() : 0;
  QElapsedTimer timer;
  timer.start();
  job(printer, &run);
  run.ms = double(timer.nsecsElapsed()) / 1e6;
  if (memory) run.peak = peakSince(start);
  run.size = double(QFileInfo(path).size());
  return run;
}

// Print Direct from the main window.
Run printDirect(PageWindow& w, const QString& path, bool memory) {
  Run run = timed(w, path, memory, [&w](QPrinter*, Run*) { w.frame->SendMessage(WM_COMMAND, 57608); });
  QFile file(path);
  run.ok = file.open(QIODevice::ReadOnly);
  run.pages = pdfPageCount(file.readAll());
  return run;
}

// The same job drawn straight by the job loop.
Run drawStraight(PageWindow& w, const QString& path, bool memory) {
  return timed(w, path, memory, [&w](QPrinter* printer, Run* run) {
    std::unique_ptr<CQXPrintView> view(PreparePrintJob(w.frame, CQXPrintView::kModePrint, printer));
    CQXMinimumPrinterMargins margins(printer);
    printer->setDocName(w.frame->windowTitle());
    QPainter painter;
    run->ok = view && painter.begin(printer);
    if (run->ok) run->pages = view->RenderJob(&painter, [printer] { return printer->newPage(); });
    run->ok = painter.end() && run->ok;
  });
}

// Shows a program of `lines` lines in the window, ready to print.
void showProgram(PageWindow& w, int lines) {
  CQXCommandTable& table = w.doc.GetTokenTable();
  for (char c = 'A'; c <= 'Z'; ++c) table.SetCommand(0, BYTE(c), std::string(1, c).c_str(), std::string(1, c).c_str(), "");
  table.SetCommand(0, '\r', "\r", "", "");
  auto* page = w.show<ProgramPageView>();
  QByteArray program;
  for (int i = 0; i < lines; ++i) program += QByteArray("PRINTLINE") + char('A' + i % 26) + '\r';
  page->editor->SetTokens(reinterpret_cast<const BYTE*>(program.constData()), int(program.size()), kTokenFormatBytes);
  CQXMainFrame::SetPrintFunctions({&CanPrintCurrentItem, &PrintCurrentItem});
}

Figures measure(int lines, const QString& dir) {
  Figures f;
  f.lines = lines;
  PageWindow w;
  showProgram(w, lines);
  QPrinter* printer = w.app.GetPrinter();
  printer->setOutputFormat(QPrinter::PdfFormat);
  const QString direct = dir + QStringLiteral("/direct-%1.pdf").arg(lines);
  const QString straight = dir + QStringLiteral("/straight-%1.pdf").arg(lines);
  std::vector<double> directMs, straightMs;
  for (int k = 0; k < 3; ++k) {
    const Run s = drawStraight(w, straight, false), d = printDirect(w, direct, false);
    straightMs.push_back(s.ms);
    directMs.push_back(d.ms);
  }
  f.straight = drawStraight(w, straight, true);
  f.direct = printDirect(w, direct, true);
  f.straight.ms = *std::min_element(straightMs.begin(), straightMs.end());
  f.direct.ms = *std::min_element(directMs.begin(), directMs.end());
  CQXMainFrame::SetPrintFunctions({});
  return f;
}

// Notes when the first dialog shows after `start()`, and ends it: a
// dialog with a Cancel (the printing dialog) by its Cancel, others (the
// print dialog) as Escape would.
class DialogClock : public QObject {
 public:
  DialogClock() { qApp->installEventFilter(this); }
  void start() {
    shownMs = -1;
    clock.start();
  }
  double shownMs = -1;
  QElapsedTimer clock;
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (!dialog || event->type() != QEvent::Show || shownMs >= 0) return false;
    shownMs = double(clock.nsecsElapsed()) / 1e6;
    if (auto* cancel = GetDlgItemAs<QAbstractButton>(dialog, IDCANCEL))
      QMetaObject::invokeMethod(cancel, &QAbstractButton::click, Qt::QueuedConnection);
    else QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
    return false;
  }
};

int timeCommands(int rounds) {
  PageWindow w;
  showProgram(w, 3);
  DialogClock dialogs;
  struct Command {
    const char* name;
    UINT id;
  };
  const std::vector<Command> commands{{"print", 57607}, {"direct", 57608}, {"setup", 57606}, {"preview", 57609}};
  // Timed as it ran; -1 when its dialog or preview did not show.
  const auto time = [&](const Command& c) {
    dialogs.start();
    double ms = -1;
    if (c.id == 57606) {
      w.app.OnFilePrintSetup();
    } else {
      w.frame->SendMessage(WM_COMMAND, c.id);
    }
    if (c.id != 57609) {
      ms = dialogs.shownMs;
    } else if (w.frame->IsInPrintPreview()) {
      ms = double(dialogs.clock.nsecsElapsed()) / 1e6;
      w.frame->OnClose();  // ends the preview only
    }
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ms;
  };
  std::printf("first %-8s %8.1f ms\n", commands[0].name, time(commands[0]));
  std::vector<std::vector<double>> later(commands.size());
  for (int r = 0; r < rounds; ++r)
    for (size_t i = 0; i < commands.size(); ++i) later[i].push_back(time(commands[i]));
  bool ok = true;
  for (size_t i = 0; i < commands.size(); ++i) {
    std::vector<double>& ms = later[i];
    std::sort(ms.begin(), ms.end());
    ok = ok && ms.front() >= 0;
    std::printf("later %-8s %8.1f ms median %8.1f fastest%s\n", commands[i].name, ms[ms.size() / 2], ms.front(),
                ms.front() >= 0 ? "" : "  (FAILED: not shown)");
  }
  CQXMainFrame::SetPrintFunctions({});
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  tallix::test::isolateProcess();
  SetMessageBoxHandler([](const MessageBoxRequest&) { return IDOK; });
  RegisterQXMainFrameClasses();
  if (argc > 1 && std::string(argv[1]) == "--commands") return timeCommands(argc > 2 ? std::max(1, std::atoi(argv[2])) : 10);
  const std::vector<int> sizes = sizesFrom(argc, argv, {3000, 20000});

  QTemporaryDir dir;
  std::printf("%7s %6s | %9s %9s %6s | %9s %9s | %10s %10s %6s\n", "lines", "pages", "direct ms", "straight", "ratio",
              "direct MB", "straight", "direct B", "straight", "ratio");
  std::vector<Figures> all;
  for (int n : sizes) {
    const Figures f = measure(n, dir.path());
    all.push_back(f);
    std::printf("%7d %6d | %9.0f %9.0f %6.2f | %9.1f %9.1f | %10.0f %10.0f %6.2f%s\n", f.lines, f.direct.pages,
                f.direct.ms, f.straight.ms, f.direct.ms / f.straight.ms, f.direct.peak / 1e6, f.straight.peak / 1e6,
                f.direct.size, f.straight.size, f.direct.size / f.straight.size,
                f.direct.ok && f.straight.ok && f.direct.pages == f.straight.pages ? "" : "  (FAILED)");
    std::fflush(stdout);
  }
  // The targets, for the sizes that were run.
  for (const Figures& f : all) {
    const double time = f.direct.ms / f.straight.ms, size = f.direct.size / f.straight.size;
    std::printf("%d lines: time %.2f x straight (target 1.2 or less): %s; PDF size %.2f x (target 1.0 to 1.1): %s\n",
                f.lines, time, verdict(time <= 1.2), size, verdict(size >= 1.0 && size <= 1.1));
  }
  if (all.size() >= 2) {
    const Figures& fewest = *std::min_element(all.begin(), all.end(), [](auto& a, auto& b) { return a.lines < b.lines; });
    const Figures& most = *std::max_element(all.begin(), all.end(), [](auto& a, auto& b) { return a.lines < b.lines; });
    const double growth = (most.direct.peak - fewest.direct.peak) / 1e6;
    std::printf("peak memory from %d to %d pages: %+.1f MB (target within 10 MB): %s\n", fewest.direct.pages,
                most.direct.pages, growth, verdict(growth <= 10.0));
  }
  return 0;
}

#include "PrintBenchmark.moc"
