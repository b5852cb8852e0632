// The property list: rows and keys, editing and the modified flag, choices,
// the end of editing, its colours and scrolling, and printing.
#include "classlib/OrvoPropertyList.h"
#include "platform/SysColor.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QRgb sysRgb(int index) { return ColorRefToQRgb(GetSysColor(index)); }

COrvoPropertyItem row(int kind, const QString& label, const QString& value) {
  COrvoPropertyItem item;
  item.kind = kind;
  item.label = label;
  item.value = value;
  return item;
}

class PropertyList : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(400, 260);
    list = new COrvoPropertyListCtrl;
    ASSERT_TRUE(list->Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL, QRect(0, 0, 300, 180), &window, 1));
    other = new QLineEdit(&window);
    other->setGeometry(0, 200, 100, 24);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  void TearDown() override {
    window.DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void addRows(int n) {
    for (int i = 0; i < n; ++i)
      list->AddItem(row(COrvoPropertyItem::EditField, QString("Name %1").arg(i), QString("v%1").arg(i)));
  }
  QWidget* editorAt(int r) {
    // The editors are the list's children after its scroll bar, in row order.
    QList<QWidget*> editors;
    for (QObject* child : list->children())
      if (qobject_cast<QLineEdit*>(child) || qobject_cast<QComboBox*>(child)) editors.append(static_cast<QWidget*>(child));
    return r < editors.size() ? editors[r] : nullptr;
  }
  QString valueOf(int r) {
    COrvoPropertyItem item;
    list->GetItem(r, &item);
    return item.value;
  }
  void expectEditorOverCurrentRow() {
    const int r = list->GetCurrentRow();
    QWidget* editor = editorAt(r);
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->geometry(), list->ValueRect(r - list->GetFirstVisibleRow()).adjusted(0, 0, 0, 1)) << r;
    EXPECT_TRUE(editor->hasFocus());
  }

  CWnd window;
  COrvoPropertyListCtrl* list = nullptr;
  QLineEdit* other = nullptr;
};

TEST_F(PropertyList, WithoutRowsItPaintsOnlyTheBackgroundAndIgnoresKeysAndClicks) {
  list->SetFocus();
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_End);
  QTest::keyClick(list, Qt::Key_Tab);
  QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(150, 30));
  EXPECT_FALSE(list->SelectItem(0));
  const QImage image = list->grab().toImage();
  const int barLeft = list->width() - list->GetScrollBarCtrl(SB_VERT)->width();
  for (int y = 0; y < image.height(); y += 7)
    for (int x = 0; x < barLeft; x += 7) ASSERT_EQ(image.pixel(x, y), sysRgb(COLOR_WINDOW)) << x << "," << y;
  EXPECT_FALSE(list->GetScrollBarCtrl(SB_VERT)->isEnabled());
}

TEST_F(PropertyList, KeysMoveTheCurrentRowWithItsEditorButNotPastTheEnds) {
  addRows(30);
  other->setFocus();
  list->SetFocus();
  ASSERT_TRUE(editorAt(0)->hasFocus());
  QTest::keyClick(editorAt(0), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(list->GetCurrentRow(), 0);
  QTest::keyClick(editorAt(0), Qt::Key_Up);  // the edit field leaves it to the list
  EXPECT_EQ(list->GetCurrentRow(), 0);

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(list->GetCurrentRow(), 1);
  expectEditorOverCurrentRow();
  EXPECT_FALSE(editorAt(0)->isVisible());

  QTest::keyClick(editorAt(1), Qt::Key_PageDown);
  EXPECT_EQ(list->GetCurrentRow(), 11);
  expectEditorOverCurrentRow();
  QTest::keyClick(list, Qt::Key_End);
  EXPECT_EQ(list->GetCurrentRow(), 29);
  EXPECT_EQ(list->GetFirstVisibleRow(), 20);
  expectEditorOverCurrentRow();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(list->GetCurrentRow(), 29);
  QTest::keyClick(list, Qt::Key_Home);
  EXPECT_EQ(list->GetCurrentRow(), 0);
  EXPECT_EQ(list->GetFirstVisibleRow(), 0);
  expectEditorOverCurrentRow();
}

TEST_F(PropertyList, OnlyTheUsersTypingAndChoicesSetTheModifiedFlag) {
  list->AddItem(row(COrvoPropertyItem::EditField, "Nom", "abc"));
  const int combo = list->AddItem(row(COrvoPropertyItem::DropDownList, "Mode", ""));
  EXPECT_EQ(list->InsertChoice(combo, "Un", -1, 10), 0);
  EXPECT_EQ(list->InsertChoice(combo, "Deux", -1, 20), 1);
  EXPECT_EQ(list->InsertChoice(0, "x", -1, 1), -1);  // not a drop-down row
  EXPECT_FALSE(list->IsModified());

  EXPECT_TRUE(list->SetItemValue(0, "xyz"));
  EXPECT_TRUE(list->SetChoiceIndex(combo, 1));
  EXPECT_FALSE(list->SetItemValue(5, "bad"));
  EXPECT_FALSE(list->IsModified());
  EXPECT_EQ(valueOf(0), "xyz");
  EXPECT_EQ(valueOf(combo), "Deux");

  other->setFocus();
  list->SetFocus();
  QTest::keyClicks(editorAt(0), "Q");
  EXPECT_TRUE(list->IsModified());
  list->SetModified(FALSE);
  list->SelectItem(combo);
  ASSERT_TRUE(editorAt(combo)->hasFocus());
  QTest::keyClick(editorAt(combo), Qt::Key_Up);
  EXPECT_TRUE(list->IsModified());
  COrvoPropertyItem item;
  ASSERT_TRUE(list->GetItem(combo, &item));
  EXPECT_EQ(item.value, "Un");
  EXPECT_EQ(item.data, 10u);
}

TEST_F(PropertyList, DeletingTheSelectedChoiceByDataSelectsTheFirstAndDeletesOnlyOne) {
  const int r = list->AddItem(row(COrvoPropertyItem::DropDownList, "Mode", ""));
  list->InsertChoice(r, "A", -1, 1);
  list->InsertChoice(r, "B", -1, 7);
  list->InsertChoice(r, "C", -1, 7);
  list->InsertChoice(r, "D", -1, 3);
  ASSERT_TRUE(list->SetChoiceByData(r, 7));
  EXPECT_EQ(list->GetChoiceIndex(r), 1);
  EXPECT_TRUE(list->DeleteChoiceByData(r, 7));
  EXPECT_EQ(list->GetChoiceIndex(r), 0);
  auto* combo = qobject_cast<QComboBox*>(editorAt(r));
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(1), "C");
  EXPECT_FALSE(list->SetChoiceByData(r, 99));
  EXPECT_FALSE(list->DeleteChoice(r, 3));
}

TEST_F(PropertyList, ClickingElsewhereEndsEditingButTheDropDownsPopupDoesNot) {
  list->AddItem(row(COrvoPropertyItem::EditField, "Nom", "abc"));
  const int combo = list->AddItem(row(COrvoPropertyItem::DropDownList, "Mode", ""));
  list->InsertChoice(combo, "Un", -1, 1);
  list->InsertChoice(combo, "Deux", -1, 2);
  QTest::mouseClick(list, Qt::LeftButton, {}, list->LabelRect(0).center());
  ASSERT_TRUE(editorAt(0)->hasFocus());
  QTest::keyClick(editorAt(0), Qt::Key_End);
  QTest::keyClicks(editorAt(0), "def");
  QTest::mouseClick(other, Qt::LeftButton);
  EXPECT_FALSE(editorAt(0)->isVisible());
  EXPECT_EQ(valueOf(0), "abcdef");

  QTest::mouseClick(list, Qt::LeftButton, {}, list->LabelRect(combo).center());
  auto* box = qobject_cast<QComboBox*>(editorAt(combo));
  ASSERT_TRUE(box->hasFocus());
  box->showPopup();
  QTest::qWait(20);
  EXPECT_TRUE(box->isVisible());
  box->hidePopup();
  EXPECT_TRUE(box->isVisible());
}

TEST_F(PropertyList, TheCurrentLabelIsHighlightedOnlyWithTheFocusAndShortListsDoNotScroll) {
  addRows(3);
  const QPoint label = list->LabelRect(0).topLeft() + QPoint(1, 1);
  other->setFocus();
  EXPECT_EQ(list->grab().toImage().pixel(label), sysRgb(COLOR_BTNFACE));
  list->SetFocus();
  EXPECT_EQ(list->grab().toImage().pixel(label), sysRgb(COLOR_HIGHLIGHT));
  EXPECT_EQ(list->grab().toImage().pixel(list->LabelRect(1).topLeft() + QPoint(1, 1)), sysRgb(COLOR_WINDOW));

  list->GetScrollBarCtrl(SB_VERT)->setValue(2);
  EXPECT_EQ(list->GetFirstVisibleRow(), 0);
  EXPECT_EQ(list->GetScrollBarCtrl(SB_VERT)->maximum(), 0);
}

// A list whose print layout the test can read.
class PrintedList : public COrvoPropertyListCtrl {
 public:
  int rowHeight() const { return printRowHeight; }
  int labelWidth() const { return printLabelWidth; }
  int valueWidth() const { return printValueWidth; }
};

TEST_F(PropertyList, SmallWheelTurnsAddUpToWholeRows) {
  addRows(30);
  const int lines = QApplication::wheelScrollLines();
  for (int i = 0; i < 4; ++i) {
    QWheelEvent quarter(QPointF(50, 50), list->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -30), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(list, &quarter);
  }
  EXPECT_EQ(list->GetFirstVisibleRow(), lines);
}

TEST(PropertyListPrinting, PrintsBoxedRowsOverPagesAndSurvivesEmptyListsAndLowPages) {
  PrintedList list;
  for (int i = 0; i < 25; ++i) list.AddItem(row(0, QString("Label %1").arg(i), QString("Value %1").arg(i)));
  QImage page(600, 400, QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter painter(&page);
  CDC dc(&painter, true);
  CPrintInfo info;
  list.BeginPrinting(&dc, &info);
  const int h = list.rowHeight();
  ASSERT_GT(h, 0);
  info.m_rectDraw = QRect(10, 10, 500, 10 * h + h / 2);  // ten rows a page
  list.PrintPage(&dc, &info);
  EXPECT_EQ(info.GetMaxPage(), 3u);
  EXPECT_TRUE(info.m_bContinuePrinting);
  painter.end();
  const int right = 10 + list.labelWidth() + list.valueWidth();
  EXPECT_EQ(page.pixel(10, 10 + h / 2), qRgb(0, 0, 0));                     // left edge
  EXPECT_EQ(page.pixel(10 + list.labelWidth(), 10 + h / 2), qRgb(0, 0, 0));  // between the cells
  EXPECT_EQ(page.pixel(right, 10 + h / 2), qRgb(0, 0, 0));
  EXPECT_EQ(page.pixel(10 + 2, 10 + 10 * h), qRgb(0, 0, 0));  // bottom of row 10
  EXPECT_EQ(page.pixel(10 + 2, 10 + 10 * h + 3), qRgb(255, 255, 255));
  EXPECT_EQ(page.pixel(right + 3, 10 + h / 2), qRgb(255, 255, 255));

  // The last page prints five rows and ends the job.
  QImage last(600, 400, QImage::Format_RGB32);
  QPainter lastPainter(&last);
  CDC lastDc(&lastPainter, true);
  info.m_nCurPage = 3;
  list.PrintPage(&lastDc, &info);
  EXPECT_FALSE(info.m_bContinuePrinting);
  list.EndPrinting();

  // Too low for a single row: one row a page.
  CPrintInfo low;
  list.BeginPrinting(&lastDc, &low);
  low.m_rectDraw = QRect(0, 0, 500, 3);
  list.PrintPage(&lastDc, &low);
  EXPECT_EQ(low.GetMaxPage(), 25u);
  list.EndPrinting();

  PrintedList empty;
  CPrintInfo none;
  empty.BeginPrinting(&lastDc, &none);
  EXPECT_GT(empty.rowHeight(), 0);
  none.m_rectDraw = QRect(0, 0, 500, 300);
  empty.PrintPage(&lastDc, &none);
  EXPECT_EQ(none.GetMaxPage(), 1u);
  EXPECT_FALSE(none.m_bContinuePrinting);
  empty.EndPrinting();
}

}  // namespace
