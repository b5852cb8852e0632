// The download flow with stand-ins for the library, the file dialog, the
// shell and the message boxes.
#include "classlib/FetchwellLibrary.h"
#include "classlib/ProfileSettings.h"
#include "platform/SaveFileDialog.h"
#include "platform/ShellOpen.h"
#include "tests/support/FakeMainFrameServices.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using Texts = std::vector<QString>;

class OpenUrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousSave_ = tallix::SetSaveFileHandler([this](const tallix::SaveFileRequest& r, QString* chosen) {
      asked_.push_back(r);
      *chosen = choose_;
      return !choose_.isEmpty();
    });
    previousShell_ = tallix::SetShellOpenHandler([this](const QString& target) {
      opened_.push_back(target);
      return shellWorks_;
    });
    choose_ = env_.dataFile("f.zip");
  }
  void TearDown() override {
    tallix::SetSaveFileHandler(previousSave_);
    tallix::SetShellOpenHandler(previousShell_);
  }
  void installLibrary(const char* built) {
    ASSERT_TRUE(QFile::copy(QString::fromUtf8(built), env_.programFile("libFetchwell.so")));
  }

  tallix::test::TestEnvironment env_{tallix::test::TestEnvironment::WithLanguageLibrary};
  tallix::test::FakeMainFrameServices frame_;
  tallix::test::MessageLog log_;
  std::vector<tallix::SaveFileRequest> asked_;
  Texts opened_;
  QString choose_;
  bool shellWorks_ = true;

 private:
  tallix::SaveFileHandler previousSave_;
  tallix::ShellOpenHandler previousShell_;
};

TEST_F(OpenUrlTest, FileAddressIsDownloadedAndOpenedOnlyWhenTheUserSaysYes) {
  installLibrary(FAKE_FETCHWELL);
  log_.answers = {IDYES, IDNO};
  EXPECT_TRUE(OpenUrl("http://h.example/dir/f.zip"));
  EXPECT_EQ(tallix::test::fileContents(choose_), "from http://h.example/dir/f.zip");
  EXPECT_EQ(opened_, Texts{choose_});
  EXPECT_EQ(frame_.sent, (std::vector<UINT>{kFrameMsgComeToFront, kFrameMsgComeToFront}));
  EXPECT_TRUE(OpenUrl("http://h.example/dir/f.zip"));
  EXPECT_EQ(opened_.size(), 1u);
  EXPECT_EQ(log_.texts(), (Texts(2, QStringLiteral("Ouvrir le fichier %1?").arg(choose_))));

  // The address's other kind is opened as it is, and a shell that fails says so.
  shellWorks_ = false;
  log_.answers = {IDYES};
  EXPECT_TRUE(OpenUrl("mailto:a@h.example"));
  EXPECT_EQ(opened_.back(), QStringLiteral("mailto:a@h.example"));
  EXPECT_EQ(log_.texts().back(), QStringLiteral("L'ouverture du document a échoué."));
  EXPECT_EQ(asked_.size(), 2u);
}

TEST_F(OpenUrlTest, MissingLibraryOrFunctionOrUnknownAddressEndsSilently) {
  EXPECT_FALSE(OpenUrl("http://h.example/f.zip"));
  installLibrary(FAKE_FETCHWELL_LACKING);
  EXPECT_FALSE(OpenUrl("http://h.example/f.zip"));
  EXPECT_TRUE(log_.shown.empty());
  EXPECT_TRUE(asked_.empty());

  CFetchwellLibrary library;
  std::string path;
  EXPECT_FALSE(library.DownloadWithDialog("http://h.example/f.zip", &path));
  EXPECT_EQ(log_.texts(),
            Texts{QStringLiteral("Erreur survenue lors de l'initialisation du composant de système \"libFetchwell.so\".")});

  QFile::remove(env_.programFile("libFetchwell.so"));
  installLibrary(FAKE_FETCHWELL);
  EXPECT_FALSE(OpenUrl("gopher://h.example/f"));
  EXPECT_EQ(log_.shown.size(), 1u);
}

TEST_F(OpenUrlTest, DownloadFolderIsProposedAndTheChosenOneRemembered) {
  installLibrary(FAKE_FETCHWELL);
  ASSERT_TRUE(QDir(env_.dataDir()).mkdir("sub"));
  choose_ = env_.dataFile("sub/chosen.zip");
  EXPECT_TRUE(OpenUrl("http://h.example/a/f.zip"));
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_EQ(asked_[0].fileName, QStringLiteral("f.zip"));
  EXPECT_TRUE(asked_[0].initialDirectory.isEmpty());
  std::string stored;
  AppGetProfileString(&stored, "Settings", "Download Folder", "");
  EXPECT_EQ(QFile::decodeName(stored.c_str()), QDir::toNativeSeparators(env_.dataFile("sub")));

  EXPECT_TRUE(OpenUrl("http://h.example/a/g.zip"));
  EXPECT_EQ(asked_[1].fileName, QDir(env_.dataFile("sub")).filePath("g.zip"));
  EXPECT_EQ(asked_[1].initialDirectory, env_.dataFile("sub"));
}

TEST_F(OpenUrlTest, FailedOrCancelledDownloadKeepsTheChosenFile) {
  installLibrary(FAKE_FETCHWELL);
  ASSERT_TRUE(tallix::test::writeFileContents(choose_, "precious"));
  EXPECT_FALSE(OpenUrl("http://h.example/fail.zip"));
  EXPECT_EQ(tallix::test::fileContents(choose_), "precious");
  choose_.clear();
  EXPECT_FALSE(OpenUrl("http://h.example/f.zip"));
  EXPECT_TRUE(log_.shown.empty());
  EXPECT_TRUE(opened_.empty());
}

TEST_F(OpenUrlTest, HomePageIsAFileOfTheProgramDirectory) {
  OpenStringTableUrl(500, 10574, 61706);
  EXPECT_EQ(opened_, Texts{env_.programFile("homepage.html")});
  EXPECT_TRUE(log_.shown.empty());
  shellWorks_ = false;
  OpenStringTableUrl(500, 10574, 61706);
  EXPECT_EQ(log_.texts(), Texts{QStringLiteral("La commande n'a pas pu être exécutée car le Navigateur Internet "
                                               "n'est pas installé ou n'est pas installé correctement.")});
}

}  // namespace
