// The token-select popup: matching a typed text, where it opens, and what
// Enter and Escape do, also under a modal dialog and when opened under a
// menu.
#include "tests/tokens/TokenEditorTestSupport.h"
#include "tokens/QXCommandTable.h"
#include "tokens/QXTokenSelectWnd.h"

#include <QDialog>
#include <QMenu>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

// The editor's host: inserts what the popup reports.
class Host : public CWnd {
 public:
  DECLARE_MESSAGE_MAP()
  CQXTokenEditor* editor = nullptr;
  LRESULT OnInsert(WPARAM, LPARAM value) { return InsertNotifiedCommand(editor, value); }
};

const CMessageMap& Host::messageMap() {
  static const CMessageMap map =
      MessageMapOf<Host>(CWnd::messageMap()).registeredMessage(g_nTokenSelectInsertCmdNotify, &Host::OnInsert);
  return map;
}

class TokenSelect : public ::testing::Test {
 protected:
  void SetUp() override {
    fillTestMap(&map);
    table.SetCommand(0, 0x81, "sin ", "sin", "sine");
    table.SetCommand(0x7F, 0x50, "sinh ", "sinh", "hyperbolic sine");
    table.SetCommand(0x7F, 0x51, "SinReg", "SinReg", "regression");
    table.SetCommand(0, 0x82, "si", "si", "shorter");
    table.SetCommand(0, 0x83, "cos ", "cos", "cosine");
    table.BuildTextIndex();
  }
  void make(QWidget* top, QRect rect) {
    host.editor = &editor;
    host.setParent(top);
    host.setGeometry(0, 0, 400, 300);
    ASSERT_TRUE(editor.Create(WS_CHILD | WS_VISIBLE | kTokenEditorMultiLine, rect, &host, 1));
    editor.SetTokenTextMap(&map);
    ASSERT_TRUE(popup.Create(&host));
  }
  void showTop(QWidget* top) {
    top->resize(400, 300);
    top->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    top->activateWindow();
    editor.setFocus();
  }
  // Types `text`, selects it all and converts it.
  int convert(const std::string& text) {
    setTokens(&editor, text, kTokenFormatBytes);
    editor.SetSel(0, -1, FALSE);
    return ConvertTextToCommand(&editor, &popup, &table);
  }
  QString itemText(int i) { return popup.GetList()->GetItemText(i, 0).trimmed(); }
  int selected() { return popup.GetList()->GetNextItem(-1, LVNI_SELECTED); }

  CQXTokenTextMap map;
  CQXCommandTable table;
  QWidget top;
  QDialog dialog;
  Host host;
  CQXTokenEditor editor;
  CQXTokenSelectWnd popup;
};

TEST_F(TokenSelect, ListsTheMatchesAndSelectsTheExactOne) {
  make(&top, QRect(10, 10, 300, 200));
  showTop(&top);
  ASSERT_EQ(convert("sin "), 1);
  QStringList items;
  for (int i = 0; i < popup.GetList()->GetItemCount(); ++i) items << itemText(i);
  EXPECT_TRUE(items.contains(QStringLiteral("sin")));
  EXPECT_TRUE(items.contains(QStringLiteral("sinh")));
  EXPECT_TRUE(items.contains(QStringLiteral("SinReg")));
  EXPECT_FALSE(items.contains(QStringLiteral("cos")));
  EXPECT_EQ(itemText(selected()), QStringLiteral("sin"));
  EXPECT_TRUE(popup.isVisible());

  // Without an exact match the longest command that begins the text.
  popup.Hide();
  ASSERT_EQ(convert("sine"), 1);
  EXPECT_EQ(itemText(selected()), QStringLiteral("sin"));
}

TEST_F(TokenSelect, EnterInsertsEscapeOnlyReturnsTheFocus) {
  make(&top, QRect(10, 10, 300, 200));
  showTop(&top);
  ASSERT_EQ(convert("sin "), 1);
  QTest::keyClick(popup.GetList()->GetReportView(), Qt::Key_Escape);
  EXPECT_FALSE(popup.isVisible());
  QTRY_VERIFY(editor.hasFocus());
  QCoreApplication::processEvents();
  EXPECT_EQ(tokensOf(editor, kTokenFormatBytes), "sin ");

  ASSERT_EQ(convert("sin "), 1);
  QTest::keyClick(popup.GetList()->GetReportView(), Qt::Key_Return);
  EXPECT_FALSE(popup.isVisible());
  QTRY_COMPARE(tokensOf(editor, kTokenFormatBytes), std::string("\x81"));  // table byte 0: one byte
  QTRY_VERIFY(editor.hasFocus());

  editor.SetSel(0, -1, FALSE);
  InsertNotifiedCommand(&editor, LPARAM(MakeCommandValue(0x7F, 0x50)));
  EXPECT_EQ(tokensOf(editor, kTokenFormatBytes), std::string("\x7F\x50"));
}

TEST_F(TokenSelect, OpensInsideTheEditorAndTheScreen) {
  make(&top, QRect(10, 10, 300, 40));
  showTop(&top);
  std::string lines;
  for (int i = 0; i < 30; ++i) lines += "x\r";
  lines += "sin ";
  setTokens(&editor, lines, kTokenFormatBytes);
  editor.SetSel(60, 64, FALSE);  // far below the visible lines
  ASSERT_EQ(ConvertTextToCommand(&editor, &popup, &table), 1);
  const QRect window(editor.mapToGlobal(QPoint(0, 0)), editor.size());
  EXPECT_EQ(popup.geometry().top(), window.bottom());

  const QRect area = editor.screen()->availableGeometry();
  popup.ShowAt(QPoint(area.right() - 20, area.top() + 10));
  EXPECT_EQ(popup.geometry().right(), area.right() - 5);
}

TEST_F(TokenSelect, TakesTheKeysUnderAModalDialog) {
  dialog.setWindowModality(Qt::ApplicationModal);
  make(&dialog, QRect(10, 10, 300, 200));
  showTop(&dialog);
  ASSERT_EQ(convert("sin "), 1);
  QTRY_VERIFY(popup.isActiveWindow());
  // Through the window system, where modality blocks input.
  QTest::keyClick(popup.windowHandle(), Qt::Key_Return);
  QTRY_COMPARE(tokensOf(editor, kTokenFormatBytes), std::string("\x81"));
}

// Opened while a menu held the keyboard, the popup never was active: Escape
// and a click in the editor close it all the same.
TEST_F(TokenSelect, OpenedUnderAMenuItClosesOnEscapeAndOnAClickInTheEditor) {
  make(&top, QRect(10, 10, 300, 200));
  showTop(&top);
  QMenu menu;
  menu.addAction(QStringLiteral("x"));
  const auto openUnderMenu = [&] {
    menu.popup(top.mapToGlobal(QPoint(20, 20)));
    ASSERT_EQ(QApplication::activePopupWidget(), &menu);
    ASSERT_EQ(convert("sin "), 1);
    QTest::keyClick(&menu, Qt::Key_Escape);
    ASSERT_FALSE(menu.isVisible());
    ASSERT_TRUE(popup.isVisible());
    ASSERT_FALSE(popup.isActiveWindow());
    ASSERT_TRUE(editor.hasFocus());
  };
  openUnderMenu();
  QTest::keyClick(&editor, Qt::Key_Escape);
  EXPECT_FALSE(popup.isVisible());
  EXPECT_TRUE(top.isVisible());
  EXPECT_EQ(tokensOf(editor, kTokenFormatBytes), "sin ");

  openUnderMenu();
  QTest::mouseClick(&editor, Qt::LeftButton, {}, QPoint(150, 150));
  EXPECT_FALSE(popup.isVisible());
  EXPECT_EQ(tokensOf(editor, kTokenFormatBytes), "sin ");
}

}  // namespace
