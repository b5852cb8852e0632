// The program's document manager and template: File Open and Save As in the
// real file dialog, which file opens which document, the question before
// changes are lost.
#include "app/DocManagerEx.h"
#include "app/QXSingleDocTemplate.h"
#include "platform/DocTemplate.h"
#include "platform/FrameWnd.h"
#include "platform/LanguageLibrary.h"
#include "platform/Profile.h"
#include "platform/WinApp.h"
#include "tests/support/FileDialogScript.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class TestDoc : public CDocument {
  Q_OBJECT

 public:
  Q_INVOKABLE TestDoc() = default;
  // What the program's document does in place of OnOpenDocument.
  Q_INVOKABLE BOOL OpenDocumentFile(const QString& path) {
    opened << path;
    return QFile::exists(path);
  }
  BOOL OnSaveDocument(const QString& path) override {
    saved << path;
    return CDocument::OnSaveDocument(path);
  }
  QStringList opened, saved;
};

class TestView : public CView {
  Q_OBJECT

 public:
  Q_INVOKABLE TestView() = default;
};

QStringList filterTexts(CFileDialog& d) {
  auto* combo = d.GetDialog()->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  QStringList texts;
  for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
  return texts;
}

class DocumentFiles : public ::testing::Test {
 protected:
  DocumentFiles() {
    app.m_pDocManager = std::make_unique<CDocManagerEx>();
    app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(TestDoc), RUNTIME_CLASS(CFrameWnd),
                                                RUNTIME_CLASS(TestView)));
  }
  ~DocumentFiles() override {
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.m_pDocManager.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  CDocTemplate* docTemplate() { return app.m_pDocManager->GetDocTemplates().front(); }
  TestDoc* newDocument() {
    app.OnFileNew();
    return qobject_cast<TestDoc*>(docTemplate()->GetDocuments().at(0));
  }
  QString file(const QString& name) {
    const QString path = dir.filePath(name);
    EXPECT_TRUE(writeFileContents(path, "x"));
    return path;
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  CWinApp app;
  QTemporaryDir dir;
};

TEST_F(DocumentFiles, OpenOffersBothExtensionsAndTriesThemOnABareName) {
  TestDoc* doc = newDocument();
  ASSERT_TRUE(doc);
  file(QStringLiteral("a.qxd"));
  file(QStringLiteral("a.qxi"));
  file(QStringLiteral("b.qxi"));
  file(QStringLiteral("c.txt"));
  FileDialogScript script;
  QStringList filters, listed;
  bool stayedOpen = false;
  script.actions.push_back([&](CFileDialog& d) {
    d.GetDialog()->setDirectory(dir.path());
    filters = filterTexts(d);
    listed = listedFiles(d);
    chooseFile(d, dir.filePath(QStringLiteral("missing.qxd")));  // refused without a word
    chooseFile(d, dir.filePath(QStringLiteral("missing")));      // the dialog's own message
    stayedOpen = d.GetDialog()->isVisible();
    chooseFile(d, dir.filePath(QStringLiteral("a")));
  });
  script.actions.push_back([&](CFileDialog& d) { chooseFile(d, dir.filePath(QStringLiteral("b"))); });
  app.OnFileOpen();
  app.OnFileOpen();
  EXPECT_EQ(filters, QStringList({QStringLiteral("Fichiers TALLIX (*.qxd;*.qxi)"),
                                  QStringLiteral("Tous les fichiers (*.*)")}));
  EXPECT_EQ(listed, QStringList({QStringLiteral("a.qxd"), QStringLiteral("a.qxi"), QStringLiteral("b.qxi")}));
  EXPECT_TRUE(stayedOpen);
  ASSERT_EQ(messages.texts(), std::vector<QString>{CLanguageLibrary::FormatMessage(
                                  61729, QDir::toNativeSeparators(dir.filePath(QStringLiteral("missing"))))});
  EXPECT_EQ(doc->opened,
            QStringList({dir.filePath(QStringLiteral("a.qxd")), dir.filePath(QStringLiteral("b.qxi"))}));
  EXPECT_EQ(doc->GetPathName(), dir.filePath(QStringLiteral("b.qxi")));
}

TEST_F(DocumentFiles, SaveAsOffersTheCurrentExtensionOnly) {
  TestDoc* doc = newDocument();
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->GetTitle(), QStringLiteral("sans nom"));
  FileDialogScript script;
  QStringList filters;
  QString proposed, title;
  script.actions.push_back([&](CFileDialog& d) {
    filters = filterTexts(d);
    proposed = d.GetDialog()->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
    title = d.GetDialog()->windowTitle();
    chooseFile(d, dir.filePath(QStringLiteral("x")));
  });
  // Through the frame and the view, as the menu sends it.
  app.m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_SAVE_AS);
  EXPECT_EQ(filters, QStringList({QStringLiteral("Dateityp TALLIX (*.qxd)"), QStringLiteral("Tous les fichiers (*.*)")}));
  EXPECT_EQ(proposed, QStringLiteral("sans nom.qxd"));
  EXPECT_EQ(title, QStringLiteral("Enregistrer sous"));
  const QString saved = dir.filePath(QStringLiteral("x.qxd"));
  EXPECT_EQ(doc->saved, QStringList{saved});
  EXPECT_EQ(doc->GetPathName(), saved);
  EXPECT_EQ(doc->GetTitle(), QStringLiteral("x.qxd"));
  // Save of a named document writes in place without asking.
  app.m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_SAVE);
  EXPECT_EQ(script.shown, 1);
  EXPECT_EQ(doc->saved, QStringList({saved, saved}));
}

// The first Save As of a new document starts in the user's documents
// folder; once saved, the next Open starts where the user saved, also in a
// later run, whose new document has no folder (the profile keeps it).
TEST_F(DocumentFiles, FileDialogsStartInTheDocumentsFolderThenWhereTheUserSaved) {
  ScopedHome home;
  const QString documents = QDir(home.path()).filePath(QStringLiteral("Documents"));
  ASSERT_TRUE(QDir().mkpath(documents));
  TestDoc* doc = newDocument();
  ASSERT_TRUE(doc);
  FileDialogScript script;
  QStringList folders;
  script.actions.push_back([&](CFileDialog& d) {
    folders << d.GetFolderPath();
    chooseFile(d, dir.filePath(QStringLiteral("x")));
  });
  script.actions.push_back([&](CFileDialog& d) { folders << d.GetFolderPath(); });
  app.m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_SAVE_AS);
  app.OnFileNew();
  ASSERT_EQ(doc->GetPathName(), QString());
  app.OnFileOpen();
  EXPECT_EQ(folders, QStringList({documents, dir.path()}));
  tallix::openProfile().sync();
  EXPECT_TRUE(fileContents(QDir(env.settingsDir()).filePath(QStringLiteral("Brindlewood/TALLIX.conf")))
                  .contains(QFile::encodeName(dir.path())));
}

TEST_F(DocumentFiles, ChangesAreOfferedForSavingBeforeTheyGo) {
  TestDoc* doc = newDocument();
  const QString a = file(QStringLiteral("a.qxd"));
  ASSERT_TRUE(app.OpenDocumentFile(a));
  doc->SetModifiedFlag();
  messages.answers = {IDCANCEL, IDNO};
  app.OnFileNew();
  EXPECT_EQ(doc->GetPathName(), a);  // Cancel kept it
  app.OnFileNew();
  EXPECT_EQ(doc->GetPathName(), QString());
  EXPECT_FALSE(doc->IsModified());
  const QString question = QStringLiteral("Enregistrer les modifications apportées à a.qxd?");
  EXPECT_EQ(messages.texts(), std::vector<QString>({question, question}));
  EXPECT_EQ(messages.shown[0].type & 0x0F, UINT(MB_YESNOCANCEL));
}

// Every name that leads to an open document's file finds that document;
// another file is opened even when its name differs only in letter case or
// is longer than the platform's 260 characters.
TEST_F(DocumentFiles, NamesOfOneFileFindItsDocument) {
  TestDoc* doc = newDocument();
  const QString upper = file(QStringLiteral("Doc.qxd"));
  const QString lower = file(QStringLiteral("doc.qxd"));
  ASSERT_TRUE(QFile::link(upper, dir.filePath(QStringLiteral("link.qxd"))));
  ASSERT_EQ(app.OpenDocumentFile(upper), doc);
  for (const QString& name : {upper, QLatin1Char('"') + upper + QLatin1Char('"'),
                              dir.filePath(QStringLiteral("link.qxd"))})
    EXPECT_EQ(app.OpenDocumentFile(name), doc) << name.toStdString();
  EXPECT_EQ(doc->opened, QStringList{upper});

  CDocument* match = nullptr;
  EXPECT_EQ(docTemplate()->MatchDocType(dir.filePath(QStringLiteral("other.QXD")), match), CDocTemplate::yesAttemptNative);
  EXPECT_EQ(docTemplate()->MatchDocType(dir.filePath(QStringLiteral("other.qxi")), match), CDocTemplate::yesAttemptNative);
  EXPECT_EQ(docTemplate()->MatchDocType(dir.filePath(QStringLiteral("other.txt")), match), CDocTemplate::yesAttemptForeign);

  const QString text = file(QStringLiteral("notes.txt"));
  QString deep = dir.path();
  while (deep.size() < 300) deep += QStringLiteral("/a-rather-long-folder-name");
  ASSERT_TRUE(QDir().mkpath(deep));
  const QString far = deep + QStringLiteral("/far.qxd");
  ASSERT_TRUE(writeFileContents(far, "x"));
  for (const QString& name : {lower, text, far}) EXPECT_EQ(app.OpenDocumentFile(name), doc);
  EXPECT_EQ(doc->opened, QStringList({upper, lower, text, far}));
  EXPECT_EQ(doc->GetPathName(), far);
}

TEST(DocumentManager, WithoutTemplatesNothingOpens) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  MessageLog messages;
  CDocManagerEx manager;
  EXPECT_EQ(manager.OpenDocumentFile(QStringLiteral("/tmp/x.qxd")), nullptr);
  EXPECT_EQ(messages.texts(), std::vector<QString>{QStringLiteral("L'ouverture du document a échoué.")});
}

}  // namespace

#include "DocumentFilesTest.moc"
