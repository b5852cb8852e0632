// File > Propriétés: the five texts of the summary information, the
// document's modified flag, and what an outside reader finds after Save.
#include "app/DocManagerEx.h"
#include "app/QXDoc.h"
#include "app/QXDocProperties.h"
#include "app/QXSingleDocTemplate.h"
#include "app/QXTreeView.h"
#include "platform/FrameWnd.h"
#include "platform/WinApp.h"
#include "services/QXSummaryInfo.h"
#include "tests/support/FileDialogScript.h"
#include "tests/support/MessageLog.h"
#include "tests/support/ModalScript.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <map>

using namespace tallix::test;

namespace {

class DocProperties : public ::testing::Test {
 protected:
  DocProperties() {
    app.m_pDocManager = std::make_unique<CDocManagerEx>();
    app.AddDocTemplate(new CQXSingleDocTemplate(128, 128, 135, RUNTIME_CLASS(CQXDoc), RUNTIME_CLASS(CFrameWnd),
                                                RUNTIME_CLASS(CQXTreeView)));
    app.OnFileNew();
    doc = qobject_cast<CQXDoc*>(app.m_pDocManager->GetDocTemplates().front()->GetDocuments().at(0));
  }
  ~DocProperties() override {
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.m_pDocManager.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // Runs File > Propriétés: `texts` typed into the controls (by id), then
  // the button.
  void runProperties(const std::map<int, QString>& texts, int button) {
    whenModal<CQXDocPropertiesSheet>([=](CQXDocPropertiesSheet* sheet) {
      EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Propriétés fichier"));
      EXPECT_EQ(sheet->findChildren<QPushButton*>().size(), 2);  // OK, Annuler
      for (const auto& [id, text] : texts) {
        QWidget* control = sheet->m_page.GetDlgItem(id);
        if (auto* line = qobject_cast<QLineEdit*>(control)) line->clear();
        else qobject_cast<QPlainTextEdit*>(control)->clear();
        for (QChar ch : text) {
          if (ch == u'\n') QTest::keyClick(control, Qt::Key_Return);
          else QTest::sendKeyEvent(QTest::Click, control, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
      }
      QTest::mouseClick(sheet->GetDlgItemAs<QPushButton>(button), Qt::LeftButton);
    });
    EXPECT_TRUE(doc->OnCmdMsg(22000, CN_COMMAND, nullptr, nullptr));
  }
  std::string title() {
    std::string text;
    doc->GetSummaryInfo()->GetTitle(&text);
    return text;
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  CWinApp app;
  QTemporaryDir dir;
  CQXDoc* doc = nullptr;
};

TEST_F(DocProperties, CancelKeepsEverythingAndOkMarksTheDocumentModified) {
  ASSERT_TRUE(doc);
  doc->GetSummaryInfo()->SetTitle("Ancien");
  doc->SetModifiedFlag(FALSE);
  runProperties({{1064, QStringLiteral("Nouveau")}}, IDCANCEL);
  EXPECT_EQ(title(), "Ancien");
  EXPECT_FALSE(doc->IsModified());
  // OK without a change still marks the document.
  runProperties({}, IDOK);
  EXPECT_EQ(title(), "Ancien");
  EXPECT_TRUE(doc->IsModified());
}

TEST_F(DocProperties, TheTextsReachTheFileAtTheNextSave) {
  ASSERT_TRUE(doc);
  runProperties({{1064, QStringLiteral("Titre")},
                 {1011, QStringLiteral("Thème")},
                 {1012, QStringLiteral("Auteur")},
                 {1013, QStringLiteral("mots")},
                 {1014, QStringLiteral("ligne 1\nligne 2")}},
                IDOK);
  const QString path = dir.filePath(QStringLiteral("props.qxd"));
  FileDialogScript script;
  script.actions.push_back([&](CFileDialog& d) { chooseFile(d, path); });
  doc->OnFileSave(ID_FILE_SAVE_AS);
  ASSERT_FALSE(doc->IsModified());
  ASSERT_TRUE(doc->OnNewDocument());  // lets the file go

  QProcess peer;
  peer.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(SUMMARY_PEER_SCRIPT), path});
  ASSERT_TRUE(peer.waitForFinished(60000));
  ASSERT_EQ(peer.exitCode(), 0) << peer.readAllStandardError().constData();
  std::map<std::string, QByteArray> meta;
  for (const QByteArray& line : peer.readAllStandardOutput().split('\n')) {
    const qsizetype eq = line.indexOf('=');
    if (eq > 0) meta[line.left(eq).toStdString()] = QByteArray::fromHex(line.mid(eq + 1));
  }
  EXPECT_EQ(meta["title"], "Titre");
  EXPECT_EQ(meta["subject"], "Th\xE8me");  // Windows-1252
  EXPECT_EQ(meta["author"], "Auteur");
  EXPECT_EQ(meta["keywords"], "mots");
  EXPECT_EQ(meta["comments"], "ligne 1\r\nligne 2");
}

}  // namespace
