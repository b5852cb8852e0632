#include "platform/FileDialog.h"
#include "platform/LanguageLibrary.h"
#include "platform/QtTranslations.h"
#include "tests/support/FileDialogScript.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace tallix::test;

namespace {

const QString kFilter = QStringLiteral("Fichiers de sauvegarde (*.qxm; *.qxb)|*.qxm;*.qxb|Tous les fichiers (*.*)|*.*||");

void touch(const QString& path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("x");
}

// Without a folder in the proposed name, a dialog starts where a file was
// last chosen, else in the documents folder, else at home; never in the
// program's folder or the working directory.
TEST(FileDialog, StartsWhereAFileWasLastChosenElseInTheDocumentsFolder) {
  TestEnvironment env;
  ScopedHome home;
  auto start = [] { return CFileDialog(TRUE).GetStartFolder(); };
  EXPECT_EQ(start(), home.path());
  const QString documents = QDir(home.path()).filePath(QStringLiteral("Documents"));
  ASSERT_TRUE(QDir().mkpath(documents));
  EXPECT_EQ(start(), documents);

  auto chosen = std::make_unique<QTemporaryDir>();
  FileDialogScript script;
  QString shownFolder;
  script.actions.push_back([&](CFileDialog& d) {
    shownFolder = d.GetFolderPath();
    chooseFile(d, chosen->filePath(QStringLiteral("a.qxd")));
  });
  CFileDialog save(FALSE);
  ASSERT_EQ(save.DoModal(), IDOK);
  EXPECT_EQ(shownFolder, documents);
  EXPECT_EQ(start(), chosen->path());
  // A proposed name with a folder starts there.
  EXPECT_EQ(CFileDialog(TRUE, {}, documents + QStringLiteral("/b.qxd")).GetStartFolder(), documents);
  // A folder that went away is passed over.
  chosen.reset();
  EXPECT_EQ(start(), documents);
}

TEST(FileDialog, FilterPatternsIgnoreCase) {
  QTemporaryDir dir;
  for (const char* name : {"a.qxm", "B.QXM", "c.qxb", "d.txt"}) touch(dir.filePath(QString::fromLatin1(name)));
  CFileDialog dialog(TRUE, QStringLiteral("qxm"), {}, OFN_HIDEREADONLY, kFilter);
  dialog.SetInitialDirectory(dir.path());
  ASSERT_TRUE(dialog.Create());
  dialog.GetDialog()->show();
  EXPECT_EQ(listedFiles(dialog), QStringList({QStringLiteral("B.QXM"), QStringLiteral("a.qxm"), QStringLiteral("c.qxb")}));
  // The texts are shown as they stand.
  dialog.GetDialog()->selectNameFilter(dialog.GetDialog()->nameFilters().value(1));
  EXPECT_EQ(listedFiles(dialog).size(), 4);
  // The filter the user picked is the one the dialog answers.
  EXPECT_EQ(dialog.GetFilterPatterns(), QStringList(QStringLiteral("*.*")));
  FileDialogScript script;
  script.actions.push_back([&](CFileDialog& d) { d.GetDialog()->selectNameFilter(d.GetDialog()->nameFilters().value(1)); });
  dialog.DoModal();
  EXPECT_EQ(dialog.GetFilterIndex(), 2u);
}

// A name is chosen only when its folder exists, and an existing file only
// after the user agreed to replace it; a bare name takes the default
// extension.
TEST(FileDialog, SaveChecksTheNameBeforeItIsChosen) {
  TestEnvironment env(TestEnvironment::WithLanguageLibrary);
  QTemporaryDir dir;
  const QString existing = dir.filePath(QStringLiteral("old.qxm"));
  touch(existing);
  MessageLog log;
  log.answers = {IDOK, IDNO};
  FileDialogScript script;
  bool stayedOpen = false;
  script.actions.push_back([&](CFileDialog& d) {
    chooseFile(d, dir.filePath(QStringLiteral("missing/x.qxm")));
    chooseFile(d, existing);
    stayedOpen = d.GetDialog()->isVisible();
    chooseFile(d, dir.filePath(QStringLiteral("new")));
  });
  CFileDialog dialog(FALSE, QStringLiteral("qxm"), {}, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                     kFilter);
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(dialog.GetPathName(), dir.filePath(QStringLiteral("new.qxm")));
  ASSERT_EQ(log.shown.size(), 2u);
  EXPECT_EQ(log.shown[0].text, CLanguageLibrary::FormatMessage(61729, dir.filePath(QStringLiteral("missing/x.qxm"))));
  EXPECT_EQ(log.shown[1].text, QStringLiteral("Le fichier %1 existe déjà. Le remplacer?").arg(existing));
  EXPECT_EQ(log.shown[1].type, UINT(MB_YESNO | MB_ICONEXCLAMATION));
}

// A name saved without an extension takes the chosen type's; under "*.*" it
// stays as typed, or takes the dialog's default extension when it has one.
TEST(FileDialog, ASavedNameTakesTheChosenTypesExtensionAndAllFilesKeepsItAsTyped) {
  QTemporaryDir dir;
  const QString filter = QStringLiteral("Fichiers texte (*.txt)|*.txt|Tous les fichiers (*.*)|*.*||");
  const auto saved = [&](const QString& defaultExt, int filterIndex, const char* typed) {
    FileDialogScript script;
    script.actions.push_back([&](CFileDialog& d) {
      d.GetDialog()->selectNameFilter(d.GetDialog()->nameFilters().value(filterIndex));
      chooseFile(d, dir.filePath(QLatin1String(typed)));
    });
    CFileDialog dialog(FALSE, defaultExt, {}, OFN_HIDEREADONLY, filter);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    return QFileInfo(dialog.GetPathName()).fileName();
  };
  EXPECT_EQ(saved({}, 0, "notes"), QStringLiteral("notes.txt"));
  EXPECT_EQ(saved({}, 1, "notes"), QStringLiteral("notes"));
  EXPECT_EQ(saved({}, 1, "notes.dat"), QStringLiteral("notes.dat"));
  EXPECT_EQ(saved(QStringLiteral("cas"), 1, "notes"), QStringLiteral("notes.cas"));
}

// In detail view a folder's type is French like the rest of the dialog, and
// every column is as wide as its header and the values it shows.
TEST(FileDialog, TheDetailViewNamesFoldersInFrenchAndShowsWholeColumns) {
  const auto look = [] {
    TestEnvironment env(TestEnvironment::WithLanguageLibrary);
    ASSERT_TRUE(tallix::installQtTranslations());
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Sauvegardes")));
    QFile file(dir.filePath(QStringLiteral("gros.qxm")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(10300, 'x'));
    file.close();
    CFileDialog dialog(TRUE, {}, {}, OFN_HIDEREADONLY, kFilter);
    dialog.SetInitialDirectory(dir.path());
    ASSERT_TRUE(dialog.Create());
    auto* model = dialog.GetDialog()->findChild<QFileSystemModel*>();
    ASSERT_TRUE(model);
    // The folder is read in another thread; its end comes as an event.
    QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
    dialog.GetDialog()->setViewMode(QFileDialog::Detail);
    dialog.GetDialog()->show();
    auto* view = dialog.GetDialog()->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_TRUE(view);
    QTRY_VERIFY(std::any_of(loaded.begin(), loaded.end(), [&](const QList<QVariant>& args) {
      return args.value(0).toString() == dir.path();
    }));
    ASSERT_EQ(view->model()->rowCount(view->rootIndex()), 2);
    QHeaderView* header = view->header();
    EXPECT_EQ(header->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Dernière modification"));
    for (int row = 0; row < 2; ++row) {
      const QModelIndex name = view->model()->index(row, 0, view->rootIndex());
      if (name.data().toString() == QStringLiteral("Sauvegardes")) {
        EXPECT_EQ(name.siblingAtColumn(2).data().toString(), QStringLiteral("Dossier"));
      }
    }
    for (int column = 1; column < header->count(); ++column) {
      EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
      EXPECT_GE(header->sectionSize(column), static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column)) << column;
    }
  };
  look();
  tallix::installQtTranslations();  // Qt's own texts again for the other tests
}

}  // namespace
