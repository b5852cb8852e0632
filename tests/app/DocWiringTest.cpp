// The real document with its item filing, undo and Link menu: a program
// received from the simulated calculator lands in the store and the tree and
// survives a save; Delete and Undo go through the tree; the Link commands
// follow the open store.
#include "app/DocManagerEx.h"
#include "app/QXDoc.h"
#include "app/QXMainFrame.h"
#include "app/QXSingleDocTemplate.h"
#include "app/QXTreeView.h"
#include "datamodel/HeaderKinds.h"
#include "datamodel/OrvoItemStore.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXProgramItem.h"
#include "platform/CmdUI.h"
#include "platform/WinApp.h"
#include "tests/link/SessionMCSTestSupport.h"
#include "tests/support/MessageLog.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace tallix::test;

namespace {

const Bytes kText = {0xF7, 0x41, 0xFF};

class WiredDoc : public SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
    writeModelList("[CFX-9850G]\r\nComm=1,0,9600,9600,4\r\n");
    sim.setReplyDelay(2);
    pump.onPump = [this](int) {
      pcWaits = true;
      QCoreApplication::processEvents();
    };
    app.m_pDocManager = std::make_unique<CDocManagerEx>();
    app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CQXMainFrame),
                                                RUNTIME_CLASS(CQXTreeView)));
    app.OnFileNew();
    document = currentDoc();
    ASSERT_TRUE(document);
    ASSERT_TRUE(document->NewDocumentForCalculator("CFX-9850G", "FX9850"));
    app.m_pMainWnd->resize(400, 600);
    app.m_pMainWnd->show();
    messages.shown.clear();
  }
  void TearDown() override {
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.m_pDocManager.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SessionFixture::TearDown();
  }
  CQXDoc* currentDoc() {
    return qobject_cast<CQXDoc*>(app.m_pDocManager->GetDocTemplates().front()->GetDocuments().at(0));
  }
  BOOL command(CCmdTarget* target, UINT id) { return target->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); }
  BOOL enabled(CCmdTarget* target, UINT id) {
    CCmdUI ui;
    ui.m_nID = id;
    EXPECT_TRUE(target->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr)) << id;
    return ui.m_bEnabled;
  }
  std::vector<std::string> sendable(std::vector<std::string>* texts = nullptr) {
    std::vector<std::string> paths, names;
    document->CollectSendableItems(&paths, &names);
    if (texts) *texts = names;
    return paths;
  }
  std::string programName(const std::string& path) {
    CQXDocEntry entry;
    if (!document->LoadItem(path.c_str(), &entry) || !entry.GetItem()) return "";
    return displayNameOf(*entry.GetItem());
  }

  CWinApp app;
  MessageLog messages;
  QTemporaryDir dir;
  CQXDoc* document = nullptr;
};

TEST_F(WiredDoc, AReceivedProgramIsFiledShownAndSaved) {
  calcSends({onWire(programHeader("ABC", 3)), Sim::packet(kText), endPacket()});
  sim.start();
  EXPECT_TRUE(command(document, CQXDocLinkCommands::ID_LINK_RECEIVE));
  EXPECT_TRUE(sim.finish()) << sim.error();
  EXPECT_TRUE(messages.shown.empty());
  const std::vector<std::string> paths = sendable();
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(paths[0].rfind("\\Calculator\\Program\\", 0), 0u) << paths[0];
  EXPECT_TRUE(document->GetTreeView()->FindPath(paths[0].c_str()));
  EXPECT_EQ(programName(paths[0]), "ABC");
  EXPECT_TRUE(document->IsModified());
  EXPECT_EQ(document->GetCurrentLink(), nullptr);

  const QString file = dir.filePath(QStringLiteral("received.qxd"));
  ASSERT_TRUE(document->OnSaveDocument(file));
  ASSERT_TRUE(document->OnNewDocument());
  EXPECT_TRUE(sendable().empty());
  ASSERT_TRUE(app.OpenDocumentFile(file));
  QCoreApplication::sendPostedEvents();
  document = currentDoc();
  EXPECT_EQ(sendable(), paths);
  EXPECT_TRUE(document->GetTreeView()->FindPath(paths[0].c_str()));
  EXPECT_EQ(programName(paths[0]), "ABC");
}

TEST_F(WiredDoc, DeleteAndUndoGoThroughTheTree) {
  auto entry = std::make_unique<CQXDocEntry>();
  auto* program = new CQXProgramItem;
  program->SetName("ABC");
  program->SetDataBlock(kText.data(), int(kText.size()));
  entry->SetItem(program);
  entry->SetKind(kKindProgram);
  ASSERT_TRUE(document->StoreReceivedItem(entry.get(), CQXDocItemOps::kFromOutside));
  char path[256] = {};
  ASSERT_TRUE(document->SaveItem(entry.get(), path));
  ASSERT_TRUE(path[0]);

  CQXTreeView* tree = document->GetTreeView();
  QApplication::setActiveWindow(app.m_pMainWnd);
  tree->GetTreeCtrl().GetTreeWidget()->setFocus();
  QCoreApplication::processEvents();
  ASSERT_TRUE(tree->GetTreeCtrl().GetTreeWidget()->hasFocus());
  ASSERT_TRUE(tree->SelectPath(path, FALSE));
  EXPECT_FALSE(enabled(tree, CQXDocCommands::ID_EDIT_UNDO));
  EXPECT_TRUE(command(tree, CQXDocCommands::ID_ENTRY_DELETE));
  EXPECT_FALSE(tree->FindPath(path));
  EXPECT_TRUE(sendable().empty());

  EXPECT_TRUE(enabled(tree, CQXDocCommands::ID_EDIT_UNDO));
  EXPECT_TRUE(command(tree, CQXDocCommands::ID_EDIT_UNDO));
  EXPECT_FALSE(enabled(tree, CQXDocCommands::ID_EDIT_UNDO));
  const std::vector<std::string> paths = sendable();
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_TRUE(tree->FindPath(paths[0].c_str()));
  EXPECT_EQ(programName(paths[0]), "ABC");
  EXPECT_TRUE(messages.shown.empty());

  // A new document forgets the step.
  ASSERT_TRUE(tree->SelectPath(paths[0].c_str(), FALSE));
  EXPECT_TRUE(command(tree, CQXDocCommands::ID_ENTRY_DELETE));
  ASSERT_TRUE(document->OnNewDocument());
  EXPECT_FALSE(enabled(tree, CQXDocCommands::ID_EDIT_UNDO));
}

TEST_F(WiredDoc, LinkCommandsSaveAndPropertiesNeedAnOpenStore) {
  const UINT storeCommands[] = {22200, 22201, 22202, 22206, ID_FILE_SAVE, 22000};
  for (UINT id : storeCommands) EXPECT_TRUE(enabled(document, id)) << id;
  document->GetItemStore()->Close();
  for (UINT id : storeCommands) EXPECT_FALSE(enabled(document, id)) << id;
  for (UINT id : {22203u, 22204u, 22205u}) EXPECT_TRUE(enabled(document, id)) << id;
}

}  // namespace
