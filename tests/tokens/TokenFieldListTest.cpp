// The field list: rows that fit, Tab through fields and buttons with
// scrolling, the focus of a removed field, the "..." button and its
// message; the separator of a parametric function found token-wise.
#include "tests/tokens/TokenEditorTestSupport.h"
#include "tokens/CalcTokenBytes.h"
#include "tokens/QXTokenEditorVariants.h"
#include "tokens/QXTokenField.h"
#include "tokens/QXTokenFieldList.h"

#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace tallix::test;

namespace {

class FieldList : public CQXTokenFieldList {
 public:
  using CQXTokenFieldList::CQXTokenFieldList;

 protected:
  CQXTokenField* CreateField() override { return new CQXTokenField; }
};

// The page: hands Tab to the list as a page's pre-translation does, and
// logs the buttons' messages.
class Page : public CWnd {
 public:
  DECLARE_MESSAGE_MAP()
  CQXTokenFieldList* list = nullptr;
  std::vector<WPARAM> clicks;

  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && list && list->OnTabKey(msg)) return TRUE;
    return CWnd::PreTranslateMessage(msg);
  }
  LRESULT OnCmdButton(WPARAM id, LPARAM) {
    clicks.push_back(id);
    return 0;
  }
};

const CMessageMap& Page::messageMap() {
  static const CMessageMap map =
      MessageMapOf<Page>(CWnd::messageMap()).registeredMessage(g_nCmdButtonClickedMessage, &Page::OnCmdButton);
  return map;
}

class TokenFieldList : public ::testing::Test {
 protected:
  void SetUp() override {
    fillTestMap(&map);
    page.resize(400, 400);
    page.list = &list;
    auto* bar = new QScrollBar(Qt::Vertical, &page);
    bar->setProperty("ctrlId", 1003);
    list.setParent(&page);
    ASSERT_TRUE(list.AttachScrollBar(1003, &page));
    for (int i = 0; i < 10; ++i) {
      const std::string label = "f" + std::to_string(i + 1) + ":";
      ASSERT_TRUE(list.AddField(label.c_str(), "", UINT(200 + 8 * i), &page, std::uintptr_t(i)));
    }
    for (int i = 0; i < 10; ++i) list.GetFieldEditor(i)->SetTokenTextMap(&map);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  }
  // A list `rows` rows high (plus `extra` pixels).
  void fitRows(int rows, int extra = 0) {
    const int row = list.GetFieldHeight() + CQXTokenFieldList::kFieldGap;
    list.setGeometry(4, 4, 300, rows * row - CQXTokenFieldList::kFieldGap + extra);
  }
  bool shown(int i) { return list.GetField(i)->IsShown(); }
  QWidget* focus() { return QApplication::focusWidget(); }

  CQXTokenTextMap map;
  Page page;
  FieldList list;
};

TEST_F(TokenFieldList, RowsThatDoNotFitWholeAreHiddenAndTabScrollsToThem) {
  fitRows(5, list.GetFieldHeight() / 2);
  EXPECT_TRUE(shown(4));
  EXPECT_FALSE(shown(5));  // half of it would fit
  list.FocusField(4);
  ASSERT_EQ(focus(), list.GetFieldEditor(4));
  QTest::keyClick(focus(), Qt::Key_Tab);
  EXPECT_EQ(focus(), list.GetField(4)->GetButton());  // the button stays while it has the focus
  EXPECT_TRUE(list.GetField(4)->GetButton()->isVisible());
  QTest::keyClick(focus(), Qt::Key_Tab);
  EXPECT_EQ(focus(), list.GetFieldEditor(5));
  EXPECT_EQ(list.GetFirstVisibleField(), 1);
  EXPECT_EQ(list.GetScrollBar()->value(), 1);
  EXPECT_FALSE(shown(0));
  EXPECT_TRUE(shown(5));
  EXPECT_FALSE(list.GetField(4)->GetButton()->isVisible());  // another field took the focus
  QTest::keyClick(focus(), Qt::Key_Backtab);
  EXPECT_EQ(focus(), list.GetFieldEditor(4));
}

TEST_F(TokenFieldList, ScrollBarAndTabAtTheEnds) {
  fitRows(5);
  list.GetScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(list.GetFirstVisibleField(), 1);
  list.GetScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  list.GetScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(list.GetFirstVisibleField(), 0);
  // Shift+Tab from the first field's editor leaves the list to the dialog.
  list.FocusField(0);
  MSG msg;
  QKeyEvent backtab(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
  msg.message = WM_KEYDOWN;
  msg.wParam = VK_TAB;
  msg.keyEvent = &backtab;
  EXPECT_FALSE(list.OnTabKey(&msg));
}

TEST_F(TokenFieldList, RemovingTheFocusedFieldFocusesANeighbour) {
  fitRows(10);
  list.FocusField(0);
  QWidget* second = list.GetFieldEditor(1);
  ASSERT_TRUE(list.RemoveField(0));
  EXPECT_EQ(focus(), second);
  EXPECT_EQ(list.GetFieldCount(), 9);
  EXPECT_EQ(list.GetScrollBar()->maximum(), 8);
  list.FocusField(8);
  ASSERT_TRUE(list.RemoveField(8));
  EXPECT_EQ(focus(), list.GetFieldEditor(7));
  EXPECT_EQ(list.GetRememberedFieldId(), 200 + 8 * 8);  // field 7 of the ten, id 264
}

TEST_F(TokenFieldList, TheButtonPostsItsIdToThePage) {
  fitRows(10);
  list.FocusField(2);
  QWidget* button = list.GetField(2)->GetButton();
  ASSERT_TRUE(button->isVisible());
  QTest::mouseClick(button, Qt::LeftButton);
  QTRY_COMPARE(page.clicks.size(), std::size_t(1));
  EXPECT_EQ(page.clicks[0], WPARAM(200 + 8 * 2 + 1));
  EXPECT_EQ(focus(), button);
  list.FocusField(3);
  EXPECT_FALSE(button->isVisible());
}

TEST_F(TokenFieldList, TextLabelAndModifiedGoThroughTheEditor) {
  CQXTokenField* field = list.GetField(0);
  EXPECT_EQ(field->GetLabel(), "f1:");
  field->SetText("A+B");
  std::string text;
  field->GetText(&text);
  EXPECT_EQ(text, "A+B");
  EXPECT_FALSE(list.AnyModified());
  list.SetAllModified(TRUE);
  EXPECT_TRUE(list.GetField(9)->IsModified());

  // A label is calculator text: the label column is as wide as the sample's
  // codes show.
  list.SetLabelWidthFromText("r\xCE" "\x9B:", nullptr);
  EXPECT_EQ(list.GetLabelColumnWidth(), QFontMetrics(list.font()).horizontalAdvance(QStringLiteral("rθ⁻¹:")));
}

TEST(CalcTokenSeparator, OnlyAOneByteTokenSeparates) {
  CQXTokenTextMap map;
  fillTestMap(&map);
  const BYTE pair[] = {0x41, 0xF6, 0x42};
  EXPECT_EQ(FindOneByteToken(pair, 3, &map, 0xF6), 1);
  const BYTE token[] = {0x7F, 0xF6, 0xFF};  // the token byte of a two-byte token
  EXPECT_EQ(FindOneByteToken(token, 3, &map, 0xF6), -1);
  const BYTE later[] = {0xF7, 0xF6, 0x41, 0xF6, 0x42};
  EXPECT_EQ(FindOneByteToken(later, 5, &map, 0xF6), 3);
}

}  // namespace
