// The menu extension file: popups placed by position, by key and as
// sub-menus, the depth limit and the bounds of a build, the full popup table,
// another menu file, and the commands' targets and status texts wherever
// "Ref File" puts them.
#include "app/MenuExtension.h"
#include "app/MenuPopups.h"
#include "app/QXApp.h"
#include "classlib/ProfileSettings.h"
#include "platform/CmdUI.h"
#include "platform/FrameWnd.h"
#include "platform/Menu.h"
#include "platform/PrivateProfile.h"
#include "platform/ShellOpen.h"
#include "tests/support/FifoWatch.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <utility>

using tallix::test::FifoWatch;
using tallix::test::TestEnvironment;

namespace {

// The entries of a menu of the extension, made as its showing would make
// them.
const QList<QAction*> entriesOf(QMenu* menu) {
  FillMenu(menu);
  return menu->actions();
}

// A popup's items: texts, "-" for separators, "[title]" for sub-menus.
QStringList itemsOf(QMenu* menu) {
  FillMenu(menu);
  QStringList out;
  for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? u'[' + a->text() + u']' : a->text());
  return out;
}

QString titleOfKey(int key) {
  CMenu* popup = GetMenuPopupByKey(key);
  return popup ? popup->GetSafeHmenu()->title() : QStringLiteral("<none>");
}

class MenuExtension : public ::testing::Test {
 protected:
  MenuExtension() { makeFrame(); }
  ~MenuExtension() override {
    tallix::SetShellOpenHandler(nullptr);
    frame->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void makeFrame() {
    if (frame) frame->DestroyWindow();
    frame = new CFrameWnd;
    ASSERT_TRUE(frame->LoadFrame(128));
    status = new QStatusBar(frame);
    frame->RecalcLayout();
    app.m_pMainWnd = frame;
    InitMenuPopupTable();
  }
  void writeData(const char* name, const QByteArray& text) const {
    ASSERT_TRUE(tallix::test::writeFileContents(env.dataFile(QLatin1String(name)), text));
  }
  // A fresh main menu extended by `name` of the data folder.
  void build(const char* name) {
    makeFrame();
    EXPECT_TRUE(BuildMenuExtension(MenuExtensionFilePath(QLatin1String(name))));
  }
  QStringList barTitles() const {
    QStringList out;
    for (QAction* a : frame->GetMenuBar()->actions()) out << a->text();
    return out;
  }
  QAction* findItem(QMenu* menu, UINT id) {
    for (QAction* a : entriesOf(menu)) {
      if (QMenu* sub = a->menu()) {
        if (QAction* found = findItem(sub, id)) return found;
      } else if (CommandIdOf(a) == id) {
        return a;
      }
    }
    return nullptr;
  }
  QAction* findItem(UINT id) {
    for (QAction* a : frame->GetMenuBar()->actions())
      if (QAction* found = a->menu() ? findItem(a->menu(), id) : nullptr) return found;
    return nullptr;
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  CQXApp app;
  QPointer<CFrameWnd> frame;
  QStatusBar* status = nullptr;
};

TEST_F(MenuExtension, PlacesPopupsByPositionKeyAndCommand) {
  const std::vector<std::pair<QByteArray, std::function<void()>>> cases = {
      // At position 1: the Edit popup moves to 2 and keeps its key.
      {"[Menus]\nExtra\n[Extra]\nCaption=&Extra\nPosition=1\nMenu Items=Items\n[Items]\nSite=15000\n",
       [&] {
         EXPECT_EQ(barTitles().mid(0, 3), (QStringList{"&Fichier", "&Extra", "&Edition"}));
         EXPECT_EQ(titleOfKey(kPopupEdit), QStringLiteral("&Edition"));
         EXPECT_EQ(titleOfKey(1000), QStringLiteral("&Extra"));
         EXPECT_EQ(itemsOf(GetMenuPopupByKey(1000)->GetSafeHmenu()), QStringList{"Site"});
       }},
      // After "&Paramètres..." of the Link popup, between separators that
      // are there already; at the top of the File popup with one after it;
      // a popup whose key is unknown is skipped, the others are built.
      {"[Menus]\nTools\nLost\nFirst\n"
       "[Tools]\nCaption=Outils\nPosition=300\nSub Position Cmd=22202\nMenu Items=T\n"
       "[Lost]\nCaption=Perdu\nPosition=77\nSub Position=0\n"
       "[First]\nCaption=Premier\nPosition=0\nSub Position=0\n[T]\nUn=15001\n",
       [&] {
         EXPECT_EQ(itemsOf(GetMenuPopupByKey(kPopupLink)->GetSafeHmenu()),
                   (QStringList{"&Recevoir\tF5", "&Envoyer...\tF6", "Recevoir &copie d'écran\tCtrl+F5", "-",
                                "&Paramètres...", "-", "[Outils]", "-", "[&Sauvegarde de données]"}));
         EXPECT_EQ(itemsOf(GetMenuPopupByPosition(0)->GetSafeHmenu()).mid(0, 3),
                   (QStringList{"[Premier]", "-", "&Nouveau...\tCtrl+N"}));
         EXPECT_EQ(barTitles().size(), 6);
       }},
      // A section that holds itself: eight levels, then no further.
      {"[Menus]\nDeep\n[Deep]\nCaption=Deep\nPosition=6\nMenu Items=Loop\n[Loop]\nItem=15002\nLoop\n",
       [&] {
         QMenu* menu = GetMenuPopupByKey(1000)->GetSafeHmenu();
         int levels = 1;
         for (; entriesOf(menu).size() == 2; ++levels) menu = menu->actions()[1]->menu();
         EXPECT_EQ(levels, 8);
         EXPECT_EQ(itemsOf(menu), QStringList{"Item"});
       }},
      // Twenty popups: the table takes thirteen more, then refuses.
      {[] {
         QByteArray ini = "[Menus]\n";
         for (int i = 0; i < 20; ++i) ini += "M" + QByteArray::number(i) + "\n";
         for (int i = 0; i < 20; ++i) ini += "[M" + QByteArray::number(i) + "]\nCaption=M" + QByteArray::number(i) + "\nPosition=6\n";
         return ini;
       }(),
       [&] {
         EXPECT_EQ(barTitles().size(), 19);
         EXPECT_EQ(titleOfKey(1012), QStringLiteral("M12"));
         EXPECT_EQ(titleOfKey(1013), QStringLiteral("<none>"));
         EXPECT_EQ(titleOfKey(kPopupHelp), QStringLiteral("&?"));
       }},
  };
  for (const auto& [ini, check] : cases) {
    writeData("qxmenu.ini", ini);
    build("qxmenu.ini");
    check();
  }

  // "Menu File" naming another file: its menus, but the commands of
  // "qxmenu.ini".
  writeData("other.ini", "[Menus]\nO\n[O]\nCaption=Autre\nPosition=2\nMenu Items=I\n[I]\nAide=15003\n"
                         "[Commands]\n15003 Status Line=de other.ini\n");
  writeData("qxmenu.ini", "[Commands]\n15003 Status Line=de qxmenu.ini\n");
  build("other.ini");
  QAction* item = findItem(15003);
  ASSERT_TRUE(item);
  EXPECT_EQ(item->statusTip(), QStringLiteral("de qxmenu.ini"));
}

int entriesBelow(QMenu* menu) {
  int n = 0;
  for (QAction* a : entriesOf(menu)) n += 1 + (a->menu() ? entriesBelow(a->menu()) : 0);
  return n;
}

TEST_F(MenuExtension, OneBuildAddsAtMostAThousandEntries) {
  // A section listing itself three times would give 3,279 sub-menus.
  writeData("qxmenu.ini", "[Menus]\nX\nY\n[X]\nCaption=X\nPosition=6\nMenu Items=L\n[L]\nL\nL\nL\n"
                          "[Y]\nCaption=Y\nPosition=6\n");
  build("qxmenu.ini");
  EXPECT_EQ(entriesBelow(GetMenuPopupByKey(1000)->GetSafeHmenu()), 999);
  EXPECT_EQ(titleOfKey(1001), QStringLiteral("<none>"));
}

TEST_F(MenuExtension, ASectionListingItselfCostsNoMoreThanOneMenuShows) {
  // The same menu from the same lines read, whether the section lists
  // itself a thousand times or twenty thousand.
  const auto listing = [this](int times) {
    QByteArray ini = "[Menus]\nX\n[X]\nCaption=X\nPosition=6\nMenu Items=L\n[L]\n";
    for (int i = 0; i < times; ++i) ini += "L\n";
    writeData("qxmenu.ini", ini);
    const std::uint64_t before = tallix::iniSectionLinesRead();
    build("qxmenu.ini");
    const int entries = entriesBelow(GetMenuPopupByKey(1000)->GetSafeHmenu());
    return std::pair{tallix::iniSectionLinesRead() - before, entries};
  };
  const auto few = listing(1000);
  EXPECT_EQ(few.second, 999);
  EXPECT_EQ(listing(20000), few);
}

// The start makes only the popups of the bar; a popup makes its entries,
// and reads its status texts, when it is first about to show, each sub-menu
// in turn, and they are what the whole build made before (a later section
// placed among them included).
TEST_F(MenuExtension, APopupMakesItsEntriesWhenItFirstShows) {
  writeData("qxmenu.ini",
            "[Menus]\nX\nY\n[X]\nCaption=&X\nPosition=6\nMenu Items=L\n"
            "[Y]\nCaption=Y\nPosition=1000\nSub Position Cmd=15001\nMenu Items=T\n"
            "[L]\nUn=15000\nDeux=15001\nS\n[S]\nTrois=15002\n[T]\nQuatre=15003\n"
            "[Commands]\n15002 Status Line=trois\n");
  build("qxmenu.ini");
  QMenu* x = GetMenuPopupByKey(1000)->GetSafeHmenu();
  EXPECT_TRUE(x->actions().isEmpty());
  const auto show = [](QMenu* menu) {
    menu->popup(QPoint(10, 10));
    const QList<QAction*> shown = menu->actions();
    menu->hide();
    return shown;
  };
  const QList<QAction*> entries = show(x);
  QStringList texts;
  for (QAction* a : entries) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
  EXPECT_EQ(texts, (QStringList{"Un", "Deux", "-", "Y", "-", "S"}));
  ASSERT_EQ(entries.size(), 6);
  QMenu* s = entries[5]->menu();
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->actions().isEmpty());
  const QList<QAction*> sub = show(s);
  ASSERT_EQ(sub.size(), 1);
  EXPECT_EQ(sub[0]->text(), QStringLiteral("Trois"));
  EXPECT_EQ(sub[0]->statusTip(), QStringLiteral("trois"));
  EXPECT_EQ(itemsOf(entries[3]->menu()), QStringList{"Quatre"});
}

TEST_F(MenuExtension, ASectionThatFillsTheBufferToItsLastCharacterEndsThere) {
  // 99 lines of 319 characters and one of 318 take 31,999 of the 32,000: the
  // last holds the final NUL, and the line after has no room.
  QByteArray ini = "[Menus]\nX\n[X]\nCaption=X\nPosition=6\nMenu Items=I\n[I]\n";
  for (int i = 0; i < 100; ++i) ini += QByteArray(i < 99 ? 313 : 312, char('a' + i % 26)) + "=15000\n";
  ini += "Fin=15001\n";
  writeData("qxmenu.ini", ini);
  build("qxmenu.ini");
  const QStringList items = itemsOf(GetMenuPopupByKey(1000)->GetSafeHmenu());
  EXPECT_EQ(items.size(), 100);
  EXPECT_FALSE(items.contains(QStringLiteral("Fin")));
}

TEST_F(MenuExtension, AFileReferredToUnderAnotherNameIsTheOneReadAlready) {
  // Spelt anew by each command, the 200 KB file would not fit twice in what
  // the referred files of one build may hold together.
  QByteArray ini = "[Menus]\nX\n[X]\nCaption=X\nPosition=6\nMenu Items=I\n[I]\nA=15000\nB=15001\nC=15002\n"
                   "[Commands]\n15001 Ref File=./qxmenu.ini\n15002 Ref File=.//qxmenu.ini\n";
  for (UINT id = 15000; id <= 15002; ++id) ini += QByteArray::number(id) + " Status Line=texte " + QByteArray::number(id) + "\n";
  ini += "[Padding]\n" + QByteArray(200 * 1024, 'x') + "\n";
  writeData("qxmenu.ini", ini);
  build("qxmenu.ini");
  for (UINT id = 15000; id <= 15002; ++id) {
    QAction* item = findItem(id);
    ASSERT_TRUE(item) << id;
    EXPECT_EQ(item->statusTip(), QStringLiteral("texte %1").arg(id)) << id;
  }
}

TEST_F(MenuExtension, ItemsOpenTheirTargetsAndShowTheirStatusTexts) {
  QStringList opened;
  tallix::SetShellOpenHandler([&](const QString& target) {
    opened << target;
    return true;
  });
  writeData("qxmenu.ini",
            "[Menus]\nHelp\n[Help]\nCaption=&Liens\nPosition=600\nMenu Items=Links\n"
            "[Links]\nSite web=15000\nSans cible=15001\n-=-1\nRien=0\nPlus\n[Plus]\nAutre=15002\n"
            "[Commands]\n15000 URL=https://example.org/tallix\n15000 Status Line=Ouvre le site\n");
  build("qxmenu.ini");
  EXPECT_EQ(titleOfKey(1000), QStringLiteral("&Liens"));
  EXPECT_EQ(barTitles().indexOf(QStringLiteral("&Liens")), 5);  // before Help
  QMenu* links = GetMenuPopupByKey(1000)->GetSafeHmenu();
  EXPECT_EQ(itemsOf(links), (QStringList{"Site web", "Sans cible", "-", "[Plus]"}));

  // The range is enabled before the popup shows.
  QAction* site = links->actions()[0];
  QAction* none = links->actions()[1];
  site->setEnabled(false);
  frame->OnInitMenuPopup(links);
  EXPECT_TRUE(site->isEnabled());
  site->trigger();
  none->trigger();
  EXPECT_EQ(opened, QStringList{"https://example.org/tallix"});

  site->showStatusText(frame);
  EXPECT_EQ(status->currentMessage(), QStringLiteral("Ouvre le site"));
  links->actions()[3]->showStatusText(frame);  // a sub-menu: the idle text
  EXPECT_EQ(status->currentMessage(), QStringLiteral("Prêt"));
}

TEST_F(MenuExtension, RefFileSendsTheReadToAnotherFileOrTheProfile) {
  QDir(env.dataDir()).mkpath(QStringLiteral("sub"));
  writeData("sub/ref.ini", "[Commands]\n15001 URL=from sub\n");
  writeData("named.ini", "[Commands]\n15002 URL=from named\n");
  writeData("qxmenu.ini", QByteArray("[Commands]\n15000 URL=direct\n15001 Ref File=") + "sub\\ref.ini\n" +
                              "15002 Ref File=named.ini\n15003 Ref File=reg:HKEY_CURRENT_USER\\Software\\Brindlewood\\TALLIX\\Links\n" +
                              "15004 Ref File=REG:\n15005 URL=\n16000 URL=out of range\n");
  AppWriteProfileString("Links", ".", "/opt/docs");
  AppWriteProfileString("Links", "15003 URL", "%ROOT%/page.html");
  const std::vector<std::pair<UINT, std::string>> expected = {
      {15000, "direct"}, {15001, "from sub"}, {15002, "from named"}, {15003, "/opt/docs/page.html"},
      {15004, ""},       {15005, ""},         {16000, ""},           {14999, ""}};
  for (const auto& [id, target] : expected) {
    std::string out;
    EXPECT_EQ(GetMenuCommandTarget(id, &out), !target.empty()) << id;
    EXPECT_EQ(out, target) << id;
  }
}

// A command's status text comes only from a regular file: a FIFO is never
// opened (the open would wait for ever), /dev/zero never read. The files the
// commands refer to share one bound per build: one that does not fit in
// what is left gives no text, and the build goes on.
TEST_F(MenuExtension, StatusTextsComeOnlyFromRegularFilesWithinTheBuildsShare) {
  FifoWatch fifo(env.dataFile(QStringLiteral("pipe.ini")));
  ASSERT_TRUE(fifo.made());
  for (const char* name : {"a", "b"}) {
    QByteArray text = QByteArray("[Commands]\n1500") + (*name == 'a' ? "1" : "2") + " Status Line=" + name + '\n';
    writeData((std::string(name) + ".ini").c_str(), text + QByteArray(200 * 1024, ';'));
  }
  const QByteArray menus = "[Menus]\nM\n[M]\nCaption=M\nPosition=600\nMenu Items=I\n[I]\nA=15000\nB=15001\nC=15002\n";
  writeData("qxmenu.ini", menus + "[Commands]\n15000 Ref File=pipe.ini\n15001 Status Line=next\n");
  ASSERT_FALSE(fifo.openedDuring([&] { build("qxmenu.ini"); }));
  const auto tips = [] {
    QStringList out;
    for (QAction* a : entriesOf(GetMenuPopupByKey(1000)->GetSafeHmenu())) out << a->statusTip();
    return out;
  };
  EXPECT_EQ(tips(), (QStringList{"", "next", ""}));
  writeData("qxmenu.ini",
            menus + "[Commands]\n15000 Ref File=/dev/zero\n15001 Ref File=a.ini\n15002 Ref File=b.ini\n");
  build("qxmenu.ini");
  EXPECT_EQ(tips(), (QStringList{"", "a", ""}));
}

TEST_F(MenuExtension, AMissingFileLeavesTheMenuAsItWas) {
  const QStringList before = barTitles();
  const QStringList link = itemsOf(GetMenuPopupByKey(kPopupLink)->GetSafeHmenu());
  EXPECT_TRUE(BuildMenuExtension(env.dataFile(QStringLiteral("absent.ini"))));
  EXPECT_EQ(barTitles(), before);
  EXPECT_EQ(itemsOf(GetMenuPopupByKey(kPopupLink)->GetSafeHmenu()), link);
  app.m_pMainWnd = nullptr;
  EXPECT_FALSE(BuildMenuExtension(env.dataFile(QStringLiteral("absent.ini"))));
}

}  // namespace
