// The document types on the desktop, in a private data folder: what is
// written, that a second start writes nothing, that another program's
// pattern is left to it and that unregistering takes exactly our files.
#include "app/DocManagerEx.h"
#include "app/QXSingleDocTemplate.h"
#include "platform/DesktopMime.h"
#include "platform/Document.h"
#include "platform/FrameWnd.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tallix::test;

namespace {

class ShellFileTypes : public ::testing::Test {
 protected:
  ShellFileTypes() {
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    previous = tallix::SetMimeDatabaseUpdater([this](const QString& dir) {
      updates << dir;
      return true;
    });
    manager.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CDocument),
                                                    RUNTIME_CLASS(CFrameWnd), RUNTIME_CLASS(CView)));
  }
  ~ShellFileTypes() override {
    tallix::SetMimeDatabaseUpdater(std::move(previous));
    qputenv("XDG_DATA_HOME", saved);
  }
  QString path(const char* relative) const { return home.filePath(QString::fromLatin1(relative)); }
  // Every file below the data folder with its inode, so that a rewrite shows.
  std::map<QString, ino_t> files() const {
    std::map<QString, ino_t> all;
    for (QDirIterator it(home.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
      const QString f = it.next();
      struct stat st {};
      ::stat(QFile::encodeName(f).constData(), &st);
      all[QDir(home.path()).relativeFilePath(f)] = st.st_ino;
    }
    return all;
  }
  static void expectValid(const QString& entry) {
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty()) GTEST_SKIP() << "desktop-file-validate (desktop-file-utils) is not installed";
    QProcess p;
    p.start(validator, {entry});
    ASSERT_TRUE(p.waitForFinished());
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(p.readAll(), QByteArray());
  }

  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  QTemporaryDir home;
  QStringList updates;
  tallix::MimeDatabaseUpdater previous;
  CDocManagerEx manager;
};

TEST_F(ShellFileTypes, AStartRegistersBothExtensionsOnceAndUnregisteringTakesThemAway) {
  ASSERT_TRUE(QDir().mkpath(path("applications")));
  ASSERT_TRUE(writeFileContents(path("applications/other.desktop"), "[Desktop Entry]\n"));
  const auto before = files();
  manager.RegisterShellFileTypes(FALSE);
  EXPECT_EQ(fileContents(path("mime/packages/QXLWIN32.Document.xml")),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
            "  <mime-type type=\"application/x-qxlwin32-document\">\n"
            "    <comment>TALLIX Document</comment>\n"
            "    <glob pattern=\"*.qxd\"/>\n"
            "    <glob pattern=\"*.qxi\"/>\n"
            "  </mime-type>\n"
            "</mime-info>\n");
  const QString program = QCoreApplication::applicationFilePath();
  ASSERT_FALSE(program.contains(QLatin1Char(' ')));
  EXPECT_EQ(fileContents(path("applications/QXLWIN32.desktop")),
            "[Desktop Entry]\nType=Application\nName=TALLIX PROFESSIONAL\nExec=" + program.toUtf8() +
                " %f\nMimeType=application/x-qxlwin32-document;\nNoDisplay=true\n");
  expectValid(path("applications/QXLWIN32.desktop"));
  EXPECT_EQ(updates, QStringList{path("mime")});

  const auto registered = files();
  EXPECT_EQ(registered.size(), before.size() + 2);
  manager.RegisterShellFileTypes(FALSE);
  EXPECT_EQ(files(), registered);
  EXPECT_EQ(updates.size(), 1);

  manager.UnregisterShellFileTypes();
  EXPECT_EQ(files(), before);
  EXPECT_TRUE(QFileInfo(path("mime/packages")).isDir());
  EXPECT_EQ(updates.size(), 2);
}

TEST_F(ShellFileTypes, FullRegistrationAddsTheIconAndPrintingAndLeavesAForeignPatternAlone) {
  ASSERT_TRUE(QDir().mkpath(path("mime/packages")));
  ASSERT_TRUE(writeFileContents(path("mime/packages/other.xml"),
                                "<?xml version=\"1.0\"?>\n<mime-info "
                                "xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                                "<mime-type type=\"application/x-other\"><glob pattern=\"*.QXI\"/></mime-type>\n"
                                "</mime-info>\n"));
  manager.RegisterShellFileTypes(TRUE);
  const QByteArray package = fileContents(path("mime/packages/QXLWIN32.Document.xml"));
  EXPECT_TRUE(package.contains("\"*.qxd\""));
  EXPECT_FALSE(package.contains("qxi"));
  const QString icon = path("icons/hicolor/32x32/apps/QXLWIN32.png");
  EXPECT_EQ(QImage(icon).size(), QSize(32, 32));
  const QByteArray program = QCoreApplication::applicationFilePath().toUtf8();
  EXPECT_EQ(fileContents(path("applications/QXLWIN32.desktop")),
            "[Desktop Entry]\nType=Application\nName=TALLIX PROFESSIONAL\nExec=" + program +
                " %f\nMimeType=application/x-qxlwin32-document;\nNoDisplay=true\nIcon=" + icon.toUtf8() +
                "\nActions=print;\n\n[Desktop Action print]\nName=Imprimer\nExec=" + program + " /p %f\n");
  expectValid(path("applications/QXLWIN32.desktop"));
  manager.UnregisterShellFileTypes();
  EXPECT_FALSE(QFileInfo::exists(icon));
  EXPECT_TRUE(QFileInfo::exists(path("mime/packages/other.xml")));
}

TEST(DesktopEntries, ProgramPathsAreQuotedWhereTheDesktopWouldSplitThem) {
  EXPECT_EQ(tallix::desktopExecArgument(QStringLiteral("/opt/tallix/QXLWIN32")), QStringLiteral("/opt/tallix/QXLWIN32"));
  EXPECT_EQ(tallix::desktopExecArgument(QStringLiteral("/home/a b/100%/x$\"y")),
            QStringLiteral("\"/home/a b/100%%/x\\\\$\\\\\"y\""));
}

}  // namespace
