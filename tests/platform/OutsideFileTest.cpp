// The opener of outside files: regular files only, never blocking, and a
// bound that is never passed.
#include "platform/AtomicFile.h"
#include "platform/FileArchive.h"
#include "platform/OutsideFile.h"
#include "tests/support/FifoWatch.h"
#include "tests/support/TestEnvironment.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

using tallix::OutsideFileError;
using tallix::readOutsideFile;

namespace {

TEST(OutsideFile, WhatIsNoRegularFileIsRefusedUnopened) {
  QTemporaryDir dir;
  tallix::test::FifoWatch fifo(dir.filePath(QStringLiteral("pipe")));
  ASSERT_TRUE(fifo.made());
  std::string bytes = "old";
  OutsideFileError error = OutsideFileError::None;
  EXPECT_FALSE(fifo.openedDuring([&] { EXPECT_FALSE(readOutsideFile(fifo.path(), 1 << 20, &bytes, &error)); }));
  EXPECT_EQ(error, OutsideFileError::NotRegular);
  EXPECT_TRUE(bytes.empty());
  for (const char* path : {"/dev/zero", "/dev/null", "/"}) {
    EXPECT_FALSE(tallix::OutsideFile(path, tallix::kUnboundedFile).isOpen()) << path;
    EXPECT_FALSE(readOutsideFile(path, 1 << 20, &bytes, &error)) << path;
    EXPECT_EQ(error, OutsideFileError::NotRegular) << path;
  }
  EXPECT_FALSE(readOutsideFile(dir.filePath(QStringLiteral("none")).toLocal8Bit().constData(), 1, &bytes, &error));
  EXPECT_EQ(error, OutsideFileError::Missing);
}

// The file of the archives (macros, command lists) and the whole-file read
// (fonts, lists, the desktop's files) open nothing but regular files.
TEST(OutsideFile, TheArchiveFileAndTheWholeFileReadNeverOpenAFifo) {
  QTemporaryDir dir;
  tallix::test::FifoWatch fifo(dir.filePath(QStringLiteral("pipe")));
  ASSERT_TRUE(fifo.made());
  CFile file;
  QByteArray bytes;
  EXPECT_FALSE(fifo.openedDuring([&] {
    EXPECT_FALSE(file.Open(fifo.path(), CFile::modeRead));
    EXPECT_FALSE(tallix::readWholeFile(QString::fromLocal8Bit(fifo.path()), &bytes));
  }));
}

// A file within its bound is read whole; one byte more and nothing is read,
// also where the file holds more than its size said when it was opened
// (those of /proc tell no size at all).
TEST(OutsideFile, AFileLargerThanItsBoundIsRefusedWhole) {
  QTemporaryDir dir;
  const QByteArray path = dir.filePath(QStringLiteral("f")).toLocal8Bit();
  const std::string contents(5000, 'x');
  ASSERT_TRUE(tallix::test::writeFileContents(QString::fromLocal8Bit(path), QByteArray::fromStdString(contents)));
  std::string bytes;
  OutsideFileError error = OutsideFileError::None;
  EXPECT_TRUE(readOutsideFile(path.constData(), 5000, &bytes, &error));
  EXPECT_EQ(bytes, contents);
  EXPECT_FALSE(readOutsideFile(path.constData(), 4999, &bytes, &error));
  EXPECT_EQ(error, OutsideFileError::TooLarge);
  EXPECT_TRUE(bytes.empty());

  ASSERT_TRUE(readOutsideFile("/proc/self/maps", 1 << 20, &bytes, &error));
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_FALSE(readOutsideFile("/proc/self/maps", 100, &bytes, &error));
  EXPECT_EQ(error, OutsideFileError::TooLarge);
}

}  // namespace
