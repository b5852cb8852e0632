// The document: its two records, the default folders of each family,
// opening (refused versions, write-protected files, old files through the
// import), saving and what a failed save leaves behind.
#include "app/DocManagerEx.h"
#include "app/OldFileImport.h"
#include "app/QXDoc.h"
#include "app/QXMainFrame.h"
#include "app/QXSingleDocTemplate.h"
#include "app/QXTreeView.h"
#include "charset/Cp1252.h"
#include "classlib/ProgramVersion.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/OrvoItemStream.h"
#include "platform/ByteOrder.h"
#include "platform/FrameWnd.h"
#include "platform/LanguageLibrary.h"
#include "platform/WinApp.h"
#include "platform/storage/StorageTestHooks.h"
#include "tests/support/FifoWatch.h"
#include "tests/support/FileDialogScript.h"
#include "tests/support/MessageLog.h"
#include "tests/support/SparseCompoundFile.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace tallix::test;

namespace {

QByteArray le32(DWORD v) {
  BYTE b[4];
  PutLittleEndian32(b, v);
  return QByteArray(reinterpret_cast<const char*>(b), 4);
}

QByteArray padded(const char* text, int size) {
  QByteArray bytes(text);
  bytes.resize(size, '\0');
  return bytes;
}

QByteArray readStream(COrvoItemStore* store, const char* path) {
  COrvoItemStream stream(store);
  if (!stream.Open(path, 1, FALSE)) return "<missing>";
  DWORD length = 0;
  stream.GetLength(&length);
  QByteArray bytes(int(length), '\0');
  stream.Read(bytes.data(), length);
  return bytes;
}

// The paths of the tree's entries, depth first.
QStringList treePaths(CQXTreeView* tree) {
  QStringList out;
  CTreeCtrl& ctrl = tree->GetTreeCtrl();
  std::function<void(HTREEITEM)> walk = [&](HTREEITEM item) {
    for (; item; item = ctrl.GetNextSiblingItem(item)) {
      char path[256];
      tree->GetItemPath(item, path, sizeof path);
      out << QString::fromLatin1(path);
      walk(ctrl.GetChildItem(item));
    }
  };
  walk(ctrl.GetRootItem());
  return out;
}

// Files two programs into the new document, as a converter does.
class StandInImport : public CQXOldFileImport {
 public:
  int Open(const char*, void** handle) override {
    *handle = this;
    return 0;
  }
  int GetCalcName(void*, char* buffer, UINT size) override {
    std::strncpy(buffer, "CFX-9850G", size);
    return 0;
  }
  int GetCalcType(void*, char* buffer, UINT size) override {
    std::strncpy(buffer, type, size);
    return 0;
  }
  void Close(void*) override { ++closed; }
  int Convert(void*, BOOL, CQXDoc* doc, int* skipped) override {
    *skipped = 0;
    for (const char* name : {"\\Calculator\\Program\\ONE", "\\Calculator\\Program\\TWO"}) {
      COrvoItemStream stream(doc->GetItemStore());
      if (!stream.Create(name, 2, name + 20)) return 0;
      stream.Write("data", 4);
    }
    return 1;
  }
  const char* type = "FX9850";
  int closed = 0;
};

// Another instance with the document TALLIX_PEER_FILE open, until its
// standard input closes. Run by the test of a locked file in a second
// process of this binary.
TEST(DocumentPeer, DISABLED_HoldTheDocumentUntilStdinCloses) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  MessageLog messages;
  CWinApp app;
  app.m_pDocManager = std::make_unique<CDocManagerEx>();
  app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CQXMainFrame),
                                              RUNTIME_CLASS(CQXTreeView)));
  ASSERT_TRUE(app.OpenDocumentFile(qEnvironmentVariable("TALLIX_PEER_FILE")));
  servePeerUntilStdinCloses();
  app.m_pMainWnd->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class Document : public ::testing::Test {
 protected:
  Document() {
    app.m_pDocManager = std::make_unique<CDocManagerEx>();
    app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CFrameWnd),
                                                RUNTIME_CLASS(CQXTreeView)));
    app.OnFileNew();
    doc = qobject_cast<CQXDoc*>(app.m_pDocManager->GetDocTemplates().front()->GetDocuments().at(0));
  }
  ~Document() override {
    tallix::cfb::testhooks::clearWriteFailures();
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.m_pDocManager.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QString path(const QString& name) const { return dir.filePath(name); }
  // Saves the document under `name` through Save As.
  bool saveAs(const QString& name) {
    FileDialogScript script;
    script.actions.push_back([&](CFileDialog& d) { chooseFile(d, path(name)); });
    doc->OnFileSave(ID_FILE_SAVE_AS);
    return doc->GetPathName() == path(name) && !doc->IsModified();
  }
  // Opens through the application, then lets posted commands run.
  CDocument* open(const QString& name) {
    CDocument* opened = app.OpenDocumentFile(path(name));
    QCoreApplication::sendPostedEvents();
    return opened;
  }
  // A saved document whose Document Info is changed by `edit`.
  void writeWithInfo(const QString& name, const std::function<void(QByteArray&)>& edit) {
    ASSERT_TRUE(saveAs(name));
    ASSERT_TRUE(doc->OnNewDocument());  // lets the file go
    COrvoItemStore store;
    ASSERT_TRUE(store.Open(QFile::encodeName(path(name)).constData(), ORVO_SHARE_EXCLUSIVE));
    QByteArray info = readStream(&store, kDocInfoPath);
    edit(info);
    COrvoItemStream stream(&store);
    ASSERT_TRUE(stream.Open(kDocInfoPath, 2, FALSE));
    stream.Write(info.constData(), UINT(info.size()));
    stream.Close();
    ASSERT_TRUE(store.Commit());
  }
  void addProgram(const char* name) {
    OrvoNodeInfo node;
    node.SetPath((std::string("\\Calculator\\Program\\") + name).c_str());
    node.valueB = 4001;
    ASSERT_TRUE(doc->GetItemStore()->AddNode(&node));
    doc->SetModifiedFlag();
  }
  // Whether the file as it lies on disk holds the node (read from a copy:
  // the document keeps its file to itself).
  bool fileHasNode(const QString& name, const char* nodePath) {
    const QString copy = path(QStringLiteral("snapshot"));
    QFile::remove(copy);
    if (!QFile::copy(path(name), copy)) return false;
    COrvoItemStore store;
    const bool found = store.Open(QFile::encodeName(copy).constData(), ORVO_OPEN_READONLY) && hasNode(&store, nodePath);
    store.Close();
    QFile::remove(copy);
    return found;
  }
  bool hasNode(COrvoItemStore* store, const char* nodePath) {
    OrvoNodeInfo node;
    return store->GetNodeInfo(nodePath, &node);
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  CWinApp app;
  QTemporaryDir dir;
  CQXDoc* doc = nullptr;
};

TEST_F(Document, NewDocumentsCarryTheirRecordsAndTheFoldersOfTheirFamily) {
  ASSERT_TRUE(doc);
  VS_FIXEDFILEINFO version{};
  ASSERT_TRUE(GetProgramVersion(&version));
  BYTE versionBytes[kVersionRecordSize];
  StoreVersionRecord(version, versionBytes);
  const QByteArray viewState = padded("\\Calculator", 256) + le32(2) + le32(1);
  for (const char* type : {"FX9850", "FXALGEBRA20"}) {
    SCOPED_TRACE(type);
    ASSERT_TRUE(doc->NewDocumentForCalculator("Model", type));
    const QByteArray info = le32(1) + le32(1) + le32(10) + le32(1024) + padded(type, 64) + le32(52) +
                            QByteArray(reinterpret_cast<const char*>(versionBytes), 52);
    EXPECT_EQ(readStream(doc->GetItemStore(), kDocInfoPath), info);
    EXPECT_EQ(readStream(doc->GetItemStore(), kViewStatePath), viewState);
    EXPECT_EQ(doc->NextUniqueNumber(), 1025u);
  }
  // The newer family's tree.
  CQXTreeView* tree = doc->GetTreeView();
  QStringList top;
  for (const QString& p : treePaths(tree))
    if (p.count(QLatin1Char('\\')) == 2) top << p.mid(12);
  // In the store's order: folders before items.
  EXPECT_EQ(top, QStringList({"Program", "Matrix", "List", "Y=Data", "File", "VWin", "Equation", "Picture", "Memory",
                              "Display", "Variable", "FMemV5"}));
  COrvoItemStore* store = doc->GetItemStore();
  auto node = [&](const char* p) {
    OrvoNodeInfo n;
    EXPECT_TRUE(store->GetNodeInfo(p, &n)) << p;
    return QStringLiteral("%1|%2|%3").arg(tallix::fromCp1252(n.description)).arg(n.valueB).arg(n.flags);
  };
  EXPECT_EQ(node("\\Calculator"), "Model|0|1");
  EXPECT_EQ(node("\\Calculator\\Program"), "Programmes|4001|33");
  EXPECT_EQ(node("\\Calculator\\Matrix\\Mat_Z"), "Matrice Z|5004|0");
  EXPECT_EQ(node("\\Calculator\\File\\File3"), "Fichier de listage 3|0|1");
  EXPECT_EQ(node("\\Calculator\\File\\File6\\List20"), "Liste 20|5005|0");
  EXPECT_EQ(node("\\Calculator\\VWin\\VMem6"), QString::fromUtf8("Fenêtre de visualisation 6|5006|0"));
  EXPECT_EQ(node("\\Calculator\\Y=Data\\VWinRight"), QString::fromUtf8("Fenêtre de visualisation (à droite)|5006|0"));
  EXPECT_EQ(node("\\Calculator\\Memory\\E-CON"), "EA-100 Controller|5028|0");
  EXPECT_EQ(node("\\Calculator\\Display"), QString::fromUtf8("Copies d'écrans|4017|1"));
  EXPECT_EQ(tree->GetTreeCtrl().GetCount(), 246u);

  ASSERT_TRUE(doc->NewDocumentForCalculator("Model", "FX9850"));
  store = doc->GetItemStore();
  EXPECT_EQ(node("\\Calculator\\Matrix\\MatA"), "Matrice A|4004|0");
  EXPECT_EQ(node("\\Calculator\\Variable"), "Variables|4010|0");
  EXPECT_EQ(node("\\Calculator\\Memory\\GMem\\GMem6"), QString::fromUtf8("Mémoire de graphes 6|4015|0"));
  EXPECT_FALSE(hasNode(store, "\\Calculator\\Y=Data\\VWinRight"));
  EXPECT_FALSE(hasNode(store, "\\Calculator\\List\\List7"));
  EXPECT_EQ(doc->GetTreeView()->GetTreeCtrl().GetCount(), 114u);

  ASSERT_TRUE(doc->NewDocumentForCalculator("Model", "FX7400"));
  EXPECT_EQ(treePaths(doc->GetTreeView()),
            QStringList({"\\Calculator", "\\Calculator\\Program", "\\Calculator\\List", "\\Calculator\\List\\List1",
                         "\\Calculator\\List\\List2", "\\Calculator\\List\\List3", "\\Calculator\\List\\List4",
                         "\\Calculator\\List\\List5", "\\Calculator\\List\\List6", "\\Calculator\\Y=Data",
                         "\\Calculator\\Y=Data\\GraphFunctions", "\\Calculator\\Y=Data\\VWin",
                         "\\Calculator\\Y=Data\\GraphFactor", "\\Calculator\\Y=Data\\TableRange", "\\Calculator\\VWin",
                         "\\Calculator\\VWin\\VWin1", "\\Calculator\\Display", "\\Calculator\\Variable"}));
  EXPECT_TRUE(messages.shown.empty());

  // An unknown type gives the default calculator, with a word.
  ASSERT_TRUE(doc->NewDocumentForCalculator("Other", "TI83"));
  std::string name, type;
  doc->GetCalculatorName(&name);
  doc->GetCalculatorType(&type);
  EXPECT_EQ(name, "CFX-9850G");
  EXPECT_EQ(type, "FX9850");
  EXPECT_EQ(messages.texts(), std::vector<QString>{CLanguageLibrary::LoadString(10512)});
}

TEST_F(Document, RefusedVersionsNameTheWriterAndEndInANewDocument) {
  writeWithInfo("v2.qxd", [](QByteArray& info) {
    PutLittleEndian32(reinterpret_cast<BYTE*>(info.data()), 2);
    PutLittleEndian32(reinterpret_cast<BYTE*>(info.data()) + 84 + 8, 3 << 16 | 4);
    PutLittleEndian32(reinterpret_cast<BYTE*>(info.data()) + 84 + 12, 5 << 16 | 6);
  });
  writeWithInfo("v0.qxd", [](QByteArray& info) { PutLittleEndian32(reinterpret_cast<BYTE*>(info.data()), 0); });
  writeWithInfo("v1.qxd", [](QByteArray& info) { PutLittleEndian32(reinterpret_cast<BYTE*>(info.data()) + 8, 9); });
  messages.shown.clear();
  for (const char* name : {"v2.qxd", "v0.qxd", "v1.qxd"}) {
    EXPECT_FALSE(open(QString::fromLatin1(name)));
    EXPECT_TRUE(doc->GetPathName().isEmpty()) << name;
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("sans nom"));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(doc->GetItemStore()->IsOpen());
  }
  EXPECT_EQ(messages.texts(),
            (std::vector<QString>{CLanguageLibrary::FormatMessage(10507, path("v2.qxd"), QStringLiteral("3.4.5")),
                                  CLanguageLibrary::LoadString(10506), CLanguageLibrary::LoadString(10506)}));

  // A file that cannot even be probed leaves the document as it was.
  addProgram("KEEP");
  messages.shown.clear();
  messages.answers = {IDNO};  // the changes are not saved
  EXPECT_FALSE(open(QStringLiteral("missing.qxd")));
  EXPECT_TRUE(hasNode(doc->GetItemStore(), "\\Calculator\\Program\\KEEP"));
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[1].text, CLanguageLibrary::FormatMessage(61729, path("missing.qxd")));
  // So does a FIFO, which no open is ever made to wait for.
  FifoWatch fifo(path(QStringLiteral("pipe.qxd")));
  ASSERT_TRUE(fifo.made());
  messages.shown.clear();
  messages.answers = {IDNO};
  EXPECT_FALSE(fifo.openedDuring([&] { EXPECT_FALSE(open(QStringLiteral("pipe.qxd"))); }));
  EXPECT_TRUE(hasNode(doc->GetItemStore(), "\\Calculator\\Program\\KEEP"));
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[1].text, CLanguageLibrary::LoadString(61697));
  // And so does a file larger than any document.
  QFile huge(path(QStringLiteral("huge.qxd")));
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(kMaxCompoundFileSize + 1)));
  huge.close();
  messages.shown.clear();
  messages.answers = {IDNO};
  EXPECT_FALSE(open(QStringLiteral("huge.qxd")));
  EXPECT_TRUE(hasNode(doc->GetItemStore(), "\\Calculator\\Program\\KEEP"));
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[1].text, CLanguageLibrary::LoadString(61697));
}

TEST_F(Document, AFileAnotherInstanceHoldsIsNamedWithThatInstance) {
  ASSERT_TRUE(saveAs(QStringLiteral("held.qxd")));
  ASSERT_TRUE(doc->OnNewDocument());
  QProcess peer;
  ASSERT_TRUE(startPeerTest(peer, QStringLiteral("DocumentPeer.DISABLED_HoldTheDocumentUntilStdinCloses"),
                            QStringLiteral("TALLIX_PEER_FILE"), path("held.qxd")));
  messages.shown.clear();
  EXPECT_FALSE(open(QStringLiteral("held.qxd")));
  peer.closeWriteChannel();
  peer.waitForFinished(5000);
  EXPECT_EQ(messages.texts(), std::vector<QString>{CLanguageLibrary::FormatMessage(
                                  10511, path("held.qxd"), QStringLiteral("held.qxd - TALLIX PROFESSIONAL"))});
  EXPECT_TRUE(doc->GetItemStore()->IsOpen());
  EXPECT_TRUE(doc->GetPathName().isEmpty());

  // The file this document holds itself opens again: the document lets go first.
  ASSERT_TRUE(open(QStringLiteral("held.qxd")));
  addProgram("MINE");
  ASSERT_TRUE(doc->OnSaveDocument(path("held.qxd")));
  ASSERT_TRUE(open(QStringLiteral("held.qxd")));
  EXPECT_TRUE(hasNode(doc->GetItemStore(), "\\Calculator\\Program\\MINE"));
  EXPECT_FALSE(doc->IsReadOnly());
}

// Neither Save As nor an import's "Yes" replaces a document another running
// copy holds: that copy's later saves would be lost in the replaced file.
TEST_F(Document, ADocumentAnotherInstanceHoldsIsNotReplaced) {
  ASSERT_TRUE(saveAs(QStringLiteral("held.qxd")));
  ASSERT_TRUE(doc->OnNewDocument());
  const QByteArray before = fileContents(path("held.qxd"));
  ASSERT_TRUE(writeFileContents(path("held.qxi"), "old data"));
  StandInImport import;
  CQXOldFileImport* previous = SetOldFileImport(&import);
  QProcess peer;
  ASSERT_TRUE(startPeerTest(peer, QStringLiteral("DocumentPeer.DISABLED_HoldTheDocumentUntilStdinCloses"),
                            QStringLiteral("TALLIX_PEER_FILE"), path("held.qxd")));
  addProgram("NEW");
  messages.shown.clear();
  EXPECT_FALSE(saveAs(QStringLiteral("held.qxd")));  // 10155 answered "Oui"
  EXPECT_TRUE(doc->IsModified());
  EXPECT_TRUE(doc->GetPathName().isEmpty());
  const QString denied = CLanguageLibrary::FormatMessage(61697, path("held.qxd"));
  EXPECT_EQ(messages.shown.back().text, denied);

  messages.shown.clear();
  messages.answers = {IDNO, IDYES};  // the changes are not kept; the import replaces
  EXPECT_FALSE(open(QStringLiteral("held.qxi")));
  peer.closeWriteChannel();
  peer.waitForFinished(5000);
  ASSERT_FALSE(messages.shown.empty());
  EXPECT_EQ(messages.shown.back().text, denied);
  EXPECT_EQ(fileContents(path("held.qxd")), before);
  SetOldFileImport(previous);
}

TEST_F(Document, AWriteProtectedFileOpensForReadingAndSavesOnlyElsewhere) {
  ASSERT_TRUE(saveAs(QStringLiteral("ro.qxd")));
  ASSERT_TRUE(doc->OnNewDocument());
  ASSERT_TRUE(QFile::setPermissions(path("ro.qxd"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
  const QByteArray before = fileContents(path("ro.qxd"));
  messages.shown.clear();
  ASSERT_TRUE(open(QStringLiteral("ro.qxd")));
  EXPECT_TRUE(doc->IsReadOnly());
  EXPECT_EQ(messages.texts(), std::vector<QString>{CLanguageLibrary::FormatMessage(10573, path("ro.qxd"))});
  addProgram("NEW");
  // Save asks for a name; picking the protected file itself is refused.
  FileDialogScript script;
  script.actions.push_back([&](CFileDialog& d) { chooseFile(d, path("ro.qxd")); });
  messages.answers = {IDYES};  // replace it?
  EXPECT_FALSE(doc->DoFileSave());
  EXPECT_TRUE(doc->IsModified());
  EXPECT_TRUE(saveAs(QStringLiteral("copy.qxd")));
  EXPECT_FALSE(doc->IsReadOnly());
  EXPECT_EQ(fileContents(path("ro.qxd")), before);
  EXPECT_TRUE(fileHasNode(QStringLiteral("copy.qxd"), "\\Calculator\\Program\\NEW"));
}

TEST_F(Document, AFailedSaveKeepsTheLastSavedFileAndTheChanges) {
  ASSERT_TRUE(saveAs(QStringLiteral("a.qxd")));
  addProgram("P1");
  int failures = 0;
  bool reached = false;
  for (int writes = 0; writes < 64; ++writes, ++failures) {
    tallix::cfb::testhooks::failWritesAfter(writes, ENOSPC);
    const BOOL done = doc->DoFileSave();
    tallix::cfb::testhooks::clearWriteFailures();
    if (done) break;
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(fileHasNode(QStringLiteral("a.qxd"), "\\Calculator\\Program"));
    // The file keeps the last saved state, unless only the flush after the
    // new state's header failed: then it holds the new state from there on.
    const bool now = fileHasNode(QStringLiteral("a.qxd"), "\\Calculator\\Program\\P1");
    EXPECT_TRUE(now || !reached) << writes;
    reached = now;
  }
  EXPECT_GT(failures, 2);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(fileHasNode(QStringLiteral("a.qxd"), "\\Calculator\\Program\\P1"));

  // The close of a document whose save fails is refused.
  addProgram("P2");
  tallix::cfb::testhooks::failWritesAfter(0, ENOSPC);
  messages.answers = {IDYES};
  EXPECT_FALSE(doc->SaveModified());
  tallix::cfb::testhooks::clearWriteFailures();

  // A failing Save As leaves the file it would have replaced as it was.
  ASSERT_TRUE(writeFileContents(path("other.qxd"), "precious"));
  tallix::cfb::testhooks::failWritesAfter(2, ENOSPC);
  EXPECT_FALSE(saveAs(QStringLiteral("other.qxd")));
  tallix::cfb::testhooks::clearWriteFailures();
  EXPECT_EQ(fileContents(path("other.qxd")), "precious");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"a.qxd", "other.qxd"}));

  // What is saved reads in another program's compound-file reader.
  ASSERT_TRUE(saveAs(QStringLiteral("other.qxd")));
  QProcess peer;
  peer.start(QStringLiteral("/usr/bin/python3"),
             {QStringLiteral("-c"),
              QStringLiteral("import olefile,sys; o=olefile.OleFileIO(sys.argv[1]); "
                             "print('\\n'.join(sorted('/'.join(e) for e in o.listdir())))"),
              path("other.qxd")});
  ASSERT_TRUE(peer.waitForFinished(60000));
  const QByteArray listing = peer.readAllStandardOutput();
  EXPECT_TRUE(listing.contains("Directory")) << listing.constData();
  EXPECT_TRUE(listing.contains("\x05SummaryInformation")) << listing.constData();
  EXPECT_TRUE(listing.contains("Data_Items/Item_")) << listing.constData();
}

// A save lands at the document's path: its file removed or moved away since
// it was opened, the document is written whole there (a moved file keeps
// what it held); a file put at the path meanwhile is written over only when
// the user says so, "Non" asking for another name; a save that cannot be
// done says so and keeps the changes.
TEST_F(Document, ASaveLandsAtThePathWhenTheOpenFileWasRemovedOrMovedAway) {
  const QString at = path(QStringLiteral("doc.qxd"));
  ASSERT_TRUE(saveAs(QStringLiteral("doc.qxd")));
  ASSERT_TRUE(QFile::remove(at));
  addProgram("ONE");
  messages.shown.clear();
  EXPECT_TRUE(doc->DoFileSave());
  EXPECT_TRUE(fileHasNode(QStringLiteral("doc.qxd"), "\\Calculator\\Program\\ONE"));

  ASSERT_TRUE(QFile::rename(at, path(QStringLiteral("moved.qxd"))));
  addProgram("TWO");
  EXPECT_TRUE(doc->DoFileSave());
  EXPECT_TRUE(fileHasNode(QStringLiteral("doc.qxd"), "\\Calculator\\Program\\TWO"));
  EXPECT_TRUE(fileHasNode(QStringLiteral("moved.qxd"), "\\Calculator\\Program\\ONE"));
  EXPECT_FALSE(fileHasNode(QStringLiteral("moved.qxd"), "\\Calculator\\Program\\TWO"));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(doc->GetPathName(), at);
  EXPECT_FALSE(doc->IsModified());

  ASSERT_TRUE(QFile::rename(at, path(QStringLiteral("moved2.qxd"))));
  ASSERT_TRUE(writeFileContents(at, "precious"));
  addProgram("THREE");
  messages.answers = {IDCANCEL};
  EXPECT_FALSE(doc->DoFileSave());
  EXPECT_EQ(messages.texts(), std::vector<QString>{CLanguageLibrary::FormatMessage(10516, at)});
  EXPECT_TRUE(doc->IsModified());
  messages.answers = {IDNO};
  {
    FileDialogScript script;
    script.actions.push_back([&](CFileDialog& d) { chooseFile(d, path(QStringLiteral("elsewhere.qxd"))); });
    EXPECT_TRUE(doc->DoFileSave());
  }
  EXPECT_EQ(fileContents(at), "precious");
  EXPECT_EQ(doc->GetPathName(), path(QStringLiteral("elsewhere.qxd")));
  EXPECT_TRUE(fileHasNode(QStringLiteral("elsewhere.qxd"), "\\Calculator\\Program\\THREE"));
  ASSERT_TRUE(QFile::rename(path(QStringLiteral("elsewhere.qxd")), path(QStringLiteral("moved3.qxd"))));
  ASSERT_TRUE(writeFileContents(path(QStringLiteral("elsewhere.qxd")), "other"));
  addProgram("FOUR");
  messages.answers = {IDYES};
  EXPECT_TRUE(doc->DoFileSave());
  EXPECT_TRUE(fileHasNode(QStringLiteral("elsewhere.qxd"), "\\Calculator\\Program\\FOUR"));

  // Its folder gone too: nothing can be written, and the user is told.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
  ASSERT_TRUE(saveAs(QStringLiteral("sub/doc.qxd")));
  ASSERT_TRUE(QDir(path(QStringLiteral("sub"))).removeRecursively());
  addProgram("FIVE");
  messages.shown.clear();
  EXPECT_FALSE(doc->DoFileSave());
  EXPECT_EQ(messages.texts(),
            std::vector<QString>{CLanguageLibrary::FormatMessage(61729, path(QStringLiteral("sub/doc.qxd")))});
  EXPECT_TRUE(doc->IsModified());
}

// A save that would make the file larger than any document the program
// opens is refused with a word before anything is written: the file stays
// as it was, and so do the changes.
TEST_F(Document, ASaveThatWouldPassTheSizeBoundIsRefusedBeforeAnythingIsWritten) {
  ASSERT_TRUE(saveAs(QStringLiteral("small.qxd")));
  ASSERT_TRUE(doc->OnNewDocument());
  // The small document's contents in a file close to the bound.
  const QByteArray large = QFile::encodeName(path(QStringLiteral("large.qxd")));
  ASSERT_TRUE(writeSparseCompoundFile(large.toStdString(), kMaxCompoundFileSize - (12u << 20)));
  {
    const QByteArray small = QFile::encodeName(path(QStringLiteral("small.qxd")));
    ComPtr<IStorage> into, from;
    ASSERT_EQ(StgOpenStorage(large.constData(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED,
                             nullptr, 0, into.put()),
              S_OK);
    ASSERT_EQ(StgOpenStorage(small.constData(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, from.put()),
              S_OK);
    ASSERT_EQ(from->CopyTo(0, nullptr, nullptr, into.get()), S_OK);
    ASSERT_EQ(into->Commit(STGC_DEFAULT), S_OK);
  }
  ASSERT_TRUE(open(QStringLiteral("large.qxd")));
  {
    // More than the file has room for.
    COrvoItemStream stream(doc->GetItemStore());
    ASSERT_TRUE(stream.Create("\\Calculator\\Program\\BULK", 2, "BULK"));
    const QByteArray bytes(16 << 20, 'x');
    stream.Write(bytes.constData(), UINT(bytes.size()));
  }
  doc->SetModifiedFlag();
  const qint64 size = QFileInfo(path(QStringLiteral("large.qxd"))).size();
  messages.shown.clear();
  tallix::cfb::testhooks::resetWriteCount();
  EXPECT_FALSE(doc->DoFileSave());
  EXPECT_EQ(tallix::cfb::testhooks::writeCount(), 0);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(messages.texts(),
            std::vector<QString>{CLanguageLibrary::FormatMessage(10581, path(QStringLiteral("large.qxd")))});
  EXPECT_EQ(QFileInfo(path(QStringLiteral("large.qxd"))).size(), size);
  ASSERT_TRUE(doc->OnNewDocument());
  COrvoItemStore store;
  ASSERT_TRUE(store.Open(large.constData(), ORVO_OPEN_READONLY | ORVO_SHARE_DENYWRITE));
  EXPECT_TRUE(hasNode(&store, "\\Calculator\\Program"));
  EXPECT_FALSE(hasNode(&store, "\\Calculator\\Program\\BULK"));
}

TEST_F(Document, OldFilesAreImportedUnderTheirDocumentName) {
  StandInImport import;
  CQXOldFileImport* previous = SetOldFileImport(&import);
  for (const auto& [from, to] : {std::pair{"A.QXI", "A.QXD"}, {"a.qxi", "a.qxd"}, {"x.dat", "x.qxd"}}) {
    ASSERT_TRUE(writeFileContents(path(from), "old data"));
    ASSERT_TRUE(open(QString::fromLatin1(from))) << from;
    EXPECT_EQ(doc->GetPathName(), path(to));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(fileContents(path(from)), "old data");
    EXPECT_TRUE(fileHasNode(QString::fromLatin1(to), "\\Calculator\\Program\\TWO"));
  }
  EXPECT_TRUE(messages.shown.empty());

  // An existing target: yes replaces it, no asks for another name, cancel
  // gives up.
  ASSERT_TRUE(writeFileContents(path("b.qxi"), "old data"));
  for (int answer : {IDCANCEL, IDNO, IDYES}) {
    ASSERT_TRUE(writeFileContents(path("b.qxd"), "existing"));
    addProgram("CHANGE");
    messages.answers = {IDNO, answer};  // the first: keep the changes of the document
    FileDialogScript script;
    script.actions.push_back([&](CFileDialog& d) { chooseFile(d, path("chosen.qxd")); });
    CDocument* opened = open(QStringLiteral("b.qxi"));
    EXPECT_EQ(opened != nullptr, answer != IDCANCEL);
    EXPECT_EQ(fileContents(path("b.qxd")) == "existing", answer != IDYES);
    if (answer == IDNO) {
      EXPECT_EQ(doc->GetPathName(), path("chosen.qxd"));
    } else if (answer == IDCANCEL) {
      EXPECT_TRUE(doc->GetPathName().isEmpty());
    }
  }

  // A type the program does not serve.
  import.type = "TI83";
  messages.shown.clear();
  EXPECT_FALSE(open(QStringLiteral("b.qxi")));
  EXPECT_EQ(messages.shown.back().text, CLanguageLibrary::LoadString(10575));
  SetOldFileImport(previous);
}

TEST_F(Document, WritesFuzzCorpusWhenAsked) {
  const QString corpus = qEnvironmentVariable("TALLIX_DOCUMENT_CORPUS");
  if (corpus.isEmpty()) GTEST_SKIP();
  ASSERT_TRUE(doc->NewDocumentForCalculator("CFX-9850G", "FX7400"));
  addProgram("A");
  ASSERT_TRUE(saveAs(QStringLiteral("first.qxd")));
  ASSERT_TRUE(doc->OnNewDocument());
  const QByteArray bytes = fileContents(path("first.qxd"));
  ASSERT_TRUE(writeFileContents(corpus + QStringLiteral("/fx7400.qxd"), bytes));
  ASSERT_TRUE(writeFileContents(corpus + QStringLiteral("/cut.qxd"), bytes.left(bytes.size() / 2)));
  ASSERT_TRUE(writeFileContents(corpus + QStringLiteral("/old.qxi"), "not a compound file"));
}

}  // namespace
