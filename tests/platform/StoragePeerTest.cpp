// Other compound-file implementations read what we write, and we read what
// they write: Debian's olefile (through tests/platform/cfb_peer.py, which also
// checks our directory trees) and libgsf's "gsf" tool.
#include "charset/Cp1252.h"
#include "tests/platform/StorageTestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <set>

using namespace storagetest;

namespace {

struct ProcessRun {
  int exitCode = -1;
  QByteArray out, err;
};

ProcessRun run(const QString& program, const QStringList& args, const QString& workDir = {}) {
  QProcess p;
  if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
  p.start(program, args);
  ProcessRun r;
  if (!p.waitForStarted(10000)) {
    r.err = "cannot start " + program.toUtf8();
    return r;
  }
  p.waitForFinished(120000);
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput();
  r.err = p.readAllStandardError();
  return r;
}

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kGsf = QStringLiteral("gsf");

std::string clsidText(const CLSID& id) {
  if (id == CLSID_NULL) return "";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", id.Data1, id.Data2, id.Data3,
                id.Data4[0], id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6],
                id.Data4[7]);
  return buf;
}

std::string hexOf(const std::string& s) { return QByteArray::fromStdString(s).toHex().toStdString(); }

// What cfb_peer.py lists for a tree whose storages have the given class ids.
std::set<std::string> expectedListing(const Tree& tree, const std::map<std::string, CLSID>& classes = {}) {
  std::set<std::string> lines;
  for (const auto& [path, bytes] : tree) {
    const QByteArray sha = QCryptographicHash::hash(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())), QCryptographicHash::Sha1);
    lines.insert("stream " + hexOf(path) + " " + std::to_string(bytes.size()) + " " + sha.toHex().toStdString());
    for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
      const std::string storage = path.substr(0, slash);
      const auto it = classes.find(storage);
      lines.insert("storage " + hexOf(storage) + " 0" + (it == classes.end() ? "" : " " + clsidText(it->second)));
    }
  }
  return lines;
}

std::set<std::string> olefileListing(const std::string& file, std::string* rootClass = nullptr) {
  const ProcessRun r = run(kPython, {QStringLiteral(CFB_PEER_SCRIPT), QStringLiteral("list"), QString::fromStdString(file)});
  EXPECT_EQ(r.exitCode, 0) << r.err.constData();
  std::set<std::string> lines;
  for (const QByteArray& line : r.out.split('\n')) {
    std::string text = line.trimmed().toStdString();
    if (text.rfind("root ", 0) == 0) {
      if (rootClass) *rootClass = text.size() > 9 ? text.substr(9) : "";
    } else if (!text.empty()) {
      lines.insert(text);
    }
  }
  return lines;
}

// gsf's listing: stream paths (UTF-8) and sizes; storages with size -1.
std::map<std::string, std::int64_t> gsfListing(const std::string& file) {
  const ProcessRun r = run(kGsf, {QStringLiteral("list"), QString::fromStdString(file)});
  EXPECT_EQ(r.exitCode, 0) << r.err.constData();
  static const QRegularExpression line(
      QStringLiteral("^([fd])\\s+(?:\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\s+)?(\\d+) (.*)$"));
  std::map<std::string, std::int64_t> out;
  for (const QString& text : QString::fromUtf8(r.out).split(QLatin1Char('\n'))) {
    const auto m = line.match(text);
    if (!m.hasMatch() || m.captured(3) == QLatin1String("*root*")) continue;
    out[m.captured(3).toStdString()] = m.captured(1) == QLatin1String("f") ? m.captured(2).toLongLong() : -1;
  }
  return out;
}

std::string utf8Of(const std::string& cp1252) { return tallix::fromCp1252(cp1252).toStdString(); }

class StoragePeers : public StorageTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(run(kPython, {QStringLiteral("-c"), QStringLiteral("import olefile")}).exitCode, 0)
        << "python3-olefile is missing: run scripts/packages.sh";
    ASSERT_EQ(run(kGsf, {QStringLiteral("help")}).exitCode, 0) << "gsf (libgsf-bin) is missing: run scripts/packages.sh";
  }

  void expectGsfReads(const std::string& file, const Tree& tree) {
    std::map<std::string, std::int64_t> expected;
    for (const auto& [path, bytes] : tree) {
      expected[utf8Of(path)] = std::int64_t(bytes.size());
      for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
        expected[utf8Of(path.substr(0, slash))] = -1;
    }
    EXPECT_EQ(gsfListing(file), expected);
    for (const auto& [path, bytes] : tree) {
      const ProcessRun r = run(kGsf, {QStringLiteral("cat"), QString::fromStdString(file), QString::fromStdString(utf8Of(path))});
      EXPECT_EQ(r.exitCode, 0) << path;
      EXPECT_TRUE(Bytes(r.out.begin(), r.out.end()) == bytes) << "gsf cat " << path;
    }
  }

  // Our own files: every size class, nested storages, names outside ASCII,
  // and a stream that needs DIFAT sectors.
  Tree peerTree() {
    Tree t;
    std::uint32_t salt = 1;
    for (std::size_t size : {0, 1, 64, 4095, 4096, 70000}) t["Sizes/s" + std::to_string(size)] = pattern(salt++, size);
    t["Directory"] = pattern(20, 1077);
    t["Data_Items/Item_00001024"] = pattern(21, 10);
    t["Data_Items/Inner/Item_00001025"] = pattern(22, 5000);
    t["\x05SummaryInformation"] = pattern(23, 300);
    t["\xC9l\xE9ments \x80"] = pattern(24, 17);
    for (int i = 0; i < 40; ++i) t["Many/Item_" + std::to_string(1000 + i)] = pattern(100 + i, std::size_t(i * 37));
    t["Big"] = pattern(25, 7200000);
    return t;
  }
};

TEST_F(StoragePeers, OlefileAndGsfReadEveryStreamWeWrite) {
  const Tree tree = peerTree();
  const std::string p = path("ours.qxd");
  const CLSID rootId{0x11223344, 0x5566, 0x7788, {0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00}};
  const CLSID itemsId{0xA1B2C3D4, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  {
    ComPtr<IStorage> root, items;
    ASSERT_EQ(createFile(p, kCreateTransacted, &root), S_OK);
    ASSERT_EQ(writeTree(root.get(), tree), S_OK);
    ASSERT_EQ(root->SetClass(rootId), S_OK);
    ASSERT_EQ(root->OpenStorage("Data_Items", nullptr, kSub, nullptr, 0, items.put()), S_OK);
    ASSERT_EQ(items->SetClass(itemsId), S_OK);
    items.reset();
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  }
  std::string rootClass;
  EXPECT_EQ(olefileListing(p, &rootClass), expectedListing(tree, {{"Data_Items", itemsId}}));
  EXPECT_EQ(rootClass, clsidText(rootId));
  expectGsfReads(p, tree);
}

TEST_F(StoragePeers, FilesWeChangeStayReadableByThePeers) {
  Tree tree = peerTree();
  tree.erase("Big");
  const std::string p = makeFile("changed.qxd", tree);
  for (int round = 0; round < 3; ++round) {
    ComPtr<IStorage> root;
    ASSERT_EQ(openFile(p, kOpenRW | (round == 1 ? 0 : STGM_TRANSACTED), &root), S_OK);
    tree["Sizes/s4096"] = pattern(60 + round, round == 1 ? 100 : 9000);
    tree.erase("Many/Item_" + std::to_string(1000 + round));
    ASSERT_EQ(writeTree(root.get(), {{"Sizes/s4096", tree["Sizes/s4096"]}}), S_OK);
    ComPtr<IStorage> many;
    ASSERT_EQ(root->OpenStorage("Many", nullptr, kSub, nullptr, 0, many.put()), S_OK);
    ASSERT_EQ(many->DestroyElement(("Item_" + std::to_string(1000 + round)).c_str()), S_OK);
    many.reset();
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  }
  EXPECT_EQ(olefileListing(p), expectedListing(tree));
  expectGsfReads(p, tree);
}

TEST_F(StoragePeers, WeReadWhatGsfWritesAndGsfReadsOurChangesToIt) {
  QDir input(dir_.filePath(QStringLiteral("input")));
  ASSERT_TRUE(input.mkpath(QStringLiteral("sub/deeper")));
  const Tree files{{"empty", {}},           {"small.txt", pattern(1, 100)},     {"cutoff", pattern(2, 4096)},
                   {"medium.bin", pattern(3, 5000)}, {"large.bin", pattern(4, 300000)},
                   {"sub/leaf", pattern(5, 70)},     {"sub/deeper/leaf2", pattern(6, 6000)}};
  for (const auto& [name, bytes] : files) writeFile(input.filePath(QString::fromStdString(name)).toStdString(), bytes);
  const std::string p = path("gsf.ole");
  const ProcessRun made = run(kGsf,
                       {QStringLiteral("createole"), QString::fromStdString(p), QStringLiteral("empty"),
                        QStringLiteral("small.txt"), QStringLiteral("cutoff"), QStringLiteral("medium.bin"),
                        QStringLiteral("large.bin"), QStringLiteral("sub")},
                       input.path());
  ASSERT_EQ(made.exitCode, 0) << made.err.constData();
  EXPECT_EQ(treeOf(p), files);

  Tree changed = files;
  changed["added"] = pattern(7, 12345);
  changed["small.txt"] = pattern(8, 10);
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
    ASSERT_EQ(writeTree(root.get(), {{"added", changed["added"]}, {"small.txt", changed["small.txt"]}}), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  }
  EXPECT_EQ(treeOf(p), changed);
  expectGsfReads(p, changed);
  EXPECT_EQ(olefileListing(p), expectedListing(changed));
}

TEST_F(StoragePeers, VersionFourFilesAreReadAndKeepTheirVersionWhenChanged) {
  const std::string p = path("v4.cfb");
  ASSERT_EQ(run(kPython, {QStringLiteral(CFB_PEER_SCRIPT), QStringLiteral("make-v4"), QString::fromStdString(p)}).exitCode, 0);
  Tree tree{{"Big", pattern(2, 10000)}, {"Small", pattern(1, 100)}, {"Sub/Inner", pattern(3, 5000)},
            {"Sub/Tiny", pattern(4, 1)}};
  EXPECT_EQ(treeOf(p), tree);
  const CLSID subId{0x04030201, 0x0605, 0x0807, {9, 10, 11, 12, 13, 14, 15, 16}};
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(openFile(p, kOpenRW | STGM_TRANSACTED, &root), S_OK);
    std::vector<STATSTG> elements;
    ASSERT_EQ(root->EnumElements(&elements), S_OK);
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[1].pwcsName, "Sub");
    EXPECT_EQ(elements[1].clsid, subId);
    tree["Added"] = pattern(9, 7000);
    tree["Small"] = pattern(10, 3);
    ASSERT_EQ(writeTree(root.get(), {{"Added", tree["Added"]}, {"Small", tree["Small"]}}), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  }
  const Bytes raw = readFile(p);
  EXPECT_EQ(raw[26], 4);  // major version
  EXPECT_EQ(raw.size() % 4096, 0u);
  EXPECT_EQ(treeOf(p), tree);
  EXPECT_EQ(olefileListing(p), expectedListing(tree, {{"Sub", subId}}));
  expectGsfReads(p, tree);
}

}  // namespace
