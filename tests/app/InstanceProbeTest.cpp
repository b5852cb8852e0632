// Other instances: a second process is asked whether it holds a file; stale
// and silent sockets cost no more than they must; long or malformed
// questions are refused.
#include "app/InstanceProbe.h"
#include "app/QXDoc.h"
#include "app/QXMainFrame.h"
#include "app/QXTreeView.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QtEndian>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>

using tallix::test::TestEnvironment;

namespace {

// The frame of another instance, with the document named by
// TALLIX_PEER_FILE open, until its standard input closes. Run by the tests
// below in a second process of this binary.
TEST(InstanceProbePeer, DISABLED_HoldTheFileUntilStdinCloses) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  RegisterQXMainFrameClasses();
  CQXDoc doc;
  doc.SetPathName(qEnvironmentVariable("TALLIX_PEER_FILE"), FALSE);
  auto* frame = new CQXMainFrame;
  CCreateContext context{RUNTIME_CLASS(CQXTreeView), &doc};
  ASSERT_TRUE(frame->LoadFrame(128, nullptr, &context));
  tallix::test::servePeerUntilStdinCloses();
  frame->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class InstanceProbe : public ::testing::Test {
 protected:
  ~InstanceProbe() override {
    if (peer.state() != QProcess::NotRunning) {
      peer.closeWriteChannel();
      peer.waitForFinished(5000);
    }
  }
  void startPeer(const QString& file) {
    ASSERT_TRUE(tallix::test::startPeerTest(peer, QStringLiteral("InstanceProbePeer.DISABLED_HoldTheFileUntilStdinCloses"),
                                            QStringLiteral("TALLIX_PEER_FILE"), file));
  }
  QString peerSocket() const {
    return QDir(InstanceFolder()).filePath(QStringLiteral("orvoQXFrameClass.%1").arg(peer.processId()));
  }
  // A raw question to the peer: its answer byte, or -1.
  int ask(quint32 code, quint32 count, const QByteArray& bytes) {
    QLocalSocket socket;
    socket.connectToServer(peerSocket());
    if (!socket.waitForConnected(2000)) return -1;
    QByteArray head(8, '\0');
    qToLittleEndian<quint32>(code, head.data());
    qToLittleEndian<quint32>(count, head.data() + 4);
    socket.write(head + bytes);
    socket.waitForBytesWritten(2000);
    while (socket.bytesAvailable() < 1 && socket.waitForReadyRead(3000)) {
    }
    const QByteArray answer = socket.read(1);
    return answer.isEmpty() ? -1 : answer[0];
  }

  TestEnvironment env;
  QProcess peer;
};

TEST_F(InstanceProbe, TheInstanceHoldingTheFileAnswersWithItsTitle) {
  const QString file = env.dataFile(QStringLiteral("Doc.qxd"));
  ASSERT_TRUE(tallix::test::writeFileContents(file, "x"));
  ASSERT_TRUE(tallix::test::writeFileContents(env.dataFile(QStringLiteral("doc.qxd")), "y"));
  startPeer(file);
  ASSERT_FALSE(HasFatalFailure());

  char title[64];
  ASSERT_TRUE(FindInstanceWithFile(QDir(env.dataDir()).filePath(QStringLiteral("./Doc.qxd")), title, sizeof title));
  EXPECT_STREQ(title, "Doc.qxd - TALLIX PROFESSIONAL");
  char small[4];
  ASSERT_TRUE(FindInstanceWithFile(file, small, sizeof small));
  EXPECT_STREQ(small, "Doc");
  // Another file whose name differs only in case is another file here.
  EXPECT_FALSE(FindInstanceWithFile(env.dataFile(QStringLiteral("doc.qxd")), title, sizeof title));
  EXPECT_STREQ(title, "");

  // Questions the answering side refuses: a path of 260 bytes or more, more
  // bytes than announced, another data code.
  const QByteArray path = QFile::encodeName(file);
  EXPECT_EQ(ask(65, quint32(path.size()), path), 1);
  EXPECT_EQ(ask(65, 300, QByteArray(300, 'a')), 0);
  EXPECT_EQ(ask(65, quint32(path.size() - 1), path), 0);
  EXPECT_EQ(ask(64, quint32(path.size()), path), 0);
  EXPECT_EQ(ask(65 | 0x20, quint32(path.size()), path), 0);
  EXPECT_FALSE(FindInstanceWithFile(QString(300, u'a'), title, sizeof title));
}

TEST_F(InstanceProbe, AStaleSocketIsRemovedAndASilentOneCostsOneSecond) {
  const QString folder = InstanceFolder();
  // A socket file whose process is gone.
  const QByteArray stale = QFile::encodeName(QDir(folder).filePath(QStringLiteral("orvoQXFrameClass.999998")));
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, stale.constData(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
  ASSERT_TRUE(QFile::exists(QString::fromLocal8Bit(stale)));

  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(FindInstanceWithFile(env.dataFile(QStringLiteral("a.qxd")), nullptr, 0));
  EXPECT_LT(clock.elapsed(), 1000);  // no wait for an answer
  EXPECT_FALSE(QFile::exists(QString::fromLocal8Bit(stale)));

  // A listener that never answers (this process does not serve it while it
  // waits).
  QLocalServer silent;
  ASSERT_TRUE(silent.listen(QDir(folder).filePath(QStringLiteral("orvoQXFrameClass.999999"))));
  clock.restart();
  EXPECT_FALSE(FindInstanceWithFile(env.dataFile(QStringLiteral("a.qxd")), nullptr, 0));
  EXPECT_GE(clock.elapsed(), 900);
  EXPECT_LT(clock.elapsed(), 4000);
}

}  // namespace
