// The application object: recent files, the command line, shell commands.
#include "platform/CmdUI.h"
#include "platform/CommandLineInfo.h"
#include "platform/FrameWnd.h"
#include "platform/Profile.h"
#include "platform/WinApp.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <gtest/gtest.h>

using tallix::test::TestEnvironment;

namespace {

QStringList recentMenuEntries(CFrameWnd& frame) {
  QMenu* file = frame.GetMenuBar()->actions().first()->menu();
  file->popup(QPoint(0, 0));
  QStringList entries;
  for (QAction* a : file->actions())
    if (a->isVisible() && CommandIdOf(a) >= ID_FILE_MRU_FILE1 && CommandIdOf(a) <= ID_FILE_MRU_FILE16)
      entries << QStringLiteral("%1 %2").arg(CommandIdOf(a)).arg(a->text());
  file->hide();
  return entries;
}

TEST(WinApp, FourRecentFilesShowInOrderAndComeBackWithTheNextApplication) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  {
    CWinApp app;
    app.LoadStdProfileSettings(4);
    for (const char* name : {"/d/a.qxd", "/d/b.qxd", "/d/c.qxd", "/d/d.qxd", "/d/e.qxd", "/d/c.qxd"})
      app.AddToRecentFileList(QString::fromLatin1(name));
    EXPECT_EQ(app.GetRecentFileList(), (QStringList{"/d/c.qxd", "/d/e.qxd", "/d/d.qxd", "/d/b.qxd"}));
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->LoadFrame(128));
    app.m_pMainWnd = frame;
    EXPECT_EQ(recentMenuEntries(*frame), (QStringList{"57616 &1 /d/c.qxd", "57617 &2 /d/e.qxd", "57618 &3 /d/d.qxd",
                                                      "57619 &4 /d/b.qxd"}));
    // A recent file that no longer opens leaves the list.
    frame->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 1);
    EXPECT_EQ(app.GetRecentFileList().size(), 3);
    EXPECT_EQ(recentMenuEntries(*frame).size(), 3);
    app.ExitInstance();
    frame->DestroyWindow();
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  CWinApp next;
  next.LoadStdProfileSettings(4);
  EXPECT_EQ(next.GetRecentFileList(), (QStringList{"/d/c.qxd", "/d/d.qxd", "/d/b.qxd"}));
}

CCommandLineInfo parse(QStringList args) {
  args.prepend(QStringLiteral("qxlwin32"));
  CCommandLineInfo info;
  info.ParseArguments(args);
  return info;
}

TEST(WinApp, CommandLinesAreParsed) {
  EXPECT_EQ(parse({}).m_nShellCommand, CCommandLineInfo::FileNew);
  const auto open = parse({"/home/u/Mes documents/a.qxd"});
  EXPECT_EQ(open.m_nShellCommand, CCommandLineInfo::FileOpen);
  EXPECT_EQ(open.m_strFileName, QStringLiteral("/home/u/Mes documents/a.qxd"));
  const auto print = parse({"/P", "a.qxd"});
  EXPECT_EQ(print.m_nShellCommand, CCommandLineInfo::FilePrint);
  EXPECT_EQ(print.m_strFileName, QStringLiteral("a.qxd"));
  const auto printTo = parse({"-pt", "a.qxd", "Laser", "drv", "lpt1"});
  EXPECT_EQ(printTo.m_nShellCommand, CCommandLineInfo::FilePrintTo);
  EXPECT_EQ(printTo.m_strPrinterName, QStringLiteral("Laser"));
  EXPECT_EQ(printTo.m_strDriverName, QStringLiteral("drv"));
  EXPECT_EQ(printTo.m_strPortName, QStringLiteral("lpt1"));
  EXPECT_EQ(parse({"/dde"}).m_nShellCommand, CCommandLineInfo::FileDDE);
  EXPECT_EQ(parse({"/UnregServer"}).m_nShellCommand, CCommandLineInfo::AppUnregister);
  const auto embedded = parse({"-Unregister", "-Embedding"});
  EXPECT_EQ(embedded.m_nShellCommand, CCommandLineInfo::AppUnregister);
  EXPECT_TRUE(embedded.m_bRunEmbedded);
  EXPECT_FALSE(embedded.m_bShowSplash);
  EXPECT_TRUE(parse({"/automation"}).m_bRunAutomated);
}

TEST(WinApp, UnregisterRemovesTheProfileSaysSoUnlessEmbeddedAndKeepsTheListUnsaved) {
  TestEnvironment env;
  tallix::test::MessageLog log;
  CWinApp app;
  app.LoadStdProfileSettings(4);
  app.AddToRecentFileList(QStringLiteral("/d/a.qxd"));
  tallix::openProfile().setValue(QStringLiteral("Settings/Toolbar"), 0);
  CCommandLineInfo info = parse({"/unregister"});
  EXPECT_FALSE(app.ProcessShellCommand(info));
  ASSERT_EQ(log.shown.size(), 1u);
  app.ExitInstance();
  EXPECT_TRUE(tallix::openProfile().allKeys().isEmpty());
  CCommandLineInfo quiet = parse({"/unregister", "/embedding"});
  EXPECT_FALSE(app.ProcessShellCommand(quiet));
  EXPECT_EQ(log.shown.size(), 1u);
}

}  // namespace
