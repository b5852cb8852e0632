// The summary-information set against hand-assembled bytes and an outside
// reader (Debian's olefile), the read-only mark, and damaged streams.
#include "services/QXSummaryInfo.h"
#include "platform/storage/MemoryStorage.h"
#include "tests/platform/StorageTestSupport.h"

#include <QDateTime>
#include <QProcess>

using namespace storagetest;

namespace {

// Little-endian bytes, assembled by hand.
struct Builder {
  Bytes b;
  Builder& u16(unsigned v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
    return *this;
  }
  Builder& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Builder& bytes(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  Builder& guid(const GUID& g) {
    u32(g.Data1).u16(g.Data2).u16(g.Data3);
    b.insert(b.end(), g.Data4, g.Data4 + 8);
    return *this;
  }
  Builder& fill4() {
    while (b.size() % 4) b.push_back(0);
    return *this;
  }
  // A typed 8-bit string property: type, length with NUL, text, NUL, fill.
  Builder& lpstr(const std::string& s) { return u32(VT_LPSTR).u32(DWORD(s.size() + 1)).bytes(s + '\0').fill4(); }
};

// A section from (id, serialized property) pairs, table and all.
Bytes section(const std::vector<std::pair<DWORD, Bytes>>& properties) {
  Builder body;
  std::vector<std::uint32_t> offsets;
  const std::size_t head = 8 + 8 * properties.size();
  for (const auto& [id, bytes] : properties) {
    offsets.push_back(std::uint32_t(head + body.b.size()));
    body.b.insert(body.b.end(), bytes.begin(), bytes.end());
  }
  Builder s;
  s.u32(std::uint32_t(head + body.b.size())).u32(DWORD(properties.size()));
  for (std::size_t i = 0; i < properties.size(); ++i) s.u32(properties[i].first).u32(offsets[i]);
  s.b.insert(s.b.end(), body.b.begin(), body.b.end());
  return s.b;
}

// A set stream holding the given sections.
Bytes propertySet(const std::vector<std::pair<GUID, Bytes>>& sections, const GUID& classId) {
  Builder h;
  h.u16(0xFFFE).u16(0).u32(0x0002000A).guid(classId).u32(DWORD(sections.size()));
  std::size_t at = 28 + 20 * sections.size();
  for (const auto& [id, bytes] : sections) {
    h.guid(id).u32(std::uint32_t(at));
    at += bytes.size();
  }
  for (const auto& s : sections) h.b.insert(h.b.end(), s.second.begin(), s.second.end());
  return h.b;
}

ComPtr<IStorage> memoryStorage() {
  ComPtr<IStorage> s;
  EXPECT_EQ(tallix::cfb::createMemoryStorage(kCreate, s.put()), S_OK);
  return s;
}

Bytes summaryBytes(CQXSummaryInfo& info) {
  auto s = memoryStorage();
  EXPECT_TRUE(info.WriteToStorage(s.get()));
  return readStream(s.get(), kSummaryInformationStream).value_or(Bytes{});
}

TEST(SummaryInfo, FreshSetMatchesHandAssembledBytes) {
  CQXSummaryInfo info;
  ASSERT_TRUE(info.SetTitle("Hello"));

  const auto filetime0 = [] { return Builder().u32(VT_FILETIME).u32(0).u32(0).b; };
  const auto i4zero = [] { return Builder().u32(VT_I4).u32(0).b; };
  const Bytes empty = Builder().lpstr("").b;
  const Bytes title = Builder().lpstr("Hello").b;
  ASSERT_EQ(title.size(), 4u + 4 + 6 + 2);
  const Bytes expected = propertySet(
      {{FMTID_SummaryInformation,
        section({{1, Builder().u32(VT_I2).u16(1252).u16(0).b},
                 {2, title}, {3, empty}, {4, empty}, {5, empty}, {6, empty}, {7, empty}, {8, empty},
                 {9, Builder().lpstr("0").b},
                 {10, filetime0()}, {11, filetime0()}, {13, filetime0()}, {12, filetime0()},
                 {14, i4zero()}, {15, i4zero()}, {16, i4zero()},
                 {18, empty},
                 {0x80000002, i4zero()},
                 // The dictionary: one entry, the empty section name; no fill.
                 {0, Builder().u32(1).u32(0).u32(1).bytes(std::string(1, '\0')).b}})}},
      FMTID_SummaryInformation);
  EXPECT_EQ(summaryBytes(info), expected);
}

TEST(SummaryInfo, ReadsBackWhatItWroteAndCountsRevisions) {
  CQXSummaryInfo info;
  info.SetTitle("Titre");
  info.SetAuthor("Auteur");
  info.SetComments("R\xE9sum\xE9 de la sauvegarde");
  info.SetKeywords("FX9850");
  info.GetSummarySection()->Set(PIDSI_REVNUMBER, "41", VT_LPSTR);
  ASSERT_TRUE(info.IncrementRevision());
  const Bytes first = summaryBytes(info);

  auto s = memoryStorage();
  ASSERT_EQ(writeStream(s.get(), kSummaryInformationStream, first), S_OK);
  CQXSummaryInfo again;
  ASSERT_TRUE(again.ReadFromStorage(s.get()));
  std::string text;
  again.GetTitle(&text);
  EXPECT_EQ(text, "Titre");
  again.GetComments(&text);
  EXPECT_EQ(text, "R\xE9sum\xE9 de la sauvegarde");
  again.GetKeywords(&text);
  EXPECT_EQ(text, "FX9850");
  DWORD length = 0;
  const BYTE* revision = again.GetSummarySection()->Get(PIDSI_REVNUMBER, &length);
  ASSERT_NE(revision, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(revision)), "42");
  // Saved again, the set keeps its bytes: one dictionary, at the end.
  EXPECT_EQ(summaryBytes(again), first);
}

TEST(SummaryInfo, OlefileReadsTheMetadata) {
  QProcess probe;
  probe.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import olefile")});
  ASSERT_TRUE(probe.waitForFinished(30000) && probe.exitCode() == 0) << "python3-olefile is missing";

  QTemporaryDir dir;
  const std::string file = dir.filePath(QStringLiteral("doc.qxd")).toStdString();
  const qint64 before = QDateTime::currentSecsSinceEpoch();
  {
    ComPtr<IStorage> root;
    ASSERT_EQ(createFile(file, kCreate, &root), S_OK);
    CQXSummaryInfo info;
    info.SetTitle("Titre");
    info.SetAuthor("Auteur");
    info.SetComments("Donn\xE9" "es");
    info.SetAppName("TALLIX PROFESSIONAL");
    info.SetCreateTime();
    info.SetLastSaveTime();
    info.IncrementRevision();
    ASSERT_TRUE(info.WriteToStorage(root.get()));
  }
  QProcess peer;
  peer.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(SUMMARY_PEER_SCRIPT), QString::fromStdString(file)});
  ASSERT_TRUE(peer.waitForFinished(60000));
  ASSERT_EQ(peer.exitCode(), 0) << peer.readAllStandardError().constData();
  std::map<std::string, std::string> meta;
  for (const QByteArray& line : peer.readAllStandardOutput().split('\n')) {
    const qsizetype eq = line.indexOf('=');
    if (eq > 0) meta[line.left(eq).toStdString()] = line.mid(eq + 1).toStdString();
  }
  EXPECT_EQ(meta["title"], "5469747265");                  // "Titre"
  EXPECT_EQ(meta["author"], "417574657572");               // "Auteur"
  EXPECT_EQ(meta["comments"], "446f6e6ee96573");           // "Données" in Windows-1252
  EXPECT_EQ(meta["creating_application"], QByteArray("TALLIX PROFESSIONAL").toHex().toStdString());
  EXPECT_EQ(meta["revision_number"], "31");                // "1"
  EXPECT_EQ(meta["codepage"], "1252");
  for (const char* key : {"create_time", "last_saved_time"}) {
    const qint64 t = std::stoll(meta[key].empty() ? "0" : meta[key]);
    EXPECT_GE(t, before - 1) << key;
    EXPECT_LE(t, QDateTime::currentSecsSinceEpoch() + 1) << key;
  }
}

// "\005DocumentSummaryInformation" with an empty first section and the
// user-defined section holding `properties` named by `names`.
Bytes docSummary(const std::vector<std::pair<DWORD, std::string>>& names,
                 std::vector<std::pair<DWORD, Bytes>> properties, bool unicode = false) {
  Builder dictionary;
  dictionary.u32(DWORD(names.size()));
  for (const auto& [id, name] : names) {
    dictionary.u32(id).u32(DWORD(name.size() + 1));
    if (unicode) {
      for (char c : name + '\0') dictionary.u16(std::uint8_t(c));
      dictionary.fill4();
    } else {
      dictionary.bytes(name + '\0');
    }
  }
  properties.insert(properties.begin(), {0, dictionary.fill4().b});
  properties.insert(properties.begin(), {1, Builder().u32(VT_I2).u16(unicode ? 1200 : 1252).u16(0).b});
  const GUID docSummaryId{0xD5CDD502, 0x2E9C, 0x101B, {0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE}};
  return propertySet({{docSummaryId, section({})}, {FMTID_UserDefinedProperties, section(properties)}}, CLSID_NULL);
}

Bytes boolProperty(bool value) { return Builder().u32(VT_BOOL).u16(value ? 0xFFFF : 0).u16(0).b; }

// {marked, show message}; show message starts TRUE as the document has it.
std::pair<BOOL, BOOL> markOf(const Bytes& stream) {
  auto s = memoryStorage();
  EXPECT_EQ(writeStream(s.get(), kDocSummaryInformationStream, stream), S_OK);
  BOOL show = TRUE;
  const BOOL marked = IsMarkedReadOnly(s.get(), &show);
  return {marked, show};
}

TEST(ReadOnlyMark, OnlyABooleanTrueSilencesTheWarning) {
  // Another program's property of a type we do not keep comes first.
  const Bytes other = Builder().u32(19).u32(7).b;
  EXPECT_EQ(markOf(docSummary({{2, "Client"}, {3, "QXL Read-Only"}}, {{2, other}, {3, boolProperty(true)}})),
            std::make_pair(TRUE, FALSE));
  EXPECT_EQ(markOf(docSummary({{3, "QXL Read-Only"}}, {{3, boolProperty(false)}})), std::make_pair(TRUE, TRUE));
  EXPECT_EQ(markOf(docSummary({{3, "QXL Read-Only"}}, {{3, Builder().lpstr("TRUE").b}})).first, FALSE);
  EXPECT_EQ(markOf(docSummary({{3, "Other"}}, {{3, boolProperty(true)}})).first, FALSE);
  // UTF-16 names when the section's code page is 1200; case does not matter.
  EXPECT_EQ(markOf(docSummary({{2, "Client"}, {5, "qxl read-only"}}, {{2, other}, {5, boolProperty(true)}}, true)),
            std::make_pair(TRUE, FALSE));

  testing::internal::CaptureStdout();
  BOOL show = TRUE;
  EXPECT_FALSE(IsMarkedReadOnly(memoryStorage().get(), &show));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "No DocSummaryInformation Defined Properties.\n");
  EXPECT_TRUE(show);
}

TEST(SummaryInfo, DamagedStreamsReadAsMissing) {
  CQXSummaryInfo sample;
  sample.SetTitle("Hello");
  const Bytes good = summaryBytes(sample);
  const auto readsAsMissing = [](const Bytes& bytes) {
    auto s = memoryStorage();
    EXPECT_EQ(writeStream(s.get(), kSummaryInformationStream, bytes), S_OK);
    CQXSummaryInfo info;
    info.SetTitle("kept");
    const BOOL ok = info.ReadFromStorage(s.get());
    std::string title;
    info.GetTitle(&title);
    EXPECT_EQ(title, "kept");  // a failed read leaves the set as it was
    return !ok;
  };
  for (std::size_t n = 0; n < good.size(); ++n)
    EXPECT_TRUE(readsAsMissing(Bytes(good.begin(), good.begin() + std::ptrdiff_t(n)))) << "cut at " << n;

  const std::size_t sectionAt = 48, titleAt = sectionAt + 8 + 19 * 8 + 8;
  const auto patched = [&](std::size_t at, std::uint32_t v) {
    Bytes b = good;
    put32At(b, at, v);
    return b;
  };
  EXPECT_TRUE(readsAsMissing(patched(24, 0xFFFFFFFF)));             // section count
  EXPECT_TRUE(readsAsMissing(patched(44, 0x7FFFFFF0)));             // section offset
  EXPECT_TRUE(readsAsMissing(patched(sectionAt + 4, 0x20000000)));  // property count
  EXPECT_TRUE(readsAsMissing(patched(sectionAt + 12, 0xFFFFFFF0))); // property offset
  EXPECT_TRUE(readsAsMissing(patched(titleAt + 4, 0xFFFFFFF0)));    // string length
  EXPECT_TRUE(readsAsMissing(patched(titleAt, 99)));                // unknown type
  EXPECT_TRUE(readsAsMissing(patched(titleAt, VT_VECTOR | VT_LPSTR)));  // vector count from the text
  EXPECT_TRUE(readsAsMissing(patched(good.size() - 13, 0x40000000)));   // dictionary entries
  EXPECT_TRUE(readsAsMissing(patched(28, 0)));                          // no summary section
  // Many table entries on one large value would take far more memory than
  // the stream holds.
  Builder shared;
  shared.u32(8 + 200 * 8 + 8 + 4000).u32(200);
  for (DWORD i = 0; i < 200; ++i) shared.u32(2 + i).u32(8 + 200 * 8);
  shared.u32(VT_BLOB).u32(4000).b.resize(shared.b.size() + 4000);
  EXPECT_TRUE(readsAsMissing(propertySet({{FMTID_SummaryInformation, shared.b}}, FMTID_SummaryInformation)));
}

TEST(ReadOnlyMark, DamagedSetsAreNotMarked) {
  const Bytes good = docSummary({{3, "QXL Read-Only"}}, {{3, boolProperty(true)}});
  testing::internal::CaptureStdout();
  for (std::size_t n = 0; n + 2 < good.size(); ++n)  // the last two bytes are fill
    EXPECT_EQ(markOf(Bytes(good.begin(), good.begin() + std::ptrdiff_t(n))).second, TRUE) << "cut at " << n;
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(markOf(good), std::make_pair(TRUE, FALSE));
}

}  // namespace
