#include "platform/ProgramPaths.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace tallix;
using tallix::test::TestEnvironment;

TEST(ProgramPaths, FilesAreJoinedToTheProgramDirectory) {
  TestEnvironment env;
  EXPECT_EQ(programDirectory(), env.programDir());
  EXPECT_EQ(programFilePath(QStringLiteral("QXGraph.lst")), QDir(env.programDir()).filePath(QStringLiteral("QXGraph.lst")));
}

TEST(ProgramPaths, TheDataFolderIsReadBeforeTheProgramDirectory) {
  TestEnvironment env;
  env.writeProgramFile(QStringLiteral("qxmenu.ini"), "program");
  EXPECT_EQ(findDataFile(QStringLiteral("qxmenu.ini")), env.programFile(QStringLiteral("qxmenu.ini")));

  const QString writable = writableDataFilePath(QStringLiteral("qxmenu.ini"));
  EXPECT_TRUE(writable.startsWith(env.dataDir()));
  QFile f(writable);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("user");
  f.close();
  EXPECT_EQ(findDataFile(QStringLiteral("qxmenu.ini")), writable);
}

TEST(ProgramPaths, WithoutOverrideTheExecutableDirectoryIsUsed) {
  TestEnvironment env;
  setProgramDirectoryOverride(QString());
  EXPECT_TRUE(QFile::exists(QDir(programDirectory()).filePath(QStringLiteral("platform_tests"))));
}
