// The function memory and graph function pages: what their items open as,
// what a commit writes back, and the field menus' changes of type,
// relation and colour.
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXFuncMemV5Item.h"
#include "datamodel/QXFunctionItems.h"
#include "datamodel/QXGraphFuncSets.h"
#include "pages/QXFunctionMemoryPages.h"
#include "pages/QXGraphFunctionPages.h"
#include "tests/pages/PageSheetHost.h"
#include "tests/pages/PageTestSupport.h"
#include "tests/support/MessageLog.h"
#include "platform/ListCtrl.h"
#include "tokens/QXCharTableDlg.h"

#include <QFontDatabase>
#include <QMenu>
#include <QTimer>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace tallix::test {
namespace {

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(char(v));
  return out;
}

template <class Page>
class Opened : public SelectedEntryPage<Page> {
 public:
  CQXTokenFieldList& list() { return *this->GetFieldList(); }
  std::string label(int i) { return list().GetField(i)->GetLabel(); }
  std::string tokens(int i) {
    CQXFieldTokenEditor* editor = list().GetFieldEditor(i);
    std::string out(std::size_t(editor->GetTokensLength(kTokenFormatBytes)), '\0');
    int length = 0;
    editor->GetTokens(reinterpret_cast<BYTE*>(out.data()), int(out.size()), &length, kTokenFormatBytes);
    out.resize(std::size_t(length));
    return out;
  }
  // Command `id` on field i, as its "..." menu sends it.
  void command(int i, UINT id) {
    list().FocusField(i);
    this->SendMessage(WM_COMMAND, id);
  }
};

class FunctionPages : public ::testing::Test {
 protected:
  void SetUp() override {
    // The calculator font of the build, as the program installs it.
    static const int font = QFontDatabase::addApplicationFont(TestEnvironment::builtProgramDir() + "/QXL2.fon");
    ASSERT_GE(font, 0);
    // 0x7F is a lead byte: 7F F6 is one token.
    CQXCommandTable& table = window.doc.GetTokenTable();
    table.SetCommand(0x7F, 0xF6, "Q", "q", "two-byte token ending in F6");
    table.SetCommand(0, 0x41, "A", "a", "A");
  }
  // Opens the page on an item that `make` builds.
  template <class Page>
  void open(Page* page, std::function<CQXCalcItem*()> make) {
    page->current = [make] {
      auto* entry = new CQXDocEntry;
      entry->SetItem(make());
      return entry;
    };
    host.show(page);
    ASSERT_NE(page->GetFieldList(), nullptr);
  }

  PageWindow window;
  MessageLog messages;
  PageSheetHost host;
};

TEST_F(FunctionPages, OlderFunctionMemoryDropsOnlyTheEndByte) {
  const std::string a = bytes({0x41, 0xFF}), ab = bytes({0x41, 0x42});
  Opened<CQXFunctionMemoryDataPage> page;
  open(&page, [&] {
    auto* item = new CQXFuncMemItem;
    item->SetFunctionBytes(0, reinterpret_cast<const BYTE*>(a.data()), 2);
    item->SetFunctionBytes(2, reinterpret_cast<const BYTE*>(ab.data()), 2);
    return item;
  });
  ASSERT_EQ(page.list().GetFieldCount(), 6);
  EXPECT_EQ(page.label(0), "f1:   ");
  EXPECT_EQ(page.label(5), "f6:   ");
  EXPECT_EQ(page.list().GetFieldEditor(5)->GetDlgCtrlID(), 240);
  EXPECT_EQ(page.tokens(0), "A");
  EXPECT_EQ(page.tokens(2), "AB");
  EXPECT_FALSE(page.IsModified());

  CQXDocEntry entry;
  auto* stored = new CQXFuncMemItem;
  entry.SetItem(stored);
  ASSERT_TRUE(page.StoreToItem(&entry));
  auto text = [&](int n) {
    return std::string(reinterpret_cast<const char*>(stored->GetFunctionData(n)), stored->GetFunctionLength(n));
  };
  EXPECT_EQ(text(0), a);
  EXPECT_EQ(text(1), bytes({0xFF}));
  EXPECT_EQ(text(2), bytes({0x41, 0x42, 0xFF}));
}

TEST_F(FunctionPages, NewerFunctionMemoryKeepsEveryByteAndCommandsGoWhereTheFocusWasLast) {
  const std::string q = bytes({0x7F, 0xF6, 0x41});
  Opened<CQXFunctionMemoryV5DataPage> page;
  open(&page, [&] {
    auto* item = new CQXFuncMemV5Item;
    item->GetEntry(1)->Assign(reinterpret_cast<const BYTE*>(q.data()), 3);
    return item;
  });
  ASSERT_EQ(page.list().GetFieldCount(), 20);
  EXPECT_EQ(page.tokens(1), q);

  // Ctrl+Up at the top of the list does not scroll.
  page.list().FocusField(0);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up, Qt::ControlModifier);
  QCoreApplication::processEvents();
  EXPECT_EQ(page.list().GetFirstVisibleField(), 0);
  EXPECT_EQ(page.list().GetScrollBar()->value(), 0);

  // The pane's command goes into the field that had the focus last, also
  // while the pane has it.
  page.list().FocusField(3);
  CQXCmdChooser& pane = page.GetCmdChooser();
  pane.SetCurrentView(CQXCmdChooser::kViewAll);
  auto* all = static_cast<CListCtrl*>(pane.GetView(CQXCmdChooser::kViewAll));
  ASSERT_GT(all->GetItemCount(), 0);
  all->SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  all->SetFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QCoreApplication::sendPostedEvents(&page);
  const DWORD value = DWORD(all->GetItemData(0));
  const BYTE table = BYTE(value & 0xFFFF), number = BYTE(value >> 16);
  EXPECT_EQ(page.tokens(3), table ? bytes({table, number}) : bytes({number}));

  // The character table puts one byte in as one token: a lead byte alone
  // would join the next byte, so it is refused.
  auto pick = [&](int code) {
    QTimer::singleShot(0, [code] {
      auto* dialog = qobject_cast<CQXCharTableDlg*>(QApplication::activeModalWidget());
      ASSERT_TRUE(dialog);
      dialog->GetGrid()->SelectCode(code);
      dialog->OnOK();
    });
    page.SendMessage(WM_COMMAND, 22106);
    // As the window manager does when the dialog goes.
    QApplication::setActiveWindow(&host.window);
  };
  page.list().FocusField(0);
  pick(0x7F);
  EXPECT_EQ(page.tokens(0), "");
  pick(0x42);
  EXPECT_EQ(page.tokens(0), "B");
  EXPECT_EQ(QApplication::focusWidget(), page.list().GetFieldEditor(0));

  CQXDocEntry entry;
  auto* stored = new CQXFuncMemV5Item;
  entry.SetItem(stored);
  ASSERT_TRUE(page.StoreToItem(&entry));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored->GetEntry(1)->GetData()), 3), q);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored->GetEntry(0)->GetData()), 1), "B");
}

TEST_F(FunctionPages, OlderGraphFunctionsSplitAtASeparatorTokenOnly) {
  const std::string pair = bytes({0x41, 0xF6, 0x42, 0xFF}), token = bytes({0x7F, 0xF6, 0xFF});
  Opened<CQXGraphFunctionDataPage> page;
  open(&page, [&] {
    auto* item = new CQXGraphFunc10Item;
    item->SetFunctionBytes(0, reinterpret_cast<const BYTE*>(pair.data()), 4);
    item->SetFunctionBytes(1, reinterpret_cast<const BYTE*>(token.data()), 3);
    return item;
  });
  ASSERT_EQ(page.list().GetFieldCount(), 11);
  EXPECT_EQ(page.label(0), "Xt1=");
  EXPECT_EQ(page.label(1), "Yt1=");
  EXPECT_EQ(page.tokens(0), "A");
  EXPECT_EQ(page.tokens(1), "B");
  EXPECT_EQ(page.list().GetFieldEditor(1)->GetDlgCtrlID(), 204);
  EXPECT_EQ(page.label(2), "Y2=");
  EXPECT_EQ(page.tokens(2), bytes({0x7F, 0xF6}));

  CQXDocEntry entry;
  auto* stored = new CQXGraphFunc10Item;
  entry.SetItem(stored);
  ASSERT_TRUE(page.StoreToItem(&entry));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored->GetFunctionData(0)), 4), pair);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored->GetFunctionData(1)), 3), token);
  PageWindow::lookAt();
}

TEST_F(FunctionPages, OlderFieldMenuChangesTypeRelationAndColour) {
  Opened<CQXGraphFunctionDataPage> page;
  open(&page, [] {
    auto* item = new CQXGraphFunc10Item;
    item->GetFunction(2)->GetRelationField().Set(kRelationLessEqual);
    return item;
  });
  ASSERT_EQ(page.list().GetFieldCount(), 10);

  // Y1 to parametric gains an empty Yt field, id + 4; back to Y removes it.
  page.command(0, 20033);
  ASSERT_EQ(page.list().GetFieldCount(), 11);
  EXPECT_EQ(page.label(0), "Xt1=");
  EXPECT_EQ(page.label(1), "Yt1=");
  EXPECT_EQ(page.list().GetFieldEditor(1)->GetDlgCtrlID(), 204);
  EXPECT_TRUE(page.IsModified());

  // A colour chosen on Yt shows on Xt too.
  page.command(1, 20041);
  EXPECT_TRUE(StyleHasColour(*page.RecordOf<CQXGraphFunctionInfo>(0), 0, "OR"));
  page.list().FocusField(0);
  CCmdUI ui;
  ui.m_nID = 20041;
  EXPECT_TRUE(page.OnCmdMsg(20041, CN_UPDATE_COMMAND_UI, &ui, nullptr));
  EXPECT_EQ(ui.m_nCheck, 1);

  page.command(1, 20031);
  ASSERT_EQ(page.list().GetFieldCount(), 10);
  EXPECT_EQ(page.label(0), "Y1=");

  // An inequality turns r2= into a Y function first.
  page.command(1, 20032);
  EXPECT_EQ(page.label(1), "r2=");
  page.command(1, 20036);
  EXPECT_EQ(page.label(1), "Y2>");
  // Type Y on Y3<= keeps its relation as text.
  page.command(2, 20031);
  EXPECT_EQ(page.label(2), "Y3<=");
}

TEST_F(FunctionPages, TheButtonsMenuOpensBelowItAndActsOnItsField) {
  Opened<CQXGraphFunctionDataPage> page;
  open(&page, [] { return new CQXGraphFunc10Item; });
  page.list().FocusField(3);
  QWidget* button = page.list().GetField(3)->GetButton();
  button->setFocus(Qt::MouseFocusReason);
  QPoint menuAt;
  bool typeYMarked = false;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    menuAt = menu->pos();
    for (QAction* a : menu->actions()) {
      if (CommandIdOf(a) == 20031) typeYMarked = a->isChecked();
      if (CommandIdOf(a) == 20033) QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
    }
  });
  page.SendMessage(g_nCmdButtonClickedMessage, WPARAM(224 + 1));
  QCoreApplication::sendPostedEvents(&page);
  EXPECT_EQ(menuAt, button->mapToGlobal(QPoint(0, button->height() + 1)));
  EXPECT_TRUE(typeYMarked);
  ASSERT_EQ(page.list().GetFieldCount(), 11);
  EXPECT_EQ(page.label(3), "Xt4=");
  EXPECT_EQ(page.label(4), "Yt4=");
}

TEST_F(FunctionPages, NewerGraphFunctionsKeepTypeFlagsAndColour) {
  const std::string pair = bytes({0x41, 0xF6, 0x42}), lone = bytes({0x41});
  Opened<CQXGraphFunctionV5DataPage> page;
  open(&page, [&] {
    auto* item = new CQXGraphFuncV5Item;
    item->GetEntry(0)->SetType(kGraphTypeParametric);
    item->GetEntry(0)->SetExpression(reinterpret_cast<const BYTE*>(pair.data()), 3);
    item->GetEntry(1)->SetType(kGraphTypeParametric);
    item->GetEntry(1)->SetExpression(reinterpret_cast<const BYTE*>(lone.data()), 1);
    return item;
  });
  ASSERT_EQ(page.list().GetFieldCount(), 32);
  EXPECT_EQ(page.label(0), "Xt1=");
  EXPECT_EQ(page.label(1), "Yt1=");
  EXPECT_EQ(page.tokens(1), "B");
  // Without a separator the first field takes every byte.
  EXPECT_EQ(page.tokens(2), "A");
  EXPECT_EQ(page.tokens(3), "");

  page.command(4, 20036);  // Y3>
  EXPECT_EQ(page.label(4), "Y3>");
  page.command(1, 20041);  // orange on Yt1
  page.command(0, 20043);  // drawn in graph mode
  CQXDocEntry entry;
  auto* stored = new CQXGraphFuncV5Item;
  entry.SetItem(stored);
  ASSERT_TRUE(page.StoreToItem(&entry));
  const CQXGraphFuncEntry* first = stored->GetEntry(0);
  EXPECT_EQ(std::string(first->GetExpression().begin(), first->GetExpression().end()), pair);
  EXPECT_EQ(first->GetType(), DWORD(kGraphTypeParametric));
  EXPECT_EQ(first->GetStyle(), 1u);
  EXPECT_EQ(first->GetOption(), 0x80u);
  EXPECT_EQ(stored->GetEntry(2)->GetType(), DWORD(kGraphTypeYGreater));
}

}  // namespace
}  // namespace tallix::test
