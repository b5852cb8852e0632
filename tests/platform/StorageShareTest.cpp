#include "tests/platform/StorageTestSupport.h"

#include <QProcess>

using namespace storagetest;

namespace {

class StorageShare : public StorageTest {
 protected:
  // Another process holding the file open with `mode` until it is destroyed.
  struct Holder {
    QProcess process;
    HRESULT result = S_FALSE;
    ~Holder() {
      process.closeWriteChannel();
      process.waitForFinished(5000);
    }
  };
  std::unique_ptr<Holder> holdElsewhere(const std::string& p, DWORD mode) {
    auto h = std::make_unique<Holder>();
    h->process.start(QStringLiteral(CFB_LOCK_HOLDER),
                     {QString::fromStdString(p), QString::number(mode, 16)});
    EXPECT_TRUE(h->process.waitForStarted(5000));
    while (!h->process.canReadLine() && h->process.waitForReadyRead(5000)) {
    }
    const QByteArray line = h->process.readLine().trimmed();
    EXPECT_TRUE(line.startsWith("ready ")) << line.constData();
    h->result = HRESULT(line.mid(6).toUInt(nullptr, 16));
    return h;
  }
};

TEST_F(StorageShare, AFileOpenedExclusivelyInAnotherProcessIsRefusedUntilClosed) {
  const std::string p = makeFile("s.qxd", {{"Directory", pattern(1, 10)}});
  auto holder = holdElsewhere(p, kOpenRW | STGM_TRANSACTED);
  ASSERT_EQ(holder->result, S_OK);
  ComPtr<IStorage> root;
  EXPECT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), STG_E_SHAREVIOLATION);
  EXPECT_EQ(openFile(p, STGM_READ | STGM_SHARE_DENY_NONE | STGM_TRANSACTED, &root), STG_E_SHAREVIOLATION);
  EXPECT_EQ(openFile(p, STGM_READ | STGM_TRANSACTED, &root), STG_E_SHAREVIOLATION);
  holder.reset();
  EXPECT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
  // And the other way round.
  auto second = holdElsewhere(p, STGM_READ | STGM_SHARE_DENY_NONE | STGM_TRANSACTED);
  EXPECT_EQ(second->result, STG_E_SHAREVIOLATION);
}

TEST_F(StorageShare, DenyWriteLetsReadersInAndKeepsWritersOut) {
  const std::string p = makeFile("s.qxd", {{"Directory", pattern(1, 10)}});
  auto holder = holdElsewhere(p, STGM_READ | STGM_SHARE_DENY_WRITE);
  ASSERT_EQ(holder->result, S_OK);
  ComPtr<IStorage> reader, writer;
  EXPECT_EQ(openFile(p, STGM_READ | STGM_SHARE_DENY_WRITE, &reader), S_OK);
  EXPECT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &writer), STG_E_SHAREVIOLATION);
  EXPECT_EQ(openFile(p, STGM_READWRITE | STGM_SHARE_DENY_NONE | STGM_TRANSACTED, &writer), STG_E_SHAREVIOLATION);
  // A reader that lets others write cannot come in after one that wrote... only
  // denials count: this one asks for nothing the holder refuses.
  EXPECT_EQ(openFile(p, STGM_READ | STGM_SHARE_DENY_NONE, &writer), S_OK);
}

TEST_F(StorageShare, ASecondWriterIsRefusedEvenWhereShareModesAllowIt) {
  const std::string p = makeFile("s.qxd", {{"Directory", pattern(1, 10)}});
  const DWORD shared = STGM_READWRITE | STGM_SHARE_DENY_NONE | STGM_TRANSACTED;
  auto holder = holdElsewhere(p, shared);
  ASSERT_EQ(holder->result, S_OK);
  ComPtr<IStorage> root;
  EXPECT_EQ(openFile(p, shared, &root), STG_E_LOCKVIOLATION);
  // Readers still may, and see the file as last written.
  ASSERT_EQ(openFile(p, STGM_READ | STGM_SHARE_DENY_NONE, &root), S_OK);
  EXPECT_EQ(readTree(root.get()), (Tree{{"Directory", pattern(1, 10)}}));
}

TEST_F(StorageShare, TwoOpensInOneProcessAreTwoOpeners) {
  const std::string p = makeFile("s.qxd", {});
  ComPtr<IStorage> first, second;
  ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &first), S_OK);
  EXPECT_EQ(openFile(p, kOpenRead, &second), STG_E_SHAREVIOLATION);
  // A new file is refused too while the old one is open exclusively.
  EXPECT_EQ(createFile(p, kCreate, &second), STG_E_SHAREVIOLATION);
  first.reset();
  EXPECT_EQ(openFile(p, kOpenRead, &second), S_OK);
}

}  // namespace
