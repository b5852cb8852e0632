// The application object's start-up and exit: the language library, the
// stored page margins, page setup, the unregister run, dropped files, the
// first start's question for a calculator, and the built program itself.
#include "app/AppServices.h"
#include "app/InstanceProbe.h"
#include "app/MenuPopups.h"
#include "app/PageSetup.h"
#include "app/QXApp.h"
#include "app/QXCalculatorDialog.h"
#include "app/QXMainFrame.h"
#include "classlib/ProfileSettings.h"
#include "classlib/ProgramVersion.h"
#include "platform/CommandLineInfo.h"
#include "platform/FrameWnd.h"
#include "platform/ImageList.h"
#include "platform/FileDialog.h"
#include "platform/LanguageLibrary.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/PrintSystem.h"
#include "platform/Profile.h"
#include "tests/support/FifoWatch.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMimeData>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

#include <array>
#include <chrono>
#include <functional>
#include <tuple>

using tallix::test::MessageLog;
using tallix::test::TestEnvironment;

namespace {

std::vector<BYTE> storedMargins() {
  std::vector<BYTE> bytes;
  tallix::profileBinary("Settings", "Page Margin", &bytes);
  return bytes;
}

const std::vector<BYTE> kCustomMargins = {0x10, 0, 0, 0, 0x20, 0, 0, 0, 0x30, 0, 0, 0, 0x40, 0, 0, 0};

struct LanguageGuard {
  explicit LanguageGuard(WORD language) { SetProgramTranslationLanguage(language); }
  ~LanguageGuard() { SetProgramTranslationLanguage(0); }
};

// Start-up ends at the language library: the program's own message, no
// window, and the stored margins stay as they were.
TEST(AppStartup, MissingLanguageLibraryEndsTheStartWithTheProgramsOwnMessage) {
  TestEnvironment env;
  AppWriteProfileBinary("Settings", "Page Margin", kCustomMargins.data(), 16);
  for (const auto& [language, setting, expected] :
       {std::tuple<WORD, const char*, const char*>{0, "absent.lng", "absent.lng"},
        {0x0409, "absent.lng", "QXL0001.LNG"},
        {0, "", "QXLWIN32.LNG"},
        {0, "../../etc/QXLWIN32.LNG", "QXLWIN32.LNG"}}) {
    LanguageGuard guard(language);
    AppWriteProfileString("Settings", "Language DLL", setting);
    MessageLog log;
    CQXApp app;
    EXPECT_EQ(AfxWinMain(), 0);
    ASSERT_EQ(log.shown.size(), 1u);
    EXPECT_EQ(log.shown[0].text, QStringLiteral("Could not load language DLL: %1").arg(QLatin1String(expected)));
    EXPECT_EQ(log.shown[0].caption, QStringLiteral("TALLIX"));
    EXPECT_EQ(log.shown[0].type, UINT(MB_OK | MB_ICONSTOP));
    EXPECT_FALSE(app.m_pMainWnd);
    EXPECT_FALSE(CLanguageLibrary::IsLoaded());
    EXPECT_EQ(storedMargins(), kCustomMargins);
  }
}

TEST(AppStartup, LanguageLibraryComesFromBelowTheProgramDirectory) {
  TestEnvironment env;
  QDir(env.programDir()).mkpath(QStringLiteral("fr"));
  ASSERT_TRUE(QFile::copy(QDir(TestEnvironment::builtProgramDir()).filePath(QStringLiteral("QXLWIN32.LNG")),
                          env.programFile(QStringLiteral("fr/francais.lng"))));
  // An absolute path is read as a path below the program directory.
  for (const char* setting : {"fr/francais.lng", "/fr/francais.lng", "fr\\francais.lng"}) {
    AppWriteProfileString("Settings", "Language DLL", setting);
    {
      CQXApp app;
      QString name;
      EXPECT_TRUE(app.LoadLanguageLibrary(&name)) << setting;
      EXPECT_EQ(name, QStringLiteral("francais.lng"));
      EXPECT_TRUE(CLanguageLibrary::IsLoaded());
    }
    // The application object frees its library.
    EXPECT_FALSE(CLanguageLibrary::IsLoaded());
  }
}

QStringList buttonTexts(const QWidget* w) {
  QStringList texts;
  if (const auto* box = w ? w->findChild<QDialogButtonBox*>() : nullptr)
    for (const QAbstractButton* b : box->buttons()) texts << b->text();
  texts.sort();  // the order is the style's
  return texts;
}

// Qt's own dialogs speak the language library's language on a system whose
// locale is C, and Qt's own again once the library is gone.
TEST(AppStartup, QtsDialogsSpeakTheLanguageOfTheLibrary) {
  TestEnvironment env;
  env.copyFromBuild(QStringLiteral("QXLWIN32.LNG"));
  const QLocale system;
  QLocale::setDefault(QLocale::c());
  const MessageBoxHandler messages = SetMessageBoxHandler(nullptr);
  QStringList saveButtons, questionButtons, englishButtons;
  {
    CQXApp app;
    ASSERT_TRUE(app.LoadLanguageLibrary(nullptr));
    CFileDialog save(FALSE);
    ASSERT_TRUE(save.Create());
    saveButtons = buttonTexts(save.GetDialog());
    QTimer::singleShot(0, [&] {
      QWidget* box = QApplication::activeModalWidget();
      questionButtons = buttonTexts(box);
      if (box) box->close();
    });
    AfxMessageBox(QStringLiteral("?"), MB_YESNOCANCEL | MB_ICONQUESTION);
  }
  CFileDialog english(FALSE);
  ASSERT_TRUE(english.Create());
  englishButtons = buttonTexts(english.GetDialog());
  SetMessageBoxHandler(messages);
  QLocale::setDefault(system);
  EXPECT_EQ(saveButtons, QStringList({QStringLiteral("&Enregistrer"), QStringLiteral("Annuler")}));
  EXPECT_EQ(questionButtons, QStringList({QStringLiteral("&Non"), QStringLiteral("&Oui"), QStringLiteral("Annuler")}));
  EXPECT_EQ(englishButtons, QStringList({QStringLiteral("&Save"), QStringLiteral("Cancel")}));
}

// A grid or token editor class the form loader refuses ends the start-up.
class RefusingApp : public CQXApp {
 protected:
  BOOL RegisterTokenEditorWindowClass() override { return FALSE; }
};

TEST(AppStartup, RefusedWindowClassEndsTheStartAndKeepsTheMargins) {
  TestEnvironment env;
  env.copyFromBuild(QStringLiteral("QXLWIN32.LNG"));
  AppWriteProfileBinary("Settings", "Page Margin", kCustomMargins.data(), 16);
  MessageLog log;
  RefusingApp app;
  EXPECT_EQ(AfxWinMain(), 0);
  EXPECT_EQ(log.texts(), std::vector<QString>{CLanguageLibrary::LoadString(61706) +
                                              QStringLiteral("\n (Register Class: token editor)")});
  EXPECT_EQ(storedMargins(), kCustomMargins);
}

// -UNREGISTER /Embedding: everything the program registered goes, without a
// message, and nothing is written back into the removed profile.
TEST(AppStartup, UnregisterRunRemovesTheProfileSilently) {
  TestEnvironment env;
  env.copyFromBuild(QStringLiteral("QXLWIN32.LNG"));
  AppWriteProfileBinary("Settings", "Page Margin", kCustomMargins.data(), 16);
  const QString profileFile = tallix::openProfile().fileName();
  ASSERT_TRUE(QFile::exists(profileFile));
  MessageLog log;
  {
    CQXApp app;
    app.SetArguments({QStringLiteral("QXLWIN32"), QStringLiteral("-UNREGISTER"), QStringLiteral("/Embedding")});
    EXPECT_EQ(AfxWinMain(), 0);
    EXPECT_TRUE(app.IsUnregisterRun());
  }
  EXPECT_TRUE(log.shown.empty());
  EXPECT_FALSE(QFile::exists(profileFile));
  EXPECT_FALSE(QFileInfo::exists(QFileInfo(profileFile).absolutePath()));
  // Without the embedding switch the user is told.
  {
    CQXApp app;
    app.SetArguments({QStringLiteral("QXLWIN32"), QStringLiteral("/unregister")});
    AfxWinMain();
  }
  EXPECT_EQ(log.texts(),
            std::vector<QString>{QStringLiteral("Les types de fichiers et les réglages de TALLIX ont été supprimés.")});
}

TEST(AppStartup, PageMarginsConvertBothWays) {
  TestEnvironment env;
  EXPECT_EQ(PageSetupUnitFactor(QLocale(QLocale::French, QLocale::France)), 2540);
  EXPECT_EQ(PageSetupUnitFactor(QLocale(QLocale::English, QLocale::UnitedStates)), 1000);
  const RECT metric = MarginsToDialogUnits(kDefaultPageMargins, 2540);
  EXPECT_EQ((std::array{metric.left, metric.top, metric.right, metric.bottom}), (std::array<LONG, 4>{3180, 2540, 3180, 2540}));
  const RECT us = MarginsToDialogUnits(kDefaultPageMargins, 1000);
  EXPECT_EQ((std::array{us.left, us.top, us.right, us.bottom}), (std::array<LONG, 4>{1250, 1000, 1250, 1000}));
  const RECT back = MarginsFromDialogUnits({3180, 2540, 3184, -3175}, 2540);
  EXPECT_EQ((std::array{back.left, back.top, back.right, back.bottom}), (std::array<LONG, 4>{1803, 1440, 1803, -1803}));
}

TEST(AppStartup, PageSetupShowsTheMarginsAndCancelKeepsEverything) {
  TestEnvironment env;
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  CQXApp app;
  app.LoadPageSettings();
  QPrinter* printer = app.GetPrinter();
  printer->setPageOrientation(QPageLayout::Portrait);
  QMarginsF shown;
  bool accept = false;
  const auto previous = SetPageSetupDialogRunner([&](QPrinter* p, QWidget*) {
    shown = p->pageLayout().margins(QPageLayout::Millimeter);
    p->setPageOrientation(QPageLayout::Landscape);
    return accept;
  });
  app.OnFilePageSetup();
  EXPECT_NEAR(shown.left(), 31.8, 1e-9);
  EXPECT_NEAR(shown.top(), 25.4, 1e-9);
  EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Portrait);
  EXPECT_EQ(app.m_rcPageMargin.left, 1800);
  accept = true;
  app.OnFilePageSetup();
  EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
  EXPECT_EQ((std::array{app.m_rcPageMargin.left, app.m_rcPageMargin.top, app.m_rcPageMargin.right,
                        app.m_rcPageMargin.bottom}),
            (std::array<LONG, 4>{1803, 1440, 1803, 1440}));
  // Written at exit, read back the next time.
  app.ExitInstance();
  CQXApp next;
  next.LoadPageSettings();
  EXPECT_EQ(next.m_rcPageMargin.left, 1803);
  SetPageSetupDialogRunner(previous);
  QLocale::setDefault(QLocale::system());
}

// A printer named on the command line (/pt) is made by the command that
// prints, not at start-up, and page setup asks the print service first:
// with a service that does not answer, no printer is made (Qt's printer
// code would wait a minute per question), no dialog shows and the user is
// told; once it answers, the page setup comes.
TEST(AppStartup, ThePrinterWaitsForThePrintServiceToAnswer) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  CQXApp app;
  app.LoadPageSettings();
  int shown = 0;
  const auto previous = SetPageSetupDialogRunner([&](QPrinter*, QWidget*) { return ++shown, false; });
  MessageLog log;
  {
    const tallix::test::ScopedProgramOnPath lpstat(QStringLiteral("lpstat"), "#!/bin/sh\nexec sleep 60\n");
    // The shortest time limit ends the question in the first handling of
    // events.
    const auto limit = tallix::setPrintServiceAnswerTimeLimit(std::chrono::milliseconds(0));
    CCommandLineInfo line;
    line.m_nShellCommand = CCommandLineInfo::FilePrintTo;
    line.m_strFileName = QStringLiteral("none.qxd");
    line.m_strPrinterName = QStringLiteral("testq");
    app.ProcessShellCommandEx(line);
    EXPECT_FALSE(app.HasPrinter());
    app.OnFilePageSetup();
    tallix::setPrintServiceAnswerTimeLimit(limit);
  }
  EXPECT_FALSE(app.HasPrinter());
  EXPECT_EQ(shown, 0);
  ASSERT_EQ(log.texts().size(), 1u);
  EXPECT_EQ(log.texts().back(),
            QString::fromUtf8("Le service d'impression ne répond pas. La commande a été abandonnée."));
  {
    const tallix::test::ScopedProgramOnPath lpstat(QStringLiteral("lpstat"), "#!/bin/sh\n");
    app.OnFilePageSetup();
  }
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(app.HasPrinter());
  EXPECT_EQ(log.texts().size(), 1u);
  SetPageSetupDialogRunner(previous);
}

class OpeningApp : public CWinApp {
 public:
  QStringList opened;
  CDocument* OpenDocumentFile(const QString& path) override {
    opened << path;
    return nullptr;
  }
};

TEST(AppStartup, DroppedLocalFilesOpenButShortcutsAreLeftToTheDropTarget) {
  TestEnvironment env;
  OpeningApp app;
  CFrameWnd frame;
  frame.DragAcceptFiles(TRUE);
  const QString document = env.dataFile(QStringLiteral("a.qxd"));
  const QString shortcut = env.dataFile(QStringLiteral("site.url"));
  tallix::test::writeFileContents(document, "x");
  tallix::test::writeFileContents(shortcut, "[InternetShortcut]\r\nURL=http://example.org/\r\n");
  const auto drop = [&frame](const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &enter);
    QDropEvent dropEvent(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &dropEvent);
    QCoreApplication::processEvents();
    return enter.isAccepted();
  };
  EXPECT_TRUE(drop(document));
  EXPECT_FALSE(drop(shortcut));
  EXPECT_EQ(app.opened, QStringList{QFileInfo(document).absoluteFilePath()});
}

TEST(AppStartup, ImageListsHoldTheSixPicturesAtBothSizes) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  EXPECT_EQ(BuildAppImageLists(), 6);
  EXPECT_EQ(GetAppImageList(TRUE)->GetImageSize(), QSize(16, 16));
  EXPECT_EQ(GetAppImageList(FALSE)->GetImageSize(), QSize(32, 32));
  QString dir, name;
  EXPECT_TRUE(SplitFilePath(QStringLiteral("/a/b/c.qxd"), &dir, &name));
  EXPECT_EQ(dir + QLatin1Char('|') + name, QStringLiteral("/a/b|c.qxd"));
  EXPECT_FALSE(SplitFilePath(QStringLiteral("c.qxd"), &dir, &name));
}

}  // namespace

namespace {

// The built program, run in private home folders.
struct ProgramRun {
  QTemporaryDir home;
  QProcess process;
  ProgramRun() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    // The runtime folder stays the test binary's, where its probe looks.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
  }
  ~ProgramRun() {
    if (process.state() != QProcess::NotRunning) {
      process.kill();
      process.waitForFinished(5000);
    }
  }
};

TEST(Program, UnregisterEmbeddedEndsAtOnceWithoutAWord) {
  ProgramRun run;
  run.process.start(QStringLiteral(TALLIX_PROGRAM), {QStringLiteral("/unregister"), QStringLiteral("/embedding")});
  ASSERT_TRUE(run.process.waitForFinished(20000));
  EXPECT_EQ(run.process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(run.process.exitCode(), 0);
  EXPECT_FALSE(QFileInfo::exists(run.home.filePath(QStringLiteral("config/Brindlewood"))));
}

// Started offscreen, the program stays up with its window and answers
// another instance's question (a socket nobody answers would be removed).
TEST(Program, StaysUpAndAnswersTheInstanceProbe) {
  ProgramRun run;
  run.process.start(QStringLiteral(TALLIX_PROGRAM), {});
  ASSERT_TRUE(run.process.waitForStarted(10000));
  const QString socket = QDir(InstanceFolder()).filePath(QStringLiteral("orvoQXFrameClass.%1").arg(run.process.processId()));
  QElapsedTimer clock;
  clock.start();
  while (!QFileInfo::exists(socket) && clock.elapsed() < 20000 && run.process.state() == QProcess::Running)
    QThread::msleep(20);
  ASSERT_TRUE(QFileInfo::exists(socket)) << run.process.readAllStandardError().toStdString();
  // An answer ("not my file") comes back before the probe's one-second
  // time-out. A program that never answered would time out on every try; a
  // busy machine may delay an answer past it now and then, so the probe is
  // asked again until one comes back in time.
  char title[260] = "";
  bool answered = false;
  clock.restart();
  while (!answered && clock.elapsed() < 30000 && run.process.state() == QProcess::Running) {
    QElapsedTimer probe;
    probe.start();
    EXPECT_FALSE(FindInstanceWithFile(QStringLiteral("/nowhere/a.qxd"), title, sizeof title));
    answered = probe.elapsed() < 1000;
  }
  EXPECT_TRUE(answered);
  EXPECT_TRUE(QFileInfo::exists(socket));
  EXPECT_EQ(run.process.state(), QProcess::Running);
}

}  // namespace

namespace {

// Records the commands that reach the application object.
class RecordingApp : public CQXApp {
 public:
  std::vector<UINT> commands;
  BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override {
    if (code == CN_COMMAND && !info) commands.push_back(id);
    return CQXApp::OnCmdMsg(id, code, extra, info);
  }
};

// Runs the events of `ms` milliseconds, or until `done` holds; a calculator
// chooser that shows meanwhile is answered with `answer` (once `ready`
// holds, asked inside the chooser's own loop) and counted.
int answerChoosers(int answer, int ms = 300, const std::function<bool()>& done = {},
                   const std::function<bool()>& ready = {}) {
  int seen = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* chooser = qobject_cast<CQXCalculatorDialog*>(QApplication::activeModalWidget());
    if (chooser && (!ready || ready())) {
      ++seen;
      chooser->EndDialog(answer);
    }
  });
  poll.start(10);
  QElapsedTimer clock;
  clock.start();
  while (done ? !done() && clock.elapsed() < 30000 : clock.elapsed() < ms)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return seen;
}

// The program directory of the build in a private world; each test starts
// its own application object and ends it as the loop's end would.
class AppRun : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"QXLWIN32.LNG", "QXGraph.lst", "QXL2.fon", "QXL2.ttf"})
      ASSERT_TRUE(env.copyFromBuild(QLatin1String(name))) << name;
  }
  static void end(CQXApp& app) {
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.ExitInstance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  TestEnvironment env;
  MessageLog log;
};

// SIGTERM (as at logout) ends the run as the close of the last window does,
// without a question: the chooser open at the time is cancelled, the changed
// untitled document is dropped with its scratch store, and Run ends with 0.
TEST_F(AppRun, SigtermEndsTheRunWithoutAQuestionAndLeavesNoScratchStore) {
  QTemporaryDir scratch;
  const QDir folder(scratch.path());
  const QByteArray temporaryFolder = qgetenv("TMPDIR");
  qputenv("TMPDIR", QFile::encodeName(scratch.path()));
  bool sent = false;
  {
    CQXApp app;
    app.SetArguments({QStringLiteral("QXLWIN32")});
    ASSERT_TRUE(app.InitInstance());
    auto* frame = qobject_cast<CQXMainFrame*>(app.m_pMainWnd.data());
    ASSERT_TRUE(frame && frame->GetActiveDocument());
    frame->GetActiveDocument()->SetModifiedFlag();
    EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden).size(), 1);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (!sent && qobject_cast<CQXCalculatorDialog*>(QApplication::activeModalWidget())) {
        sent = true;
        ::kill(::getpid(), SIGTERM);
      }
    });
    poll.start(10);
    EXPECT_EQ(app.Run(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(app.m_pMainWnd);
  }
  qputenv("TMPDIR", temporaryFolder);
  EXPECT_TRUE(sent);
  EXPECT_TRUE(log.shown.empty());
  EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden), QStringList());
}

// The first start: the window shows, then the chooser asks for a calculator;
// Cancel leaves the first document as it is.
TEST_F(AppRun, FirstStartShowsTheWindowThenAsksForACalculator) {
  RecordingApp app;
  app.SetArguments({QStringLiteral("QXLWIN32")});
  ASSERT_TRUE(app.InitInstance());
  auto* frame = qobject_cast<CQXMainFrame*>(app.m_pMainWnd.data());
  ASSERT_TRUE(frame);
  EXPECT_TRUE(frame->isVisible());
  EXPECT_TRUE(frame->GetTreeView());
  CDocument* document = frame->GetActiveDocument();
  ASSERT_TRUE(document);
  // The command line's File New made the document; 57610 comes after.
  EXPECT_EQ(app.commands, std::vector<UINT>{ID_FILE_NEW});
  EXPECT_EQ(answerChoosers(IDCANCEL), 1);
  EXPECT_EQ(app.commands, (std::vector<UINT>{ID_FILE_NEW, ID_FILE_NEW_CALCULATOR}));
  EXPECT_EQ(frame->GetActiveDocument(), document);
  EXPECT_TRUE(log.shown.empty());
  EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("QXL2 TT")));
  EXPECT_EQ(GetAppImageList(TRUE)->GetImageCount(), 6);
  end(app);
  EXPECT_FALSE(QFontDatabase::families().contains(QStringLiteral("QXL2 TT")));
  EXPECT_EQ(storedMargins().size(), 16u);
}

TEST_F(AppRun, WithADefaultCalculatorNothingIsAsked) {
  AppWriteProfileString("Settings", "Default Calculator", "CFX-9850G");
  RecordingApp app;
  app.SetArguments({QStringLiteral("QXLWIN32")});
  ASSERT_TRUE(app.InitInstance());
  EXPECT_EQ(answerChoosers(IDCANCEL), 0);
  EXPECT_EQ(app.commands, std::vector<UINT>{ID_FILE_NEW});
  end(app);
}

// "Settings"/"Menu File" without a folder names a file of the data folder.
TEST_F(AppRun, TheMenuFileOfTheDataFolderAddsItsPopups) {
  AppWriteProfileString("Settings", "Default Calculator", "CFX-9850G");
  AppWriteProfileString("Settings", "Menu File", "mine.ini");
  ASSERT_TRUE(tallix::test::writeFileContents(env.dataFile(QStringLiteral("mine.ini")),
                                "[Menus]\nM\n[M]\nCaption=&Liens\nPosition=600\nMenu Items=I\n[I]\nSite=15000\n"));
  CQXApp app;
  app.SetArguments({QStringLiteral("QXLWIN32")});
  ASSERT_TRUE(app.InitInstance());
  CMenu* popup = GetMenuPopupByKey(1000);
  ASSERT_TRUE(popup);
  EXPECT_EQ(popup->GetSafeHmenu()->title(), QStringLiteral("&Liens"));
  EXPECT_EQ(GetMenuPopupByPosition(5), popup);
  end(app);
}

// A file opened from the command line is not replaced: no chooser.
class OpeningRecordingApp : public RecordingApp {
 public:
  CDocument* OpenDocumentFile(const QString&) override {
    OnFileNew();
    return m_pMainWnd ? static_cast<CFrameWnd*>(m_pMainWnd.data())->GetActiveDocument() : nullptr;
  }
};

// A FIFO named as the document is a file that cannot be opened, like a
// missing one: the program's message, and the start ends. It is never opened
// (the open would wait for a writer for ever).
TEST_F(AppRun, AFifoFromTheCommandLineGetsTheOpenFailureAtOnce) {
  AppWriteProfileString("Settings", "Default Calculator", "CFX-9850G");
  tallix::test::FifoWatch fifo(env.dataFile(QStringLiteral("x.qxd")));
  ASSERT_TRUE(fifo.made());
  CQXApp app;
  app.SetArguments({QStringLiteral("QXLWIN32"), QString::fromLocal8Bit(fifo.path())});
  BOOL started = TRUE;
  EXPECT_FALSE(fifo.openedDuring([&] { started = app.InitInstance(); }));
  EXPECT_FALSE(started);
  EXPECT_EQ(log.texts(), std::vector<QString>{CLanguageLibrary::LoadString(61697)});
  end(app);
}

// The chooser is for a start without a document: a document named on the
// command line opens without it, and one dropped before or while it shows
// is not replaced by a new document.
TEST_F(AppRun, ADocumentNamedOrDroppedOpensWithoutTheChooser) {
  {
    OpeningRecordingApp opener;
    opener.SetArguments({QStringLiteral("QXLWIN32"), env.dataFile(QStringLiteral("a.qxd"))});
    ASSERT_TRUE(opener.InitInstance());
    EXPECT_EQ(answerChoosers(IDOK), 0);
    EXPECT_TRUE(opener.commands.empty());
    end(opener);
  }
  const QString mini = env.dataFile(QStringLiteral("mini.qxd"));
  ASSERT_TRUE(QFile::copy(TestEnvironment::sourceFile(QStringLiteral("tests/app/corpus-document/fx7400.qxd")), mini));
  for (const bool dropped : {false, true}) {
    RecordingApp app;
    app.SetArguments({QStringLiteral("QXLWIN32")});
    ASSERT_TRUE(app.InitInstance());
    const auto shown = [&app] {
      CDocument* doc = static_cast<CFrameWnd*>(app.m_pMainWnd.data())->GetActiveDocument();
      return doc && QFileInfo(doc->GetPathName()).fileName() == QStringLiteral("mini.qxd");
    };
    if (dropped) {  // onto the window as it starts: it opens while the chooser shows
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(mini)});
      QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(app.m_pMainWnd, &enter);
      QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(app.m_pMainWnd, &drop);
    } else {  // before the chooser's turn: it does not show
      ASSERT_TRUE(app.OpenDocumentFile(mini));
    }
    const auto chooserRan = [&app] { return app.commands.size() == 2; };  // File New, then 57610
    EXPECT_EQ(answerChoosers(IDOK, 0, chooserRan, shown), dropped ? 1 : 0);
    EXPECT_TRUE(shown());
    end(app);
  }
  EXPECT_TRUE(log.shown.empty());
}

}  // namespace
