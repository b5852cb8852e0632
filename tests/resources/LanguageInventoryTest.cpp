// The built language library against its catalogue: what it must hold is
// written out here, not read from the resource folder.
#include "platform/LanguageLibrary.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

using tallix::test::TestEnvironment;

namespace {

class LanguageInventory : public ::testing::Test {
 protected:
  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
};

std::vector<unsigned> range(unsigned first, unsigned last) {
  std::vector<unsigned> ids;
  for (unsigned id = first; id <= last; ++id) ids.push_back(id);
  return ids;
}

std::vector<unsigned> join(std::initializer_list<std::vector<unsigned>> parts) {
  std::vector<unsigned> ids;
  for (const auto& p : parts) ids.insert(ids.end(), p.begin(), p.end());
  return ids;
}

const std::vector<unsigned> kMenus = {128, 137, 150, 302, 304, 305, 307, 308, 310, 311, 312, 314, 315};
const std::vector<unsigned> kDialogs = {154, 500, 501, 502, 510, 511, 512, 514, 515, 516, 517, 518, 519, 520,
                                        521, 523, 524, 530, 550, 551, 552, 620, 621, 622, 623, 624, 625, 630,
                                        632, 635, 637, 638, 639, 640, 641, 643, 644, 645, 646, 647, 648, 649,
                                        650, 651, 652, 30721, 30722, 30723};
const std::vector<unsigned> kIcons = join({{128, 130, 133, 135, 139, 144, 145, 147, 148, 149, 151},
                                           range(200, 215), range(7365, 7368), {7370}, range(7372, 7381)});

// Every command in a menu, its nested popups included.
void collectCommands(const QMenu* menu, std::vector<int>& ids) {
  for (const QAction* a : menu->actions()) {
    if (a->menu()) collectCommands(a->menu(), ids);
    else if (!a->isSeparator()) ids.push_back(a->property("commandId").toInt());
  }
}

TEST_F(LanguageInventory, EveryCataloguedResourceExistsInItsType) {
  EXPECT_EQ(kDialogs.size(), 48u);
  EXPECT_EQ(kIcons.size(), 42u);
  for (unsigned id : kMenus) EXPECT_TRUE(std::unique_ptr<QMenu>(CLanguageLibrary::LoadMenu(id))) << id;
  for (unsigned id : {128u, 129u, 30997u}) EXPECT_FALSE(CLanguageLibrary::LoadAccelerators(id).empty()) << id;
  for (unsigned id : kDialogs) EXPECT_TRUE(std::unique_ptr<QWidget>(CLanguageLibrary::LoadDialog(id))) << id;
  for (unsigned id : kIcons) {
    const QIcon icon = CLanguageLibrary::LoadIcon(id);
    EXPECT_FALSE(icon.pixmap(16, 16).isNull()) << id;
    EXPECT_EQ(icon.availableSizes().size(), 2) << "icon " << id << " needs 16 and 32 pixels";
  }
  for (unsigned id : join({{151}, range(30977, 30982)})) EXPECT_FALSE(CLanguageLibrary::LoadCursorImage(id).isNull()) << id;
  for (unsigned id : {128u, 130u, 134u, 401u, 402u, 26567u, 30994u, 30995u, 30996u})
    EXPECT_FALSE(CLanguageLibrary::LoadBitmap(id).isNull()) << id;
  // Tool bars: their strips hold one image per button.
  const struct { unsigned id; std::vector<int> some; } bars[] = {
      {128, {}}, {130, {23050, 23051, 23052, 23053, 23054}}, {134, {23001, 23002, 23003, 23004, 23005, 23006, 23007, 23008}}};
  for (const auto& bar : bars) {
    const CToolBarResource tb = CLanguageLibrary::LoadToolBar(bar.id);
    ASSERT_TRUE(tb.isValid()) << bar.id;
    EXPECT_EQ(int(tb.bitmapId), int(bar.id));
    std::vector<int> buttons;
    for (int c : tb.commandIds) if (c) buttons.push_back(c);
    if (!bar.some.empty()) {
      EXPECT_EQ(buttons, bar.some) << bar.id;
    }
    EXPECT_EQ(CLanguageLibrary::LoadBitmap(tb.bitmapId).width(), int(buttons.size()) * tb.buttonSize.width()) << bar.id;
    EXPECT_FALSE(tb.buttonImage(int(buttons.size()) - 1).isNull());
  }
}

TEST_F(LanguageInventory, TheStringsThePartsNameExist) {
  const std::vector<unsigned> ids = join({
      {128, 135, 500},
      range(10020, 10031), {10035}, range(10037, 10043), range(10045, 10057),
      range(10100, 10104), {10152}, range(10154, 10161),
      range(10200, 10207), {10209, 10210, 10211, 10240, 10241, 10242, 10261, 10262},
      {10302, 10303, 10304, 10305, 10306, 10307, 10308, 10310, 10312, 10314, 10315, 10316, 10318, 10319, 10323,
       10324, 10326, 10327, 10328, 10329, 10332, 10333, 10334, 10335, 10336, 10338}, range(10340, 10357),
      range(10400, 10402), {10502, 10503}, range(10505, 10509), range(10511, 10515),
      {10550}, range(10552, 10556), range(10558, 10564), range(10567, 10580),
      {10600, 10602, 10603, 10604, 10605, 10606, 10607, 10609, 10610, 10620, 10660, 10661, 10662},
      {10700, 10701, 10702, 10735, 10800, 10801, 10802}, range(10840, 10844), range(10850, 10853),
      range(10860, 10865), range(10870, 10872), range(10880, 10888), range(10890, 10892), {10900, 10901},
      range(10904, 10907), range(10951, 10974), range(10978, 10984), {11100, 11101},
      range(21500, 21506), {22114, 40080, 40093, 57344, 57345, 61441, 61442, 61443, 61476, 61507, 61697, 61699,
                            61700, 61702, 61704, 61705, 61706, 61707, 61708, 61712, 61714, 61729, 61730, 61733,
                            61734, 61877}});
  for (unsigned id : ids) EXPECT_FALSE(CLanguageLibrary::LoadString(id).isEmpty()) << id;

  // Texts that are easy to get wrong: typos, words and blanks kept as they stand.
  EXPECT_EQ(CLanguageLibrary::LoadString(135),
            QStringLiteral("TALLIX PROFESSIONAL\n\nTALLIX\nDateityp TALLIX (*.qxd)\n.qxd\nQXLWIN32.Document\nTALLIX Dokument"));
  EXPECT_EQ(CLanguageLibrary::LoadString(57344), QStringLiteral("TALLIX PROFESSIONAL"));
  EXPECT_EQ(CLanguageLibrary::LoadString(10712), QStringLiteral("25-g Accelerometer "));
  EXPECT_EQ(CLanguageLibrary::LoadString(10861), QStringLiteral("9  point S-G smoothing"));
  EXPECT_TRUE(CLanguageLibrary::LoadString(10514).endsWith(QStringLiteral("police de caractères..")));
  EXPECT_EQ(CLanguageLibrary::LoadString(10160), QStringLiteral("Pas de données enregistrées pour l'entrée \"%1\"."));
}

TEST_F(LanguageInventory, EveryMenuAndToolBarCommandHasAPrompt) {
  std::vector<int> commands;
  for (unsigned id : CLanguageLibrary::ResourceIds(QStringLiteral("menus"))) {
    std::unique_ptr<QMenu> menu(CLanguageLibrary::LoadMenu(id));
    collectCommands(menu.get(), commands);
  }
  for (unsigned id : CLanguageLibrary::ResourceIds(QStringLiteral("toolbars")))
    for (int c : CLanguageLibrary::LoadToolBar(id).commandIds) commands.push_back(c);
  for (unsigned id : CLanguageLibrary::ResourceIds(QStringLiteral("accel")))
    for (const auto& e : CLanguageLibrary::LoadAccelerators(id)) commands.push_back(e.commandId);
  for (int c : {58112, 58114, 58115, 58116, 58117, 58118, 59392, 59393}) commands.push_back(c);
  for (int c : commands) {
    if (c) {
      EXPECT_FALSE(CLanguageLibrary::LoadString(unsigned(c)).isEmpty()) << "command " << c;
    }
  }
}

TEST_F(LanguageInventory, ControlIdsAreUniqueAndHelpButtonsHaveAPage) {
  EXPECT_TRUE(QFile::exists(QStringLiteral(":/lng/help/index.html")));
  EXPECT_TRUE(QFile::exists(QStringLiteral(":/lng/help/20080.html")));  // the main window
  for (unsigned id : CLanguageLibrary::ResourceIds(QStringLiteral("dialogs"))) {
    std::unique_ptr<QWidget> dlg(CLanguageLibrary::LoadDialog(id));
    ASSERT_TRUE(dlg) << id;
    std::set<int> seen;
    for (const QWidget* w : dlg->findChildren<QWidget*>()) {
      for (const char* property : {"ctrlId", "spinId"}) {
        bool ok = false;
        const int ctrl = w->property(property).toInt(&ok);
        if (ok) {
          EXPECT_TRUE(seen.insert(ctrl).second) << "dialog " << id << " uses control id " << ctrl << " twice";
        }
      }
    }
    if (seen.count(20)) {
      const QString page = QStringLiteral(":/lng/help/%1.html").arg(0x20000 + id, 0, 16);
      EXPECT_TRUE(QFile::exists(page)) << page.toStdString();
    }
  }
}

TEST_F(LanguageInventory, MainMenuMatchesItsCatalogue) {
  struct Popup {
    const char* text;
    std::vector<std::pair<int, const char*>> items;  // 0: separator; -1: nested popup title
  };
  const std::vector<Popup> expected = {
      {"&Fichier", {{57610, "&Nouveau...\tCtrl+N"}, {57601, "&Ouvrir...\tCtrl+O"}, {57603, "&Enregistrer\tCtrl+S"},
                    {57604, "En&registrer sous..."}, {0, ""}, {22000, "&Propriétés..."}, {0, ""},
                    {57607, "&Imprimer...\tCtrl+P"}, {57609, "Aperçu a&vant impression"},
                    {57605, "&Configuration de l'impression..."}, {0, ""}, {57616, "Fichier récent"}, {0, ""},
                    {57665, "&Quitter"}}},
      {"&Edition", {{57643, "&Annuler\tCtrl+Z"}, {0, ""}, {57635, "&Couper\tCtrl+X"}, {57634, "Co&pier\tCtrl+C"},
                    {57637, "C&oller\tCtrl+V"}, {22100, "S&upprimer\tDel"}, {0, ""}, {22102, "&Nouveau\tCtrl+F2"},
                    {22101, "&Editer\tF2"}, {22103, "&Sauvegarder\tF3"}, {0, ""}, {22112, "En&trée"}}},
      {"&Link", {{22200, "&Recevoir\tF5"}, {22201, "&Envoyer...\tF6"}, {22206, "Recevoir &copie d'écran\tCtrl+F5"},
                 {0, ""}, {22202, "&Paramètres..."}, {0, ""}, {-1, "&Sauvegarde de données"}}},
      {"&Options", {{22300, "&Calculatrice graphique..."}, {22301, "&Réglages..."}, {-1, "&Liste des commandes"}}},
      {"&Affichage", {{22401, "Sélectionner affichage"}, {0, ""}, {59392, "&Barre d'icônes"},
                      {59393, "Barre d'é&tat"}, {0, ""}, {22400, "P&artager"}}},
      {"&?", {{57667, "&Rubriques de l'aide"}, {22500, "&Homepage"}, {0, ""}, {57664, "&A propos"}}},
  };
  std::unique_ptr<QMenu> menu(CLanguageLibrary::LoadMenu(128));
  ASSERT_TRUE(menu);
  const QList<QAction*> top = menu->actions();
  ASSERT_EQ(top.size(), qsizetype(expected.size()));
  for (size_t p = 0; p < expected.size(); ++p) {
    EXPECT_EQ(top[p]->text(), QString::fromUtf8(expected[p].text));
    ASSERT_TRUE(top[p]->menu());
    const QList<QAction*> items = top[p]->menu()->actions();
    ASSERT_EQ(items.size(), qsizetype(expected[p].items.size())) << expected[p].text;
    for (size_t i = 0; i < expected[p].items.size(); ++i) {
      const auto& [id, text] = expected[p].items[i];
      if (id == 0) {
        EXPECT_TRUE(items[i]->isSeparator()) << expected[p].text << " " << i;
        continue;
      }
      EXPECT_EQ(items[i]->text(), QString::fromUtf8(text));
      if (id > 0) EXPECT_EQ(items[i]->property("commandId").toInt(), id);
      else EXPECT_TRUE(items[i]->menu());
    }
  }
  std::vector<int> backup, lists;
  collectCommands(top[2]->menu()->actions().last()->menu(), backup);
  collectCommands(top[3]->menu()->actions().last()->menu(), lists);
  EXPECT_EQ(backup, (std::vector<int>{22203, 22204, 22205}));
  EXPECT_EQ(lists, (std::vector<int>{22302, 22303, 22304}));
}

TEST_F(LanguageInventory, AcceleratorTablesMatchTheirCatalogue) {
  auto table = [](unsigned id) {
    std::set<std::pair<QString, int>> keys;
    for (const auto& e : CLanguageLibrary::LoadAccelerators(id))
      keys.insert({e.key.toString(QKeySequence::PortableText), e.commandId});
    return keys;
  };
  const std::set<std::pair<QString, int>> main = {
      {"Ctrl+C", 57634}, {"Ctrl+Ins", 57634}, {"Ctrl+V", 57637}, {"Shift+Ins", 57637}, {"Ctrl+X", 57635},
      {"Shift+Del", 57635}, {"Ctrl+Z", 57643}, {"Alt+Backspace", 57643}, {"Ctrl+N", 57600}, {"Ctrl+O", 57601},
      {"Ctrl+S", 57603}, {"Ctrl+P", 57607}, {"Ctrl+K", 40093}, {"F1", 57670}, {"Ctrl+F1", 57667}, {"F2", 22101},
      {"Ctrl+F2", 22102}, {"F3", 22103}, {"F5", 22200}, {"Ctrl+F5", 22206}, {"F6", 22201}, {"F7", 22203},
      {"F8", 22204}};
  EXPECT_EQ(table(128), main);
  const std::set<std::pair<QString, int>> editors = {
      {"Ctrl+A", 57642}, {"Ctrl+C", 57634}, {"Ctrl+Ins", 57634}, {"Ctrl+V", 57637}, {"Shift+Ins", 57637},
      {"Ctrl+X", 57635}, {"Shift+Del", 57635}, {"Ctrl+Z", 57643}, {"Alt+Backspace", 57643}, {"Ctrl+K", 40093}};
  EXPECT_EQ(table(129), editors);
  const std::set<std::pair<QString, int>> preview = {{"PgDown", 58114}, {"PgUp", 58115}, {"Esc", 58112}};
  EXPECT_EQ(table(30997), preview);
}

TEST_F(LanguageInventory, PreviewBarCarriesTheSixPreviewCommands) {
  std::unique_ptr<QWidget> bar(CLanguageLibrary::LoadDialog(30723));
  ASSERT_TRUE(bar);
  const std::pair<int, const char*> buttons[] = {{58116, "&Imprimer..."}, {58114, "&Suivante"},
                                                 {58115, "&Précédente"}, {58117, "Zoom ava&nt"},
                                                 {58118, "Zoom a&rrière"}, {58112, "&Fermer"}};
  for (const auto& [id, text] : buttons) {
    auto* b = GetDlgItemAs<QPushButton>(bar.get(), id);
    ASSERT_TRUE(b) << id;
    EXPECT_EQ(b->text(), QString::fromUtf8(text));
  }
}

TEST_F(LanguageInventory, ColourPreviewsCarryDistinctKeyColours) {
  const QImage colour = CLanguageLibrary::LoadBitmap(401).toImage();
  const QImage mono = CLanguageLibrary::LoadBitmap(402).toImage();
  std::set<QRgb> keys;
  for (int x = 0; x < 4; ++x) keys.insert(colour.pixel(x, 0));
  EXPECT_EQ(keys.size(), 4u);
  EXPECT_NE(mono.pixel(0, 0), mono.pixel(1, 0));
}

TEST_F(LanguageInventory, VersionEntryNamesTheLibrary) {
  QFile f(QStringLiteral(":/lng/version.txt"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(f.readAll());
  EXPECT_TRUE(text.contains(QStringLiteral("FileDescription\tlanguage resources")));
  EXPECT_TRUE(text.contains(QStringLiteral("OriginalFilename\tQXLWIN32.LNG")));
  EXPECT_TRUE(text.contains(QStringLiteral("Language\t1036")));
}

}  // namespace
