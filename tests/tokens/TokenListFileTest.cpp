#include "tokens/StoredCommandLists.h"
#include "tokens/TokenListFile.h"

#include "services/QXSummaryInfo.h"
#include "classlib/ProfileSettings.h"
#include "classlib/ProgramVersion.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/OrvoItemStream.h"
#include "platform/storage/StorageTestHooks.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

using Bytes = std::vector<BYTE>;

void put32(Bytes* b, DWORD v) {
  for (int i = 0; i < 4; ++i) b->push_back(BYTE(v >> (8 * i)));
}
void putText(Bytes* b, const std::string& s) {
  put32(b, DWORD(s.size()));
  b->insert(b->end(), s.begin(), s.end());
}

Bytes streamBytes(const std::string& path, const char* stream) {
  COrvoItemStore store;
  EXPECT_TRUE(store.Open(path.c_str(), ORVO_OPEN_READONLY));
  COrvoItemStream s(&store);
  if (!s.Open(stream, 1, FALSE)) return {};
  DWORD length = 0;
  s.GetLength(&length);
  Bytes out(length);
  if (length) s.Read(out.data(), length);
  return out;
}

// Writes raw bytes as a file's "Table" stream.
void writeTableStream(const std::string& path, const Bytes& bytes) {
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(path.c_str(), ORVO_OPEN_CREATE | ORVO_SHARE_EXCLUSIVE));
  OrvoNodeInfo f;
  f.SetPath("\\Token");
  f.flags = 1;
  ASSERT_TRUE(store.AddNode(&f));
  COrvoItemStream s(&store);
  ASSERT_TRUE(s.Create("\\Token\\Table", 2, nullptr));
  s.Write(bytes.data(), UINT(bytes.size()));
  s.Close();
  ASSERT_TRUE(store.Commit());
}

class TokenListFile : public ::testing::Test {
 protected:
  tallix::test::TestEnvironment env{tallix::test::TestEnvironment::WithLanguageLibrary};
  tallix::test::MessageLog log;
  std::string path = QFile::encodeName(env.dataFile("QXToken.tok")).toStdString();

  static CQXCommandTable twoCommands() {
    CQXCommandTable t;
    t.SetCommand(0, 0x41, "A", "a", "");
    t.SetCommand(0x7F, 0xA3, "n", "", "Variable n");
    return t;
  }
  static CQXCommandTreeNodes threeNodes() {
    return {{1, "Maths", 0, true}, {2, "n", MakeCommandValue(0x7F, 0xA3), false}, {1, "Vide", 0, true}};
  }
};

TEST_F(TokenListFile, StreamsMatchHandWorkedBytes) {
  ASSERT_TRUE(WriteTokenListFileWithTree(path.c_str(), twoCommands(), "FX9850", "CFX-9850G", threeNodes()));
  EXPECT_TRUE(log.shown.empty());

  Bytes table;
  put32(&table, 1024);
  put32(&table, 1);
  table.resize(1024, 0);
  put32(&table, 0x41), put32(&table, 0), putText(&table, "A"), putText(&table, "a"), putText(&table, "");
  put32(&table, 0xA3), put32(&table, 0x7F), putText(&table, "n"), putText(&table, ""), putText(&table, "Variable n");
  table.insert(table.end(), 8, 0xFF);
  table.insert(table.end(), 12, 0);
  EXPECT_EQ(streamBytes(path, "\\Token\\Table"), table);

  Bytes tree;
  put32(&tree, 1), putText(&tree, "Maths"), put32(&tree, 0), put32(&tree, 0);
  put32(&tree, 2), putText(&tree, "n"), put32(&tree, 0x00A3007F), put32(&tree, 0);
  put32(&tree, 1), putText(&tree, "Vide"), put32(&tree, 0), put32(&tree, 0);
  put32(&tree, 0xFFFFFFFF);
  EXPECT_EQ(streamBytes(path, "\\Token\\Command Tree"), tree);

  const Bytes info = streamBytes(path, "\\Token\\Token Table Info");
  ASSERT_EQ(info.size(), 136u);
  Bytes head;
  put32(&head, 1), put32(&head, 1), put32(&head, 10), put32(&head, 0);
  head.insert(head.end(), {'F', 'X', '9', '8', '5', '0'});
  head.resize(80, 0);
  put32(&head, 52);
  EXPECT_EQ(Bytes(info.begin(), info.begin() + 84), head);
  VS_FIXEDFILEINFO version;
  ASSERT_TRUE(GetProgramVersion(&version));
  Bytes versionBytes(kVersionRecordSize);
  StoreVersionRecord(version, versionBytes.data());
  EXPECT_EQ(Bytes(info.begin() + 84, info.end()), versionBytes);
  EXPECT_EQ(info[84], 0xBD);  // the record's signature 0xFEEF04BD

  {
    COrvoItemStore store;
    ASSERT_TRUE(store.Open(path.c_str(), ORVO_OPEN_READONLY));
    CQXSummaryInfo summary;
    ASSERT_TRUE(summary.ReadFromStorage(store.GetRootStorage()));
    std::string title, keywords;
    summary.GetTitle(&title);
    summary.GetKeywords(&keywords);
    EXPECT_EQ(title, "TALLIX Table des caract\xE8res calculatrice graphique");
    EXPECT_EQ(keywords, "CFX-9850G");
  }

  CQXCommandTable back;
  ASSERT_TRUE(ReadCommandTable(path.c_str(), &back));
  QXCOMMANDINFO c;
  ASSERT_TRUE(back.LookupCommand(0x7F, 0xA3, &c));
  EXPECT_STREQ(c.description, "Variable n");
  EXPECT_EQ(back.GetCommandCount(), 2);
  CQXCommandTreeNodes nodes;
  ASSERT_TRUE(ReadCommandTree(path.c_str(), &nodes));
  EXPECT_EQ(nodes, threeNodes());

  // Writing the table alone keeps the tree; the empty table is header + end.
  ASSERT_TRUE(WriteTokenListFile(path.c_str(), CQXCommandTable(), "FX9850", "CFX-9850G"));
  EXPECT_EQ(streamBytes(path, "\\Token\\Table").size(), 1044u);
  EXPECT_EQ(streamBytes(path, "\\Token\\Command Tree"), tree);
  ASSERT_TRUE(WriteCommandTree(path.c_str(), {}));
  EXPECT_EQ(streamBytes(path, "\\Token\\Command Tree"), Bytes(4, 0xFF));
  EXPECT_EQ(streamBytes(path, "\\Token\\Table").size(), 1044u);
}

TEST_F(TokenListFile, DamagedTableIsRefusedWhole) {
  Bytes good(1024, 0);
  put32(&good, 1), put32(&good, 0), putText(&good, "x"), putText(&good, ""), putText(&good, "");
  const auto expectRefused = [&](const Bytes& bytes) {
    writeTableStream(path, bytes);
    CQXCommandTable t;
    t.SetCommand(0, 9, "kept", "", "");
    EXPECT_FALSE(ReadCommandTable(path.c_str(), &t));
    EXPECT_EQ(t.GetCommandCount(), 1);
    EXPECT_NE(t.FindCommand(0, 9), nullptr);
  };
  expectRefused(good);  // ends before the end record
  Bytes longText = good;
  put32(&longText, 2), put32(&longText, 0), putText(&longText, "y"), putText(&longText, std::string(65, 'l'));
  expectRefused(longText);
  expectRefused(Bytes(100, 0));  // shorter than the header
  EXPECT_TRUE(log.shown.empty());

  // Out-of-range records are skipped, the rest is read.
  Bytes skipped = good;
  put32(&skipped, 300), put32(&skipped, 0), putText(&skipped, "z"), putText(&skipped, ""), putText(&skipped, "");
  skipped.insert(skipped.end(), 8, 0xFF);
  skipped.insert(skipped.end(), 12, 0);
  writeTableStream(path, skipped);
  CQXCommandTable t;
  ASSERT_TRUE(ReadCommandTable(path.c_str(), &t));
  EXPECT_EQ(t.GetCommandCount(), 1);

  // No tree stream: 61733, the nodes as they were.
  CQXCommandTreeNodes nodes = threeNodes();
  EXPECT_FALSE(ReadCommandTree(path.c_str(), &nodes));
  EXPECT_EQ(nodes, threeNodes());
  ASSERT_EQ(log.shown.size(), 1u);
  EXPECT_TRUE(log.shown[0].text.startsWith(QStringLiteral("Une erreur inattendue s'est produite lors de la lecture")));
}

TEST_F(TokenListFile, FailedWriteLeavesThePreviousFile) {
  ASSERT_TRUE(WriteTokenListFileWithTree(path.c_str(), twoCommands(), "FX9850", "M", threeNodes()));
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray before = f.readAll();
  f.close();
  CQXCommandTable bigger = twoCommands();
  for (int i = 0; i < 200; ++i) bigger.SetCommand(0xF9, i, "cmd", "list", std::string(300, 'd').c_str());
  for (int writes : {0, 3}) {
    tallix::cfb::testhooks::failWritesAfter(writes, ENOSPC);
    EXPECT_FALSE(WriteTokenListFileWithTree(path.c_str(), bigger, "FX9850", "M", {}));
    EXPECT_FALSE(WriteCommandTree(path.c_str(), {}));
    tallix::cfb::testhooks::clearWriteFailures();
  }
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), before);
  EXPECT_EQ(QDir(env.dataDir()).entryList(QDir::Files), QStringList{QStringLiteral("QXToken.tok")});
  ASSERT_EQ(log.shown.size(), 4u);
  EXPECT_TRUE(log.shown[0].text.contains(QString::fromStdString(path)));
}

TEST_F(TokenListFile, CommandListsRoundTripThroughTheProfile) {
  const CQXCommandTable t = twoCommands();
  SaveLastUsedCmdList({MakeCommandValue(0x7F, 0xA3), MakeCommandValue(0, 0x41), MakeCommandValue(0xF7, 1)});
  BYTE* data = nullptr;
  UINT size = 0;
  ASSERT_TRUE(AppGetProfileBinary("Token View", "Last Used Cmds", &data, &size));
  EXPECT_EQ(Bytes(data, data + size), (Bytes{0x7F, 0xA3, 0x00, 0x41, 0xF7, 0x01}));
  delete[] data;
  // The code the table lacks is dropped.
  EXPECT_EQ(LoadLastUsedCmdList(t), (std::vector<DWORD>{MakeCommandValue(0x7F, 0xA3), MakeCommandValue(0, 0x41)}));
  const BYTE three[] = {0x00, 0x41, 0x7F};
  AppWriteProfileBinary("Token View", "User def Cmds", three, 3);
  EXPECT_EQ(LoadUserCmdList(t), std::vector<DWORD>{MakeCommandValue(0, 0x41)});
  SaveUserCmdList({});
  EXPECT_TRUE(LoadUserCmdList(t).empty());

  SaveTreeSelectionPath("Token View", "Cmd Tree Last Item", {"Commandes calculatrice graphique", "Maths"});
  std::vector<BYTE> raw;
  ASSERT_TRUE(tallix::profileBinary("Token View", "Cmd Tree Last Item", &raw));
  const std::string expected = std::string("Commandes calculatrice graphique") + '\0' + "Maths" + '\0' + '\0';
  EXPECT_EQ(std::string(raw.begin(), raw.end()), expected);
  std::vector<std::string> labels;
  ASSERT_TRUE(LoadTreeSelectionPath("Token View", "Cmd Tree Last Item", &labels));
  int matched = 0;
  EXPECT_TRUE(MatchTreeSelectionPath("Commandes calculatrice graphique", threeNodes(), labels, &matched));
  EXPECT_EQ(matched, 0);
  EXPECT_EQ(EncodeTreeSelectionPath({}), Bytes{0});
}

}  // namespace
