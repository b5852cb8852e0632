// The download library itself, against a local HTTP server.
#include "classlib/FetchwellLibrary.h"
#include "classlib/InternetShortcut.h"
#include "platform/SaveFileDialog.h"
#include "platform/ShellOpen.h"
#include "tests/classlib/LocalHttpServer.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/FakeMainFrameServices.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QNetworkProxy>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using tallix::test::LocalHttpServer;
using tallix::test::TestEnvironment;

namespace {

// Answers the library's own modal windows: message boxes are recorded and
// closed; the progress dialog is handed to `onProgress`.
class ModalWatcher {
 public:
  ModalWatcher() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
    timer_.start(10);
  }
  QStringList messages;
  bool progressSeen = false;
  std::function<void(QDialog*)> onProgress;

 private:
  void look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      messages << box->text();
      box->done(QMessageBox::Ok);
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      progressSeen = true;
      if (onProgress) onProgress(dialog);
    }
  }
  QTimer timer_;
};

class FetchwellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    ASSERT_TRUE(env_.copyFromBuild(QStringLiteral("libFetchwell.so")));
    ASSERT_TRUE(env_.copyFromBuild(QStringLiteral("Fetchwell.lng")));
    target_ = env_.dataFile("download.bin");
  }

  int download(const QString& url) {
    const QByteArray path = QFile::encodeName(target_);
    return library_.DownloadFile(url.toUtf8().constData(), path.constData(), nullptr) ? 0 : 1;
  }
  QStringList dataFiles() const { return QDir(env_.dataDir()).entryList(QDir::Files | QDir::Hidden); }

  TestEnvironment env_{TestEnvironment::WithLanguageLibrary};
  LocalHttpServer server_;
  ModalWatcher watcher_;
  CFetchwellLibrary library_;
  QString target_;
};

TEST_F(FetchwellTest, ServiceTypeFromTheAddressAlone) {
  const std::pair<const char*, int> cases[] = {
      {"http://h.example/f.zip", 1},        {"https://h.example/a/setup.EXE?x=1", 1},
      {"http://h.example/index.html", 2},   {"http://h.example/page.PHP", 2},
      {"http://h.example/dir/", 2},         {"http://h.example", 2},
      {"ftp://h.example/f.zip", 2},         {"mailto:a@h.example", 2},
      {"file:///bin/sh", 0},                {"/bin/sh", 0},
      {"javascript:alert(1)", 0},           {"", 0},
      {"http:///f.zip", 0}};
  for (const auto& [url, expected] : cases) {
    int type = -1;
    EXPECT_EQ(library_.GetServiceType(url, &type), expected != 0) << url;
    if (expected) {
      EXPECT_EQ(type, expected) << url;
    }
  }
}

TEST_F(FetchwellTest, BodyArrivesByteForByteAlsoAfterARedirect) {
  ASSERT_TRUE(tallix::test::writeFileContents(target_, "old"));
  EXPECT_EQ(download(server_.url("/big.bin")), 0);
  EXPECT_EQ(tallix::test::fileContents(target_), LocalHttpServer::bigBody());
  QFile::remove(target_);
  EXPECT_EQ(download(server_.url("/moved.bin")), 0);
  EXPECT_EQ(tallix::test::fileContents(target_), LocalHttpServer::bigBody());
  EXPECT_TRUE(watcher_.progressSeen);
  EXPECT_TRUE(watcher_.messages.isEmpty());
  EXPECT_EQ(dataFiles(), QStringList{"download.bin"});
}

TEST_F(FetchwellTest, FailuresKeepTheOldFileAndLeaveNoTemporaryFile) {
  ASSERT_TRUE(tallix::test::writeFileContents(target_, "old"));
  EXPECT_NE(download(server_.url("/missing.bin")), 0);
  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
  const quint16 port = closed.serverPort();
  closed.close();
  EXPECT_NE(download(QStringLiteral("http://127.0.0.1:%1/f.zip").arg(port)), 0);
  EXPECT_EQ(tallix::test::fileContents(target_), "old");
  EXPECT_EQ(dataFiles(), QStringList{"download.bin"});
  ASSERT_EQ(watcher_.messages.size(), 2);
  EXPECT_EQ(watcher_.messages[0],
            QStringLiteral("Une erreur est survenue lors de la tentative de téléchargement du fichier %1.")
                .arg(server_.url("/missing.bin")));
  EXPECT_EQ(watcher_.messages[1], QStringLiteral("Une erreur est survenue lors de la connexion au serveur 127.0.0.1."));
}

TEST_F(FetchwellTest, ADiskThatFillsKeepsTheOldFile) {
  ASSERT_TRUE(tallix::test::writeFileContents(target_, "old"));
  // The bytes find no room, whether they go out as they come or only when
  // the file is put in place.
  for (const char* name : {"/big.bin", "/small.bin"}) {
    tallix::test::FileSizeLimit full(2);
    EXPECT_NE(download(server_.url(name)), 0) << name;
  }
  EXPECT_EQ(tallix::test::fileContents(target_), "old");
  EXPECT_EQ(dataFiles(), QStringList{"download.bin"});
  EXPECT_EQ(watcher_.messages.size(), 2);
}

TEST_F(FetchwellTest, CancelDuringATransferLeavesNoFile) {
  watcher_.onProgress = [this](QDialog* dialog) {
    if (server_.trickleSent < 256) return;
    for (auto* button : dialog->findChildren<QPushButton*>())
      if (button->property("ctrlId").toInt() == 2 && button->text() == QStringLiteral("Annuler")) button->click();
  };
  EXPECT_NE(download(server_.url("/trickle.bin")), 0);
  EXPECT_EQ(watcher_.messages, QStringList{QStringLiteral("La transmission de données est interrompue.")});
  EXPECT_TRUE(dataFiles().isEmpty());
}

TEST_F(FetchwellTest, DroppedShortcutDownloadsIntoTheChosenFileAndOffersToOpenIt) {
  tallix::test::FakeMainFrameServices frame;
  tallix::test::MessageLog log;
  log.answers = {IDYES};
  const QString shortcut = env_.dataFile("Site.url");
  ASSERT_TRUE(tallix::test::writeFileContents(shortcut, "[InternetShortcut]\r\nURL=" + server_.url("/big.bin").toUtf8() + "\r\n"));
  QWidget window;
  CQXUrlDropTarget target;
  target.Register(&window);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(shortcut)});
  QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &enter);
  QDropEvent drop(QPointF(1, 1), Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &drop);
  ASSERT_EQ(frame.posted, std::vector<UINT>{kFrameMsgOpenDroppedUrl});

  // What the frame does with the message.
  tallix::SaveFileRequest asked;
  const auto previousSave = tallix::SetSaveFileHandler([&](const tallix::SaveFileRequest& r, QString* chosen) {
    asked = r;
    *chosen = target_;
    return true;
  });
  QStringList opened;
  const auto previousShell = tallix::SetShellOpenHandler([&](const QString& t) {
    opened << t;
    return true;
  });
  EXPECT_TRUE(OpenUrl(frame.droppedUrl.c_str()));
  tallix::SetSaveFileHandler(previousSave);
  tallix::SetShellOpenHandler(previousShell);

  EXPECT_EQ(asked.fileName, QStringLiteral("big.bin"));
  EXPECT_EQ(tallix::test::fileContents(target_), LocalHttpServer::bigBody());
  EXPECT_EQ(log.texts(), std::vector<QString>{QStringLiteral("Ouvrir le fichier %1?").arg(target_)});
  EXPECT_EQ(opened, QStringList{target_});
}

}  // namespace
