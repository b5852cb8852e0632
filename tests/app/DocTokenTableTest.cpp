// The document's command table: read from the token list of the document's
// model whenever a document is made or opened; a list that cannot be read is
// named in a message and leaves the table as it was.
#include "app/DocManagerEx.h"
#include "app/QXDoc.h"
#include "app/QXSingleDocTemplate.h"
#include "app/QXTreeView.h"
#include "platform/FrameWnd.h"
#include "platform/LanguageLibrary.h"
#include "platform/WinApp.h"
#include "tests/support/FifoWatch.h"
#include "tests/support/MessageLog.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestEnvironment.h"
#include "tokens/QXEditCmdListDlg.h"
#include "tokens/QXEditCmdTreeDlg.h"
#include "tokens/TokenListFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class DocTokenTable : public ::testing::Test {
 protected:
  DocTokenTable() {
    // The shipped model list, and three models of our own.
    env.copyFromBuild(QStringLiteral("QXGraph.lst"));
    QFile list(env.programFile(QStringLiteral("QXGraph.lst")));
    if (list.open(QIODevice::Append))
      list.write("\r\n[Small]\r\nCalculator Type=FX9850\r\nToken List=Small.tok\r\n"
                 "[Broken]\r\nCalculator Type=FX9850\r\nToken List=Broken.tok\r\n"
                 "[Missing]\r\nCalculator Type=FX9850\r\nToken List=Missing.tok\r\n"
                 "[Outside]\r\nCalculator Type=FX9850\r\nToken List=..\\Small.tok\r\n"
                 "[Pipe]\r\nCalculator Type=FX9850\r\nToken List=Pipe.tok\r\n");
    list.close();
    CQXCommandTable small;
    small.SetCommand(0, 129, "SIN", "SIN", "Sinus");
    for (const char* name : {"Small.tok", "../Small.tok"})
      WriteTokenListFile(QFile::encodeName(env.programFile(QLatin1String(name))).constData(), small, "FX9850",
                         "Small");
    env.writeProgramFile(QStringLiteral("Broken.tok"), QByteArray(4096, '\x5a'));

    app.m_pDocManager = std::make_unique<CDocManagerEx>();
    app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CFrameWnd),
                                                RUNTIME_CLASS(CQXTreeView)));
    app.OnFileNew();
    doc = qobject_cast<CQXDoc*>(app.m_pDocManager->GetDocTemplates().front()->GetDocuments().at(0));
  }
  ~DocTokenTable() override {
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.m_pDocManager.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  QString text(int table, int number) const {
    const CQXCommandTable::Entry* entry = doc->GetTokenTable().FindCommand(table, number);
    return entry ? QString::fromLatin1(entry->characters) : QStringLiteral("<none>");
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  CWinApp app;
  QTemporaryDir dir;
  CQXDoc* doc = nullptr;
};

TEST_F(DocTokenTable, NewAndOpenReadTheListOfTheDocumentsModel) {
  ASSERT_TRUE(doc);
  // The default model's shipped list, with its text index.
  EXPECT_EQ(text(0, 129), "sin ");
  EXPECT_EQ(text(247, 16), "Locate ");
  const int shipped = doc->GetTokenTable().GetCommandCount();
  EXPECT_FALSE(doc->GetTokenTable().GetTextIndex().empty());
  const QString saved = dir.filePath(QStringLiteral("full.qxd"));
  ASSERT_TRUE(doc->OnSaveDocument(saved));

  // Another model replaces the table rather than adding to it.
  ASSERT_TRUE(doc->NewDocumentForCalculator("Small", "FX9850"));
  EXPECT_EQ(doc->GetTokenTable().GetCommandCount(), 1);
  EXPECT_EQ(text(0, 129), "SIN");
  EXPECT_EQ(doc->GetTokenTable().GetTextIndex().size(), 1u);

  // Opening takes the model the file names.
  ASSERT_TRUE(doc->OpenDocumentFile(saved));
  EXPECT_EQ(doc->GetTokenTable().GetCommandCount(), shipped);
  EXPECT_EQ(text(0, 129), "sin ");
  EXPECT_TRUE(messages.texts().empty());
}

TEST_F(DocTokenTable, AnUnreadableListIsNamedAndTheTableStays) {
  ASSERT_TRUE(doc);
  const int shipped = doc->GetTokenTable().GetCommandCount();
  // "Outside" names a list beside the program directory: refused as named.
  for (const char* model : {"Broken", "Missing", "Outside"}) {
    messages.shown.clear();
    // The document itself is made; only its commands could not be read.
    EXPECT_TRUE(doc->NewDocumentForCalculator(model, "FX9850")) << model;
    ASSERT_EQ(messages.shown.size(), 1u) << model;
    const QString named = std::strcmp(model, "Outside") == 0 ? QStringLiteral("../Small.tok")
                                                             : env.programFile(QString::fromLatin1(model) + ".tok");
    EXPECT_EQ(messages.shown[0].text, CLanguageLibrary::FormatMessage(10562, named));
    EXPECT_EQ(messages.shown[0].type & 0xF0, UINT(MB_ICONSTOP));
    EXPECT_EQ(doc->GetTokenTable().GetCommandCount(), shipped) << model;
    EXPECT_EQ(text(0, 129), "sin ") << model;
    EXPECT_FALSE(doc->GetTokenTable().GetTextIndex().empty()) << model;
  }
}

// A FIFO as the list is named like any list that cannot be read, and never
// opened: the open would wait for a writer for ever.
TEST_F(DocTokenTable, AFifoAsTheListIsNamedUnopened) {
  FifoWatch fifo(env.programFile(QStringLiteral("Pipe.tok")));
  ASSERT_TRUE(fifo.made());
  EXPECT_FALSE(fifo.openedDuring([&] { EXPECT_TRUE(doc->NewDocumentForCalculator("Pipe", "FX9850")); }));
  EXPECT_EQ(messages.texts(), std::vector<QString>{CLanguageLibrary::FormatMessage(10562, fifo.path())});
  EXPECT_EQ(text(0, 129), "sin ");
}

// The same list with the same bytes is not read again; a list whose bytes
// changed (same name, same size) is.
TEST_F(DocTokenTable, AListIsReadAgainOnlyWhenItsBytesChanged) {
  ASSERT_TRUE(doc->NewDocumentForCalculator("Small", "FX9850"));
  const CQXCommandTable::Entry* before = doc->GetTokenTable().FindCommand(0, 129);
  ASSERT_TRUE(doc->NewDocumentForCalculator("Small", "FX9850"));
  EXPECT_EQ(doc->GetTokenTable().FindCommand(0, 129), before);
  EXPECT_EQ(text(0, 129), "SIN");

  CQXCommandTable edited;
  edited.SetCommand(0, 129, "COS", "COS", "Sinus");
  WriteTokenListFile(QFile::encodeName(env.programFile(QStringLiteral("Small.tok"))).constData(), edited, "FX9850",
                     "Small");
  ASSERT_TRUE(doc->NewDocumentForCalculator("Small", "FX9850"));
  EXPECT_EQ(text(0, 129), "COS");
  EXPECT_TRUE(messages.texts().empty());
}

// Options > Editer liste des commandes: a command added in the editor is in
// the document's table and its index at once, and in the next document.
TEST_F(DocTokenTable, EditedCommandsReachTheDocumentAndTheNextOne) {
  QFile added(dir.filePath(QStringLiteral("added.txt")));
  ASSERT_TRUE(added.open(QIODevice::WriteOnly));
  added.write("247;238;C;\"ZQZQ\";\"\";\"\"\r\n");
  added.close();
  const std::string addedPath = QFile::encodeName(added.fileName()).toStdString();
  whenModal<CQXEditCmdTreeDlg>([&](CQXEditCmdTreeDlg* tree) {
    whenModal<CQXEditCmdListDlg>([&](CQXEditCmdListDlg* list) {
      list->ImportCommandList(addedPath.c_str());
      list->OnOK();
    });
    tree->SendMessage(WM_COMMAND, 1003);
    tree->OnOK();
  });
  doc->OnEditCmdList();
  std::vector<DWORD> found;
  ASSERT_TRUE(doc->GetTokenTable().MatchCommands("zqzq", &found, FALSE));
  // Longest first: the new command before the letters that begin it.
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(TextIndexTable(found[0]), 247);
  EXPECT_EQ(TextIndexNumber(found[0]), 238);

  ASSERT_TRUE(doc->NewDocumentForCalculator("Small", "FX9850"));
  EXPECT_EQ(text(247, 238), "<none>");
  ASSERT_TRUE(doc->NewDocumentForCalculator("CFX-9850G", "FX9850"));
  EXPECT_EQ(text(247, 238), "ZQZQ");
  EXPECT_TRUE(messages.texts().empty());
}

}  // namespace
