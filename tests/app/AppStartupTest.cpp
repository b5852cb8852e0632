// The application object's start-up and exit: the language library, the
// stored page margins, page setup, the unregister run, dropped files.
#include "app/AppServices.h"
#include "app/PageSetup.h"
#include "app/QXApp.h"
#include "classlib/ProfileSettings.h"
#include "classlib/ProgramVersion.h"
#include "platform/FrameWnd.h"
#include "platform/ImageList.h"
#include "platform/LanguageLibrary.h"
#include "platform/Profile.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <array>
#include <tuple>
#include <gtest/gtest.h>

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
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    QDir(home.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(home.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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

}  // namespace
