// Program files as the calculator link tools write them, worked by hand:
// the blocks, their checksums and the reader's refusals.
#include "datamodel/QXProgramItem.h"
#include "pages/QXProgramFile.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallix::test {
namespace {

// 0 minus the sum of the bytes, modulo 256.
char check(const QByteArray& bytes) {
  int sum = 0;
  for (char c : bytes) sum += static_cast<unsigned char>(c);
  return char((256 - sum % 256) % 256);
}

// A header block: name, password and mode as given, the data length.
QByteArray headerBlock(const QByteArray& name, const QByteArray& mode, int dataLength,
                       const QByteArray& password = {}) {
  QByteArray h(48, char(0xFF));
  h.replace(0, 3, "TXT");
  h[3] = 0;
  h.replace(4, 2, "PG");
  h[6] = char(dataLength >> 24);
  h[7] = char(dataLength >> 16);
  h[8] = char(dataLength >> 8);
  h[9] = char(dataLength);
  h.replace(10, name.size(), name);
  h.replace(26, password.size(), password);
  h.replace(34, mode.size(), mode);
  return ':' + h + check(h);
}

QByteArray dataBlock(const QByteArray& data) { return ':' + data + check(data); }

const QByteArray kEndBlock = ":END" + QByteArray(45, char(0xFF)) + char(0x56);

QByteArray dataOf(const CQXProgramItem& item) {
  QByteArray data(qsizetype(item.GetLength()), 0);
  item.GetDataBlock(reinterpret_cast<BYTE*>(data.data()), int(data.size()));
  return data;
}

class ProgramFile : public ::testing::Test {
 protected:
  QByteArray path(const char* name) const { return QFile::encodeName(env.dataFile(QString::fromLatin1(name))); }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
};

TEST_F(ProgramFile, EmptyAndNamedBaseNProgramsWriteTheBlocksAndReadBackEqual) {
  CQXProgramItem empty;
  const BYTE end = 0xFF;
  empty.SetDataBlock(&end, 1);
  ASSERT_TRUE(WriteProgramFile(path("empty.cas").constData(), empty));
  const QByteArray emptyFile = fileContents(env.dataFile(QStringLiteral("empty.cas")));
  EXPECT_EQ(emptyFile.size(), 103);
  EXPECT_EQ(emptyFile, headerBlock("", "NL", 3) + QByteArray::fromHex("3aff01") + kEndBlock);

  CQXProgramItem abc;
  abc.SetName("ABC");
  abc.SetBaseN(TRUE);
  const QByteArray data = QByteArray::fromHex("410d42ff");
  abc.SetDataBlock(reinterpret_cast<const BYTE*>(data.constData()), int(data.size()));
  ASSERT_TRUE(WriteProgramFile(path("abc.pg").constData(), abc));
  EXPECT_EQ(fileContents(env.dataFile(QStringLiteral("abc.pg"))), headerBlock("ABC", "BN", 6) + dataBlock(data) + kEndBlock);

  CQXProgramItem back;
  ASSERT_TRUE(ReadProgramFile(path("abc.pg").constData(), &back));
  EXPECT_EQ(dataOf(back), data);
  EXPECT_TRUE(back.IsBaseN());
  char name[16] = {};
  back.GetDisplayName(name, sizeof name);
  EXPECT_STREQ(name, "ABC");
  CQXProgramItem emptyBack;
  ASSERT_TRUE(ReadProgramFile(path("empty.cas").constData(), &emptyBack));
  EXPECT_EQ(dataOf(emptyBack), QByteArray(1, char(0xFF)));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProgramFile, TheReaderRefusesDamagedFilesAndTakesAnyOtherModeAsNormal) {
  const QByteArray data = QByteArray::fromHex("41ff");
  const QByteArray good = headerBlock("P", "BN", 4) + dataBlock(data) + kEndBlock;
  QByteArray badHeaderSum = good;
  badHeaderSum[49] = char(badHeaderSum[49] + 1);
  QByteArray badDataSum = good;
  badDataSum[53] = char(badDataSum[53] + 1);
  const QByteArray cases[] = {
      badHeaderSum,
      badDataSum,
      good.left(49),
      headerBlock("P", "BN", 5) + dataBlock(data),  // the length reaches past the end
      headerBlock("P", "BN", 1) + dataBlock(data),  // no room for ':' and the checksum
      headerBlock("P", "BN", 0),
  };
  for (const QByteArray& bytes : cases) {
    ASSERT_TRUE(writeFileContents(env.dataFile(QStringLiteral("bad.cas")), bytes));
    CQXProgramItem item;
    EXPECT_FALSE(ReadProgramFile(path("bad.cas").constData(), &item)) << bytes.toHex().toStdString();
  }
  EXPECT_EQ(messages.texts(), std::vector<QString>(std::size(cases), QStringLiteral("Erreur survenue lors du chargement du fichier.")));
  EXPECT_EQ(messages.shown.back().type & 0xF0u, UINT(MB_ICONEXCLAMATION));

  // No END block needed, nothing after the data read; a mode that is not
  // "BN" is a normal program.
  ASSERT_TRUE(writeFileContents(env.dataFile(QStringLiteral("xx.cas")), headerBlock("P", "XX", 4) + dataBlock(data)));
  CQXProgramItem item;
  ASSERT_TRUE(ReadProgramFile(path("xx.cas").constData(), &item));
  EXPECT_FALSE(item.IsBaseN());
  EXPECT_EQ(dataOf(item), data);

  messages.shown.clear();
  EXPECT_FALSE(ReadProgramFile(path("missing.cas").constData(), &item));
  EXPECT_FALSE(WriteProgramFile(QFile::encodeName(env.dataFile(QStringLiteral("no/such/folder.cas"))).constData(), item));
  EXPECT_EQ(messages.texts(), (std::vector<QString>{QStringLiteral("L'ouverture du document a échoué."),
                                                   QStringLiteral("Le fichier n'a pas pu être créé.")}));
}

// A FIFO is refused unopened (the open would wait for a writer, the read
// for its end); an export that fails once the file is open keeps the file
// that was there.
TEST_F(ProgramFile, AFifoIsRefusedUnopenedAndAFailedExportKeepsTheOldFile) {
  const QByteArray fifo = path("pipe.cas");
  ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
  // Its writer gets through only once a reader opens the FIFO.
  std::atomic<bool> opened{false};
  std::thread writer([&] {
    const int fd = ::open(fifo.constData(), O_WRONLY);
    opened = fd >= 0;
    if (fd >= 0) ::close(fd);
  });
  CQXProgramItem item;
  EXPECT_FALSE(ReadProgramFile(fifo.constData(), &item));
  EXPECT_FALSE(opened);
  const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
  writer.join();
  ::close(reader);
  EXPECT_EQ(messages.texts(), std::vector<QString>{QStringLiteral("Erreur survenue lors du chargement du fichier.")});

  ASSERT_TRUE(writeFileContents(env.dataFile(QStringLiteral("old.cas")), "old"));
  const BYTE end = 0xFF;
  item.SetDataBlock(&end, 1);
  {
    FileSizeLimit full(60);  // of the 103 bytes
    EXPECT_FALSE(WriteProgramFile(path("old.cas").constData(), item));
  }
  EXPECT_EQ(messages.texts().back(), QString::fromUtf8("Erreur survenue lors d'enregistrement du fichier."));
  EXPECT_EQ(fileContents(env.dataFile(QStringLiteral("old.cas"))), "old");
}

}  // namespace
}  // namespace tallix::test
