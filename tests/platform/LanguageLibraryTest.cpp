#include "platform/LanguageLibrary.h"
#include "tests/support/FifoWatch.h"
#include "tests/support/MissingResources.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>

using tallix::test::ExpectMissingResources;
using tallix::test::TestEnvironment;

namespace {

class LanguageLibrary : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

QAction* findCommand(QMenu* menu, int id) {
  for (QAction* a : menu->actions()) {
    if (a->menu()) {
      if (QAction* found = findCommand(a->menu(), id)) return found;
    } else if (a->property("commandId").toInt() == id) {
      return a;
    }
  }
  return nullptr;
}

TEST_F(LanguageLibrary, TheBuiltFileLoadsFromTheProgramDirectory) {
  ASSERT_TRUE(CLanguageLibrary::IsLoaded());
  EXPECT_EQ(CLanguageLibrary::FilePath(), env.programFile(QStringLiteral("QXLWIN32.LNG")));
  EXPECT_FALSE(CLanguageLibrary::Load(env.programFile(QStringLiteral("missing.LNG"))));
  EXPECT_FALSE(CLanguageLibrary::IsLoaded());
  // A FIFO is never opened: the open would wait for a writer for ever.
  tallix::test::FifoWatch fifo(env.programFile(QStringLiteral("pipe.LNG")));
  ASSERT_TRUE(fifo.made());
  EXPECT_FALSE(fifo.openedDuring([&] { EXPECT_FALSE(CLanguageLibrary::Load(QString::fromLocal8Bit(fifo.path()))); }));

  // A copy cut short (its header alone, or half of it) is no library and is
  // never handed to Qt, which would read past its end.
  QFile whole(env.programFile(QStringLiteral("QXLWIN32.LNG")));
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  const QByteArray bytes = whole.readAll();
  for (const qsizetype size : {qsizetype(8), qsizetype(24), bytes.size() / 2}) {
    const QString cut = env.programFile(QStringLiteral("cut.LNG"));
    QFile out(cut);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(bytes.left(size));
    out.close();
    EXPECT_FALSE(CLanguageLibrary::Load(cut)) << size;
    EXPECT_FALSE(CLanguageLibrary::IsLoaded());
  }
  // So is a whole copy with a file entry whose data lies past the end: by
  // its offset, or by the length written there.
  const auto be32 = [](const QByteArray& b, qsizetype at) {
    return quint32(quint8(b[at])) << 24 | quint32(quint8(b[at + 1])) << 16 | quint32(quint8(b[at + 2])) << 8 |
           quint32(quint8(b[at + 3]));
  };
  const auto put32 = [](QByteArray& b, qsizetype at, quint32 v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (24 - 8 * i));
  };
  ASSERT_GE(be32(bytes, 4), 2u);  // entries of 22 bytes
  const qsizetype tree = be32(bytes, 8), payload = be32(bytes, 12);
  qsizetype file = -1;
  for (qsizetype at = tree + 22; file < 0 && at + 22 <= bytes.size(); at += 22)
    if (!(quint8(bytes[at + 5]) & 2)) file = at;
  ASSERT_GE(file, 0);
  const qsizetype dataAt = payload + be32(bytes, file + 10);
  QByteArray pastByOffset = bytes, pastByLength = bytes;
  put32(pastByOffset, file + 10, quint32(bytes.size() - payload - 2));
  put32(pastByLength, dataAt, quint32(bytes.size() - dataAt - 3));
  for (const QByteArray& damaged : {pastByOffset, pastByLength}) {
    const QString path = env.programFile(QStringLiteral("damaged.LNG"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(damaged);
    out.close();
    EXPECT_FALSE(CLanguageLibrary::Load(path));
    EXPECT_FALSE(CLanguageLibrary::IsLoaded());
  }
  EXPECT_TRUE(CLanguageLibrary::Load(whole.fileName()));
}

TEST_F(LanguageLibrary, StringsAnswerByIdAndMissingOnesAreEmpty) {
  EXPECT_EQ(CLanguageLibrary::LoadString(22200), QStringLiteral("Recevoir de la calculatrice graphique.\nRecevoir"));
  EXPECT_EQ(CLanguageLibrary::LoadString(61706), QStringLiteral("Mémoire insuffisante pour exécuter l'opération."));
  {
    ExpectMissingResources missing;
    EXPECT_TRUE(CLanguageLibrary::LoadString(9).isEmpty());
  }
  EXPECT_EQ(CLanguageLibrary::LoadStringA(61705), std::string("La commande a \xE9" "chou\xE9" "."));
}

TEST_F(LanguageLibrary, MessagesAreFilledInOnePass) {
  EXPECT_EQ(CLanguageLibrary::FormatMessage(10511, QStringLiteral("a.qxd"), QStringLiteral("TALLIX")),
            QStringLiteral("Le fichier a.qxd est déjà ouvert par l'application TALLIX."));
  // A placeholder inside an argument is not filled again.
  EXPECT_EQ(FormatPlaceholders(QStringLiteral("%1 and %2, %3 %%1"), QStringLiteral("%2"), QStringLiteral("two")),
            QStringLiteral("%2 and two, %3 %%2"));
}

TEST_F(LanguageLibrary, MenusCarryCommandIdsAndStatusPrompts) {
  std::unique_ptr<QMenu> menu(CLanguageLibrary::LoadMenu(128));
  ASSERT_TRUE(menu);
  const QList<QAction*> top = menu->actions();
  ASSERT_EQ(top.size(), 6);
  EXPECT_EQ(top[0]->text(), QStringLiteral("&Fichier"));
  EXPECT_EQ(top[5]->text(), QStringLiteral("&?"));

  QAction* receive = findCommand(menu.get(), 22200);
  ASSERT_TRUE(receive);
  EXPECT_EQ(receive->data().toInt(), 22200);
  EXPECT_EQ(receive->text(), QStringLiteral("&Recevoir\tF5"));
  EXPECT_EQ(receive->statusTip(), QStringLiteral("Recevoir de la calculatrice graphique."));
  EXPECT_EQ(receive->toolTip(), QStringLiteral("Recevoir"));

  QAction* backupReceive = findCommand(menu.get(), 22203);  // inside a nested popup
  ASSERT_TRUE(backupReceive);
  EXPECT_EQ(backupReceive->text(), QStringLiteral("&Recevoir\tF7"));
  ExpectMissingResources missing;
  EXPECT_EQ(CLanguageLibrary::LoadMenu(1), nullptr);
}

TEST_F(LanguageLibrary, AcceleratorsMapKeysToCommands) {
  const auto table = CLanguageLibrary::LoadAccelerators(128);
  ASSERT_FALSE(table.empty());
  int f5 = 0, shiftIns = 0;
  for (const auto& e : table) {
    if (e.key == QKeySequence(Qt::Key_F5)) f5 = e.commandId;
    if (e.key == QKeySequence(Qt::SHIFT | Qt::Key_Insert)) shiftIns = e.commandId;
  }
  EXPECT_EQ(f5, 22200);
  EXPECT_EQ(shiftIns, 57637);
  ExpectMissingResources missing;
  EXPECT_TRUE(CLanguageLibrary::LoadAccelerators(7).empty());
}

TEST_F(LanguageLibrary, DialogsExposeTheirControlsById) {
  std::unique_ptr<QWidget> dlg(CLanguageLibrary::LoadDialog(518));
  ASSERT_TRUE(dlg);
  EXPECT_TRUE(qobject_cast<QDialog*>(dlg.get()));
  EXPECT_EQ(dlg->property("dialogId").toInt(), 518);
  EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Confirmer écrasement"));
  auto* name = GetDlgItemAs<QLabel>(dlg.get(), 1000);
  ASSERT_TRUE(name);
  name->setText(QStringLiteral("PROG1"));
  auto* all = GetDlgItemAs<QPushButton>(dlg.get(), 1030);
  ASSERT_TRUE(all);
  EXPECT_EQ(all->text(), QStringLiteral("&Toutes"));
  EXPECT_EQ(GetDlgItem(dlg.get(), 4242), nullptr);
  ExpectMissingResources missing;
  EXPECT_EQ(CLanguageLibrary::LoadDialog(9999), nullptr);
}

class MarkedLabel : public QLabel {
 public:
  using QLabel::QLabel;
};

TEST_F(LanguageLibrary, TheFormHookCreatesOurOwnWidgets) {
  int made = 0;
  CLanguageLibrary::RegisterWidgetClass(QStringLiteral("QLabel"), [&](QWidget* parent, const QString&) {
    ++made;
    return new MarkedLabel(parent);
  });
  std::unique_ptr<QWidget> dlg(CLanguageLibrary::LoadDialog(518));
  CLanguageLibrary::RegisterWidgetClass(QStringLiteral("QLabel"), nullptr);
  ASSERT_TRUE(dlg);
  EXPECT_GT(made, 0);
  EXPECT_TRUE(dynamic_cast<MarkedLabel*>(GetDlgItem(dlg.get(), 1000)));
  EXPECT_EQ(GetDlgItem(dlg.get(), 1000)->objectName(), QStringLiteral("itemName"));
}

TEST_F(LanguageLibrary, IconsComeByIdAndMissingOnesAreNull) {
  EXPECT_FALSE(CLanguageLibrary::LoadIcon(128).isNull());
  EXPECT_FALSE(CLanguageLibrary::LoadIcon(128).pixmap(32, 32).isNull());
  ExpectMissingResources missing;
  EXPECT_TRUE(CLanguageLibrary::LoadIcon(5).isNull());
  EXPECT_TRUE(CLanguageLibrary::LoadBitmap(5).isNull());
}

}  // namespace
