// The print job, the kind views of grids and descriptions, printing into a
// PDF from the main window and the preview that takes the main window's
// place.
#include "FakePrintService.h"
#include "PageTestSupport.h"
#include "PrintTestSupport.h"
#include "PrintWindow.h"

#include "app/QXApp.h"
#include "datamodel/QXItemFactory.h"
#include "pages/QXDefaultPages.h"
#include "pages/QXDescriptionPage.h"
#include "pages/QXGridCtrl.h"
#include "pages/QXKindPrintViews.h"
#include "pages/QXPrintGridCtrl.h"
#include "pages/QXPrintPreview.h"
#include "pages/QXPrintView.h"
#include "pages/QXViewTable.h"
#include "platform/AtomicFile.h"
#include "platform/CommandLineInfo.h"
#include "platform/DocManager.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"
#include "platform/PrintSystem.h"
#include "platform/WinMessages.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGraphicsView>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <chrono>

namespace tallix::test {
namespace {

// A job of three pages that keeps the body rectangles it was given.
class RecordingView : public CQXPrintView {
 public:
  std::vector<QRect> bodies;
  QRect bands;
  void BeginJob(CDC*, CPrintInfo* info) override {
    bands = info->m_rectDraw;
    info->SetMaxPage(3);
  }
  void PrintBody(CDC* dc, CPrintInfo* info) override { bodies.push_back(GetMarginRect(dc, info)); }
};

TEST(PrintJob, MarginsAreInchesAndBandsComeOffTheBody) {
  for (int dpi : {300, 600}) {
    for (BOOL bands : {FALSE, TRUE}) {
      QImage image = pageImage(dpi);
      RecordingView view;
      view.m_rcMargins = {1440, 1440, 1440, 2880};
      view.m_bPrintHeader = view.m_bPrintFooter = bands;
      view.m_strTitle = "Mat A";
      QPainter painter(&image);
      EXPECT_EQ(view.RenderJob(&painter, [] { return true; }), 3);
      painter.end();
      ASSERT_EQ(view.bodies.size(), 3u);
      const int band = bands ? 2 * view.m_nLineHeight : 0;
      EXPECT_EQ(view.bands.top(), band);
      EXPECT_EQ(view.bands.bottom(), band);
      const QRect body = view.bodies[2];
      EXPECT_EQ(body.left(), dpi) << dpi;
      EXPECT_EQ(body.top(), dpi + band) << dpi;
      EXPECT_EQ(image.width() - 1 - body.right(), dpi) << dpi;
      EXPECT_EQ(image.height() - 1 - body.bottom(), 2 * dpi + band) << dpi;
      // Without header and footer nothing is drawn outside the body.
      EXPECT_EQ(inked(image, image.rect()), bool(bands)) << dpi;
    }
  }
}

TEST(PrintJob, GridRowsKeepClearOfHeaderAndFooter) {
  CQXPrintGridCtrl grid;
  grid.SetRowCount(301);
  grid.SetColumnCount(2);
  grid.SetFixedRowCount(1);
  for (int r = 0; r < 301; ++r) grid.SetItemText(r, 1, "12345");
  QImage image = pageImage(300);
  QPainter painter(&image);
  CDC dc(&painter, true);
  CPrintInfo none, both;
  ASSERT_TRUE(grid.PreparePrintLayout(&dc, &none));
  const int free = grid.GetRowsHeightPerPage();
  both.m_rectDraw = QRect(QPoint(0, 300), QPoint(0, 300));
  ASSERT_TRUE(grid.PreparePrintLayout(&dc, &both));
  EXPECT_NEAR(free - grid.GetRowsHeightPerPage(), 600 / grid.GetVertScale(), 2);
}

// A value right-aligned in a column fitted to it keeps, on paper, the space
// before the cell's right border that the page's grid keeps.
TEST(PrintJob, GridValuesKeepTheirSpaceBeforeTheBorder) {
  CQXGridCtrl grid;
  grid.SetFont(grid.GetFont(), FALSE);
  grid.SetRowCount(2);
  grid.SetColumnCount(1);
  grid.SetFixedRowCount(1);
  grid.SetItemText(1, 0, "1.25-i");
  grid.SetItemFormat(1, 0, DT_RIGHT | DT_SINGLELINE);
  grid.AutoSizeRow(1);
  grid.AutoSizeColumn(0);
  CQXListDataPrintView view;
  view.m_rcMargins = {1440, 1440, 1440, 1440};
  view.m_bPrintHeader = view.m_bPrintFooter = FALSE;
  view.m_sendViewData = pageOfKind<QXViewDataControl>(kPrintKindGrid, [&](QXViewDataControl* d) { d->control = &grid; });
  CPrintInfo info;
  ASSERT_TRUE(view.PrepareJob(&info));
  const std::vector<QImage> pages = renderPages(view, 300);
  const double hs = view.GetGrid()->GetHorzScale(), vs = view.GetGrid()->GetVertScale();
  const int right = 300 + int((grid.GetColumnWidth(0) - 1) * hs);
  const int top = 300 + int(grid.GetRowHeight(0) * vs), bottom = top + int(grid.GetRowHeight(1) * vs);
  // Inside the cell, clear of its lines.
  const QRect text = inkBounds(pages.at(0), QRect(QPoint(303, top + 3), QPoint(right - 3, bottom - 3)));
  ASSERT_FALSE(text.isNull());
  EXPECT_GE(right - text.right(), grid.GetMargin() * hs / 2) << right << " " << text.right();
}

// A text of many lines laid out for 600 dpi pages: each line on one page.
TEST(PrintJob, RichTextLinesAreNeverCutBetweenPages) {
  CQXRTFPrintView view;
  QTextEdit edit;
  QString text;
  for (int i = 0; i < 400; ++i) text += QStringLiteral("Ligne %1 du texte\n").arg(i);
  edit.setPlainText(text);
  view.m_sendViewData = [&](void* p) {
    auto* request = static_cast<QXViewDataRequest*>(p);
    if (request->kind == 0) request->kind = kPrintKindRichText;
    else static_cast<QXViewDataControl*>(request->detail)->control = &edit;
    return TRUE;
  };
  ASSERT_TRUE(view.FetchViewData());
  QImage image = pageImage(600);
  QPainter painter(&image);
  const int pages = view.RenderJob(&painter, [] { return true; });
  painter.end();
  EXPECT_GT(pages, 2);
  const QTextDocument& doc = view.GetDocument();
  EXPECT_EQ(doc.pageCount(), pages);
  const qreal pageHeight = doc.pageSize().height();
  int lines = 0;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    const QPointF at = doc.documentLayout()->blockBoundingRect(block).topLeft();
    for (int i = 0; i < block.layout()->lineCount(); ++i, ++lines) {
      const QRectF line = block.layout()->lineAt(i).rect().translated(at);
      EXPECT_EQ(int(line.top() / pageHeight), int((line.bottom() - 0.01) / pageHeight)) << lines;
    }
  }
  EXPECT_GE(lines, 400);
}

TEST_F(PrintWindow, CommandsFollowThePrintKindOfTheShownPage) {
  w.show<CQXContentsView>();
  EXPECT_EQ(GetPrintViewClass(), nullptr);
  for (UINT id : {57607u, 57608u, 57609u}) EXPECT_FALSE(enabled(id)) << id;
  ASSERT_TRUE(showDescription(3));
  EXPECT_EQ(GetPrintViewClass(), RUNTIME_CLASS(CQXRTFPrintView));
  for (UINT id : {57607u, 57608u, 57609u}) EXPECT_TRUE(enabled(id)) << id;
  EXPECT_EQ(PrintViewClassOfKind(kPrintKindGrid), RUNTIME_CLASS(CQXListDataPrintView));
}

// The command line's document manager: the window's document is the one
// that opens.
class OneDocument : public CDocManager {
 public:
  explicit OneDocument(CDocument* doc) : doc_(doc) {}
  CDocument* OpenDocumentFile(const QString&) override { return doc_; }

 private:
  CDocument* doc_;
};

// Print Direct on the application's printer set to a PDF file, from the
// menu and from the command line (/p, which then closes the window): every
// page, the title and the page number in header and footer.
TEST_F(PrintWindow, PrintDirectWritesEveryPageIntoAPdf) {
  ASSERT_TRUE(showDescription(300));
  QTemporaryDir dir;
  const QString menu = dir.filePath("menu.pdf"), commandLine = dir.filePath("line.pdf");
  QPrinter* printer = w.app.GetPrinter();
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setResolution(300);
  const QPageLayout before = printer->pageLayout();
  // A file already there is replaced and keeps its permissions.
  ASSERT_TRUE(writeFileAtomically(menu, "old bytes"));
  const auto kept = QFile::ReadOwner | QFile::WriteOwner;
  ASSERT_TRUE(QFile::setPermissions(menu, kept));
  printer->setOutputFileName(menu);
  w.frame->SendMessage(WM_COMMAND, 57608);
  EXPECT_TRUE(printer->pageLayout().isEquivalentTo(before));
  EXPECT_EQ(QFile::permissions(menu) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), kept);
  EXPECT_EQ(printer->outputFileName(), menu);

  printer->setOutputFileName(commandLine);
  w.doc.SetModifiedFlag(FALSE);
  w.app.m_pDocManager = std::make_unique<OneDocument>(&w.doc);
  CCommandLineInfo info;
  info.m_nShellCommand = CCommandLineInfo::FilePrint;
  info.m_strFileName = dir.filePath("b.qxd");
  EXPECT_FALSE(w.app.ProcessShellCommand(info));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(w.frame);

  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "a file is left beside";
  for (const QString& path : {menu, commandLine}) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const int pages = pdfPageCount(file.readAll());
    EXPECT_GE(pages, 3);
    if (!havePoppler()) continue;
    EXPECT_TRUE(runTool("pdfinfo", {path}).contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));
    const QString third = runTool("pdftotext", {"-f", "3", "-l", "3", "-layout", path, "-"});
    EXPECT_TRUE(third.contains("Page 3")) << third.toStdString();
    EXPECT_TRUE(third.contains("Mat A"));
    EXPECT_FALSE(third.contains("Page 2"));
  }
}

// Clicks the Cancel button of each window that shows (the printing dialog).
class CancelWhenShown : public QObject {
 public:
  CancelWhenShown() { qApp->installEventFilter(this); }
  int clicks = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* window = qobject_cast<QWidget*>(watched);
    auto* cancel = event->type() == QEvent::Show && window && window->isWindow()
                       ? GetDlgItemAs<QAbstractButton>(window, IDCANCEL) : nullptr;
    if (cancel) {
      ++clicks;
      QMetaObject::invokeMethod(cancel, &QAbstractButton::click, Qt::QueuedConnection);
    }
    return false;
  }
};

// Cancel in the printing dialog prints nothing: a PDF already there keeps
// its bytes and no new one is made.
TEST_F(PrintWindow, CancelWritesNoFile) {
  ASSERT_TRUE(showDescription(300));
  QTemporaryDir dir;
  const QString kept = dir.filePath("kept.pdf"), fresh = dir.filePath("fresh.pdf");
  ASSERT_TRUE(writeFileAtomically(kept, "old bytes"));
  QPrinter* printer = w.app.GetPrinter();
  printer->setOutputFormat(QPrinter::PdfFormat);
  CancelWhenShown cancel;
  for (const QString& path : {kept, fresh}) {
    printer->setOutputFileName(path);
    w.frame->SendMessage(WM_COMMAND, 57608);
  }
  EXPECT_EQ(cancel.clicks, 2);
  QByteArray bytes;
  EXPECT_TRUE(readWholeFile(kept, &bytes));
  EXPECT_EQ(bytes.toStdString(), "old bytes");
  EXPECT_FALSE(QFile::exists(fresh));
}

// While the pages go into the file the window goes on handling its events,
// each time with the printer at work: the pages go out as they are drawn,
// not all at the end.
TEST_F(PrintWindow, PagesGoOutWhileTheWindowHandlesEvents) {
  ASSERT_TRUE(showDescription(300));
  QTemporaryDir dir;
  QPrinter* printer = w.app.GetPrinter();
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(dir.filePath("out.pdf"));
  int whilePrinting = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { whilePrinting += printer->printerState() == QPrinter::Active; });
  timer.start(0);
  w.frame->SendMessage(WM_COMMAND, 57608);
  timer.stop();
  QFile file(dir.filePath("out.pdf"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const int pages = pdfPageCount(file.readAll());
  ASSERT_GE(pages, 3);
  EXPECT_GE(whilePrinting, pages - 1);
}

// Print Direct on a printer of the print service: the job goes to the
// service once and whole, a PDF of every page with the window's title and
// the printer's copies; Cancel in the printing dialog gives it nothing.
TEST_F(PrintWindow, APrinterGetsTheWholeJobOnceOrNothing) {
  ASSERT_TRUE(showDescription(300));
  FakePrintClient lp;
  QPrinter* printer = w.app.GetPrinter();
  printer->setOutputFileName(QString());
  printer->setCopyCount(2);
  w.frame->SendMessage(WM_COMMAND, 57608);
  ASSERT_EQ(lp.jobs(), 1);
  const QStringList args = lp.arguments(1);
  const QString joined = args.join(' ');
  EXPECT_TRUE(joined.contains(QStringLiteral("-t ") + w.frame->windowTitle())) << joined.toStdString();
  EXPECT_TRUE(joined.contains("-n 2")) << joined.toStdString();
  EXPECT_GE(pdfPageCount(lp.pdf(1)), 3);
  EXPECT_FALSE(QFile::exists(args.last())) << "the spooled file is left behind";
  CancelWhenShown cancel;
  w.frame->SendMessage(WM_COMMAND, 57608);
  EXPECT_EQ(cancel.clicks, 1);
  EXPECT_EQ(lp.jobs(), 1);
}

// A printer's job whose client gets no answer from the service: the
// printing dialog stays, its Cancel ends the client and the job is not
// sent; left alone, the handover gives up at its time limit. A client that
// refuses the job has its words in the message.
TEST_F(PrintWindow, AHandoverWithoutAnswerEndsByCancelOrTimeLimit) {
  ASSERT_TRUE(showDescription(300));
  FakePrintClient lp;
  QPrinter* printer = w.app.GetPrinter();
  printer->setOutputFileName(QString());
  MessageLog log;
  int clicks = 0;
  {
    Gate gate(lp.file("gate"), [&] {
      if (QAbstractButton* cancel = printingCancel()) {
        ++clicks;
        QTest::mouseClick(cancel, Qt::LeftButton);
      }
    });
    w.frame->SendMessage(WM_COMMAND, 57608);
  }
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(lp.jobs(), 0);
  EXPECT_FALSE(lp.running());
  ASSERT_EQ(log.texts().size(), 1u);
  EXPECT_EQ(log.texts().back(), QString::fromUtf8("L'impression a été annulée. Le travail n'a pas été envoyé à l'imprimante."));

  // With the shortest time limit, past already when the client waits: its
  // end comes in the next handling of events, before the client is let
  // through.
  const auto limit = setPrintHandoverTimeLimit(std::chrono::milliseconds(0));
  {
    Gate gate(lp.file("gate"), [] { QCoreApplication::processEvents(); });
    w.frame->SendMessage(WM_COMMAND, 57608);
  }
  setPrintHandoverTimeLimit(limit);
  EXPECT_EQ(lp.jobs(), 0);
  EXPECT_FALSE(lp.running());
  ASSERT_EQ(log.texts().size(), 2u);
  EXPECT_TRUE(log.texts().back().startsWith(QString::fromUtf8("Le service d'impression ne répond pas.")));

  ASSERT_TRUE(writeFileContents(lp.file("refuse"), "lp: The printer or class does not exist.\n"));
  w.frame->SendMessage(WM_COMMAND, 57608);
  ASSERT_EQ(log.texts().size(), 3u);
  EXPECT_EQ(log.texts().back(),
            QString::fromUtf8("Le service d'impression a refusé le travail.\nlp: The printer or class does not exist."));
  EXPECT_EQ(lp.jobs(), 0);
}

// Counts the print dialogs that show, and closes each.
class PrintDialogsShown : public QObject {
 public:
  PrintDialogsShown() { qApp->installEventFilter(this); }
  int count = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* dialog = qobject_cast<QAbstractPrintDialog*>(watched);
    if (dialog && event->type() == QEvent::Show) {
      ++count;
      QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
    }
    return false;
  }
};

// Every printing command asks the print service first, the windows handling
// their events meanwhile: the waiting dialog that shows after a moment
// ends the question by its Cancel, and left alone the question ends at its
// time limit; either way the user is told and Qt's printer code, which
// would wait a minute per question with the windows taking no input, is
// never reached (no printer is made, no print dialog shows, no preview).
// Once the service answers, the command goes on.
TEST_F(PrintWindow, APrintServiceWithoutAnswerEndsEachCommandBeforeQtsPrinterCode) {
  ASSERT_TRUE(showDescription(300));
  FakePrintClient lpstat("lpstat");
  MessageLog log;
  PrintDialogsShown dialogs;
  const QString silent = QString::fromUtf8("Le service d'impression ne répond pas. La commande a été abandonnée.");
  const std::vector<std::function<void()>> commands{
      [&] { w.frame->SendMessage(WM_COMMAND, 57607); },  // Print
      [&] { w.frame->SendMessage(WM_COMMAND, 57608); },  // Print Direct, as the command line's /p
      [&] { w.frame->SendMessage(WM_COMMAND, 57609); },  // Print Preview
      [&] { w.app.OnFilePrintSetup(); }};
  int asked = 0, clicks = 0;
  for (const auto& command : commands) {
    {
      Gate gate(lpstat.file("gate"), [&] {
        ++asked;
        // The waiting dialog shows after its moment, the question still on.
        QAbstractButton* cancel = nullptr;
        while (!(cancel = printingCancel()) && lpstat.running())
          QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!cancel) return;
        const auto* label = cancel->window()->findChild<QLabel*>();
        EXPECT_TRUE(label && label->text().startsWith(QString::fromUtf8("Attente de la réponse")));
        EXPECT_EQ(cancel->window()->windowTitle(), CLanguageLibrary::LoadString(AFX_IDS_APP_TITLE));
        ++clicks;
        QTest::mouseClick(cancel, Qt::LeftButton);
      });
      command();
    }
    EXPECT_EQ(clicks, asked);
    EXPECT_FALSE(lpstat.running());
    EXPECT_TRUE(log.texts() == std::vector<QString>(size_t(asked), silent));
  }
  EXPECT_EQ(clicks, 4);

  // Left alone, with the shortest time limit: past already when the client
  // waits, it ends the question in the next handling of events.
  const auto limit = setPrintServiceAnswerTimeLimit(std::chrono::milliseconds(0));
  {
    Gate gate(lpstat.file("gate"), [] { QCoreApplication::processEvents(); });
    w.frame->SendMessage(WM_COMMAND, 57608);
  }
  setPrintServiceAnswerTimeLimit(limit);
  EXPECT_FALSE(lpstat.running());
  ASSERT_EQ(log.texts().size(), 5u);
  EXPECT_EQ(log.texts().back(), silent);

  EXPECT_FALSE(w.app.HasPrinter());
  EXPECT_EQ(dialogs.count, 0);
  EXPECT_FALSE(w.frame->IsInPrintPreview());

  // Answered, the print dialog comes.
  w.frame->SendMessage(WM_COMMAND, 57607);
  EXPECT_EQ(dialogs.count, 1);
  EXPECT_TRUE(w.app.HasPrinter());
  EXPECT_EQ(log.texts().size(), 5u);
}

// An answer of the print service holds for a while: the printing commands
// within it do not ask again, a command after it does, and a question that
// got no answer is asked again by the next command.
TEST_F(PrintWindow, TheServicesAnswerHoldsForAWhile) {
  ASSERT_TRUE(showDescription(3));
  FakePrintClient lpstat("lpstat");
  MessageLog log;
  PrintDialogsShown dialogs;
  const auto asks = [&](const std::function<void()>& command) {
    QFile::remove(lpstat.file("pid"));
    command();
    return QFile::exists(lpstat.file("pid"));
  };
  const auto print = [&] { w.frame->SendMessage(WM_COMMAND, 57607); };
  const auto kept = setPrintServiceAnswerKept(std::chrono::hours(1));
  EXPECT_TRUE(asks(print));
  EXPECT_FALSE(asks(print));
  EXPECT_FALSE(asks([&] { w.app.OnFilePrintSetup(); }));
  EXPECT_FALSE(asks([&] { w.frame->SendMessage(WM_COMMAND, 57609); }));
  ASSERT_TRUE(w.frame->IsInPrintPreview());
  w.frame->OnClose();
  EXPECT_EQ(dialogs.count, 3);
  // Past the while.
  setPrintServiceAnswerKept(std::chrono::milliseconds(0));
  EXPECT_TRUE(asks(print));
  EXPECT_TRUE(asks(print));
  // No answer, the question cancelled from the waiting dialog: told, and
  // asked again within any while.
  EXPECT_TRUE(asks([&] {
    Gate gate(lpstat.file("gate"), [&] {
      QAbstractButton* cancel = nullptr;
      while (!(cancel = printingCancel()) && lpstat.running())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      if (cancel) QTest::mouseClick(cancel, Qt::LeftButton);
    });
    print();
  }));
  EXPECT_EQ(log.texts().size(), 1u);
  setPrintServiceAnswerKept(std::chrono::hours(1));
  EXPECT_TRUE(asks(print));
  EXPECT_FALSE(asks(print));
  EXPECT_EQ(dialogs.count, 7);
  setPrintServiceAnswerKept(kept);
}

// Clicks the printing dialog's Cancel in the first handling of events where
// `ready` holds.
class CancelOnceReady {
 public:
  explicit CancelOnceReady(std::function<bool()> ready) {
    QObject::connect(&timer_, &QTimer::timeout, [this, ready] {
      if (clicks > 0 || !ready()) return;
      if (QAbstractButton* cancel = printingCancel()) {
        ++clicks;
        QTest::mouseClick(cancel, Qt::LeftButton);
      }
    });
    timer_.start(0);
  }
  int clicks = 0;

 private:
  QTimer timer_;
};

// Cancel between pages, once the job's output is there (it is made after
// the first handling of events, so the first page is drawn): a PDF already
// there keeps its bytes and nothing is left beside it, a printer gets
// nothing.
TEST_F(PrintWindow, CancelBetweenPagesKeepsTheFileAndSendsNothing) {
  ASSERT_TRUE(showDescription(300));
  QTemporaryDir dir, spool;
  const QString kept = dir.filePath("kept.pdf");
  ASSERT_TRUE(writeFileAtomically(kept, "old bytes"));
  QPrinter* printer = w.app.GetPrinter();
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(kept);
  const auto beside = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); };
  {
    CancelOnceReady cancel([&] { return beside().size() > 1; });
    w.frame->SendMessage(WM_COMMAND, 57608);
    EXPECT_EQ(cancel.clicks, 1);
  }
  QByteArray bytes;
  EXPECT_TRUE(readWholeFile(kept, &bytes));
  EXPECT_TRUE(bytes == "old bytes") << "replaced by " << bytes.size() << " bytes";
  EXPECT_EQ(beside().join(" ").toStdString(), "kept.pdf");

  // The printer's job is spooled in the temporary folder.
  FakePrintClient lp;
  const bool hadTemporary = qEnvironmentVariableIsSet("TMPDIR");
  const QByteArray temporary = qgetenv("TMPDIR");
  qputenv("TMPDIR", QFile::encodeName(spool.path()));
  printer->setOutputFileName(QString());
  {
    CancelOnceReady cancel([&] {
      return QDirIterator(spool.path(), {"job.pdf"}, QDir::Files, QDirIterator::Subdirectories).hasNext();
    });
    w.frame->SendMessage(WM_COMMAND, 57608);
    EXPECT_EQ(cancel.clicks, 1);
  }
  if (hadTemporary) qputenv("TMPDIR", temporary);
  else qunsetenv("TMPDIR");
  EXPECT_EQ(lp.jobs(), 0);
  EXPECT_TRUE(QDir(spool.path()).isEmpty());
}

// A 300-row list printed into a PDF and drawn again by another program: no
// row runs into the band between the body and the footer's rule, and the
// right-aligned title and the page number keep off the paper's edge.
TEST(PrintJob, ListRowsStayAboveTheFooterInThePdf) {
  if (!havePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  CQXGridCtrl grid;
  grid.SetRowCount(301);
  grid.SetColumnCount(2);
  grid.SetFixedRowCount(1);
  for (int r = 1; r < 301; ++r) grid.SetItemText(r, 1, QByteArray::number(r * 3).constData());
  CQXListDataPrintView view;
  view.m_rcMargins = {1440, 1440, 1440, 720};
  view.m_strTitle = "Fonctions graphiques";
  view.m_sendViewData = pageOfKind<QXViewDataControl>(kPrintKindGrid, [&](QXViewDataControl* d) { d->control = &grid; });
  CPrintInfo info;
  ASSERT_TRUE(view.PrepareJob(&info));
  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath("list.pdf"));
  printer.setResolution(300);
  int pages = 0;
  {
    CQXMinimumPrinterMargins margins(&printer);
    QPainter painter(&printer);
    pages = view.RenderJob(&painter, [&] { return printer.newPage(); });
  }
  ASSERT_GE(pages, 2);
  runTool("pdftoppm", {"-r", "100", "-png", dir.filePath("list.pdf"), dir.filePath("page")});
  const double line = view.m_nLineHeight / 3.0;
  const int border = 25;  // a quarter of an inch at 100 dpi
  for (int n = 1; n <= pages; ++n) {
    QImage page(dir.filePath(QStringLiteral("page-%1.png").arg(n)));
    if (page.isNull()) page.load(dir.filePath(QStringLiteral("page-%1.png").arg(n, 2, 10, QChar('0'))));
    ASSERT_FALSE(page.isNull()) << n;
    page = page.convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(page.rect().adjusted(border - 1, border - 1, 1 - border, 1 - border).contains(inkBounds(page, page.rect())));
    const int bottom = page.height() - border - 50 - int(2 * line);
    const int rule = page.height() - border - int(line + line / 4);
    EXPECT_FALSE(inked(page, QRect(QPoint(0, bottom + 2), QPoint(page.width() - 1, rule - 4)))) << n;
    if (n < pages) {
      EXPECT_TRUE(inked(page, QRect(QPoint(100, bottom - int(3 * line)), QPoint(page.width() - 101, bottom))));
    }
  }
}

TEST_F(PrintWindow, PreviewTakesThePanesPlaceUntilClosed) {
  ASSERT_TRUE(showDescription(300));
  CView* active = w.frame->GetActiveView();
  w.frame->SendMessage(WM_COMMAND, 57609);
  CQXPrintPreviewWnd* preview = CQXPrintPreviewWnd::Of(w.frame);
  ASSERT_TRUE(preview);
  EXPECT_TRUE(w.frame->IsInPrintPreview());
  EXPECT_TRUE(w.frame->GetSplitter()->isHidden());
  EXPECT_TRUE(w.frame->GetMenuBar()->isHidden());
  EXPECT_FALSE(enabled(57607));
  preview->GetPreviewWidget()->updatePreview();
  QCoreApplication::processEvents();
  EXPECT_GE(preview->GetPageCount(), 3);
  PageWindow::lookAt();
  EXPECT_EQ(preview->GetPreviewWidget()->currentPage(), 1);
  preview->SendMessage(WM_COMMAND, CQXPrintPreviewWnd::kCmdNextPage);
  preview->SendMessage(WM_COMMAND, CQXPrintPreviewWnd::kCmdNextPage);
  EXPECT_EQ(preview->GetPreviewWidget()->currentPage(), 3);
  preview->SendMessage(WM_COMMAND, CQXPrintPreviewWnd::kCmdPrevPage);
  EXPECT_EQ(preview->GetPreviewWidget()->currentPage(), 2);
  // The close box ends the preview, not the window.
  w.frame->OnClose();
  EXPECT_FALSE(w.frame->IsInPrintPreview());
  ASSERT_TRUE(w.frame);
  EXPECT_FALSE(w.frame->GetSplitter()->isHidden());
  EXPECT_FALSE(w.frame->GetMenuBar()->isHidden());
  EXPECT_EQ(w.frame->GetActiveView(), active);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(CQXPrintPreviewWnd::Of(w.frame), nullptr);
  // The bar's Close does the same.
  w.frame->SendMessage(WM_COMMAND, 57609);
  ASSERT_TRUE(CQXPrintPreviewWnd::Of(w.frame));
  CQXPrintPreviewWnd::Of(w.frame)->SendMessage(WM_COMMAND, CQXPrintPreviewWnd::kCmdClose);
  EXPECT_FALSE(w.frame->IsInPrintPreview());
}

// The bar's Next and Previous are enabled only where there is a page to go
// to: neither on one page; on several, Next up to the last page and
// Previous from the second, however the page was reached.
TEST_F(PrintWindow, PreviewTurnsPagesOnlyWhereThereIsOne) {
  CQXDescriptionEdit* edit = showDescription(3);
  ASSERT_TRUE(edit);
  for (int lines : {3, 300}) {
    edit->setPlainText(QString(QStringLiteral("Ligne\n")).repeated(lines));
    w.frame->SendMessage(WM_COMMAND, 57609);
    CQXPrintPreviewWnd* preview = CQXPrintPreviewWnd::Of(w.frame);
    ASSERT_TRUE(preview);
    preview->GetPreviewWidget()->updatePreview();
    QCoreApplication::processEvents();
    auto* next = GetDlgItemAs<QAbstractButton>(preview->GetBar(), CQXPrintPreviewWnd::kCmdNextPage);
    auto* previous = GetDlgItemAs<QAbstractButton>(preview->GetBar(), CQXPrintPreviewWnd::kCmdPrevPage);
    ASSERT_TRUE(next && previous);
    const int pages = preview->GetPageCount();
    EXPECT_EQ(pages > 1, lines > 3) << pages;
    EXPECT_EQ(next->isEnabled(), pages > 1) << lines;
    EXPECT_FALSE(previous->isEnabled()) << lines;
    if (pages > 1) {
      QTest::mouseClick(next, Qt::LeftButton);
      EXPECT_TRUE(next->isEnabled() && previous->isEnabled());
      preview->GetPreviewWidget()->setCurrentPage(pages);
      QCoreApplication::processEvents();
      EXPECT_FALSE(next->isEnabled());
      EXPECT_TRUE(previous->isEnabled());
      QTest::keyClick(preview->GetPreviewWidget(), Qt::Key_PageUp);
      EXPECT_EQ(preview->GetPreviewWidget()->currentPage(), pages - 1);
      EXPECT_TRUE(next->isEnabled());
    }
    preview->SendMessage(WM_COMMAND, CQXPrintPreviewWnd::kCmdClose);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// The print dialog's double-sided choice speaks French like the rest of it.
TEST_F(PrintWindow, ThePrintDialogsOptionsSpeakFrench) {
  QPrintDialog dialog(w.app.GetPrinter(), w.frame);
  QStringList texts;
  for (const QGroupBox* group : dialog.findChildren<QGroupBox*>()) texts << group->title();
  for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) texts << button->text();
  for (const char* french : {"Impression recto-verso", "Désactivée", "Reliure côté long", "Reliure côté court"})
    EXPECT_TRUE(texts.contains(QString::fromUtf8(french))) << french;
  for (const char* english : {"Double Sided Printing", "Off", "Long side binding", "Short side binding"})
    EXPECT_FALSE(texts.contains(QLatin1String(english))) << english;
}

// Zoomed in and scrolled to either end of the page, the preview's bar shows
// its thumb, the darker part, at that end.
TEST_F(PrintWindow, ThePreviewsThumbSitsAtTheEndShown) {
  ASSERT_TRUE(showDescription(3));
  w.frame->SendMessage(WM_COMMAND, 57609);
  CQXPrintPreviewWnd* preview = CQXPrintPreviewWnd::Of(w.frame);
  ASSERT_TRUE(preview);
  preview->GetPreviewWidget()->updatePreview();
  for (int i = 0; i < 3; ++i) preview->SendMessage(WM_COMMAND, CQXPrintPreviewWnd::kCmdZoomIn);
  QCoreApplication::processEvents();
  QScrollBar* bar = preview->GetPreviewWidget()->findChild<QGraphicsView*>()->verticalScrollBar();
  ASSERT_TRUE(bar->isVisible());
  // The mean lightness down the bar's middle, from `from` to `to` of its
  // height.
  const auto lightness = [bar](double from, double to) {
    const QImage image = bar->grab().toImage();
    int sum = 0;
    for (int y = int(from * image.height()); y < int(to * image.height()); ++y)
      sum += QColor(image.pixel(image.width() / 2, y)).lightness();
    return sum;
  };
  for (bool atBottom : {false, true}) {
    bar->setValue(atBottom ? bar->maximum() : bar->minimum());
    const int top = lightness(0.1, 0.3), bottom = lightness(0.7, 0.9);
    EXPECT_EQ(bottom < top, atBottom) << top << " " << bottom;
  }
  preview->SendMessage(WM_COMMAND, CQXPrintPreviewWnd::kCmdClose);
}

}  // namespace
}  // namespace tallix::test
