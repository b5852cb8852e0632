// The numeric pages in a sheet: spins, the context menu's row and column
// commands, and the messages of refused commits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QPaintEngine>
#include <QPainter>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "classlib/OrvoPropertySheet.h"
#include "classlib/ProfileSettings.h"
#include "datamodel/QXDocEntry.h"
#include "datamodel/QXMatrixItems.h"
#include "datamodel/QXValueSetItems.h"
#include "pages/QXNumericPages.h"
#include "platform/CmdUI.h"
#include "app/QXAppMessages.h"
#include "tests/pages/PageSheetHost.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestEnvironment.h"

namespace tallix::test {
namespace {

class NumericPagesTest : public ::testing::Test {
 protected:
  void show(CPropertyPage* page) { host.show(page); }
  // Opens the context menu over cell (row, col) and returns the popup's
  // items by command id: enabled or not; then sends `choose` (when not 0
  // and enabled) to the page as the menu does.
  std::map<UINT, bool> contextMenu(CQXNumericItemPage& page, int row, int col, UINT choose = 0) {
    std::map<UINT, bool> items;
    QTimer::singleShot(0, [&] {
      auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!popup) return;
      std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
          if (a->menu()) walk(a->menu());
          else if (CommandIdOf(a)) items[CommandIdOf(a)] = a->isEnabled();
        }
      };
      walk(popup);
      popup->close();
    });
    CQXGridCtrl& grid = page.GetGrid();
    QRect cell;
    grid.GetCellRect(row, col, &cell);
    QTest::mouseClick(&grid, Qt::RightButton, {}, cell.center());
    QContextMenuEvent event(QContextMenuEvent::Mouse, grid.mapTo(&page, cell.center()),
                            grid.mapToGlobal(cell.center()));
    QApplication::sendEvent(&page, &event);
    // The command the menu would have posted.
    if (choose && items[choose]) page.SendMessage(WM_COMMAND, choose, 0);
    QCoreApplication::processEvents();
    return items;
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  MessageLog messages;
  PageSheetHost host;
};

TEST_F(NumericPagesTest, NewMatrixSpinsAndRowCommands) {
  SelectedEntryPage<CQXMatrixDataPage> page;
  show(&page);
  ASSERT_NE(page.GetRowsSpin(), nullptr);
  CQXGridCtrl& grid = page.GetGrid();
  EXPECT_EQ(grid.GetItemText(1, 1), "0");
  EXPECT_EQ(page.GetRowsSpin()->value(), 1);
  EXPECT_EQ(page.GetColumnsSpin()->value(), 1);
  EXPECT_TRUE(page.IsModified());

  // A count takes effect when its typing is done, never a part of it.
  auto typeCount = [&](const char* text) {
    page.GetRowsSpin()->setFocus();
    page.GetRowsSpin()->selectAll();
    QTest::keyClicks(page.GetRowsSpin(), text);
  };
  typeCount("10");
  QTest::keyClick(page.GetRowsSpin(), Qt::Key_Return);
  ASSERT_EQ(grid.GetDataRowCount(), 10);
  grid.SetItemText(9, 1, "7");
  typeCount("12");
  EXPECT_EQ(grid.GetDataRowCount(), 10);
  QTest::keyClick(page.GetRowsSpin(), Qt::Key_Return);
  EXPECT_EQ(grid.GetDataRowCount(), 12);
  EXPECT_EQ(grid.GetItemText(9, 1), "7");
  typeCount("300");
  grid.SetFocus();  // leaving the spin ends its typing
  EXPECT_EQ(grid.GetDataRowCount(), 255);
  EXPECT_EQ(page.GetRowsSpin()->value(), 255);
  page.GetRowsSpin()->setValue(2);
  ASSERT_EQ(grid.GetDataRowCount(), 2);

  // Row and column commands from the context menu, with their states.
  std::map<UINT, bool> items = contextMenu(page, 2, 1, 22108);
  for (UINT id : {22108u, 22109u, 22110u, 22111u}) EXPECT_TRUE(items[id]) << id;
  EXPECT_EQ(grid.GetDataRowCount(), 3);
  EXPECT_EQ(page.GetRowsSpin()->value(), 3);
  contextMenu(page, 1, 1, 22110);
  EXPECT_EQ(page.GetColumnsSpin()->value(), 2);
  contextMenu(page, 3, 2, 22109);  // the last row: the focus moves up
  EXPECT_EQ(grid.GetFocusCell(), CGridCellID(2, 2));
  contextMenu(page, 1, 2, 22111);
  contextMenu(page, 1, 1, 22109);
  items = contextMenu(page, 1, 1, 22109);
  EXPECT_EQ(grid.GetDataRowCount(), 0);
  EXPECT_EQ(page.GetRowsSpin()->value(), 0);

  // A table without cells is refused.
  EXPECT_FALSE(page.Validate(nullptr));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_TRUE(messages.texts()[0].startsWith("La table ne peut pas"));
}

TEST_F(NumericPagesTest, RefusedStoresShowWhy) {
  AppWriteProfileInt("Settings", "Max Columns Rows", 300);
  SelectedEntryPage<CQXMatrixDataPage> page;
  show(&page);
  CQXDocEntry entry;
  auto* matrix = new CQXMatrixItem;
  entry.SetItem(matrix);
  ASSERT_TRUE(matrix->GetValues().SetSize(2, 2));
  ASSERT_TRUE(page.LoadFromItem(&entry));
  page.GetGrid().SetItemText(2, 2, "1..2");
  EXPECT_FALSE(page.StoreToItem(&entry));
  page.GetRowsSpin()->setValue(300);
  EXPECT_EQ(page.GetGrid().GetDataRowCount(), 300);
  EXPECT_FALSE(page.StoreToItem(&entry));
  EXPECT_EQ(matrix->GetValues().GetFirstCount(), 2);
  CQXDocEntry none;
  EXPECT_FALSE(page.StoreToItem(&none));
  ASSERT_EQ(messages.texts().size(), 3u);
  // The item changed in the document: the page shows it again.
  page.current = [] {
    auto* fresh = new CQXDocEntry;
    auto* m = new CQXMatrixItem;
    m->GetValues().SetSize(3, 4);
    fresh->SetItem(m);
    return fresh;
  };
  page.OnDocNotify(2, nullptr);
  // The print view asks for the grid.
  RegisterQXMessages();
  QXViewDataRequest query;
  EXPECT_TRUE(page.SendMessage(msgQXGetViewData, 0, LPARAM(&query)));
  EXPECT_EQ(query.kind, kPrintKindGrid);
  QXViewDataControl detail;
  detail.kind = kPrintKindGrid;
  QXViewDataRequest request{int(sizeof(QXViewDataRequest)), kPrintKindGrid, &detail};
  EXPECT_TRUE(page.SendMessage(msgQXGetViewData, 0, LPARAM(&request)));
  EXPECT_EQ(detail.control, &page.GetGrid());
  EXPECT_EQ(page.GetRowsSpin()->value(), 3);
  EXPECT_EQ(page.GetColumnsSpin()->value(), 4);
  EXPECT_EQ(messages.texts()[0], QString::fromUtf8("Entrée d'un nombre invalide."));
  EXPECT_EQ(messages.texts()[1], QString::fromUtf8("Tapez un nombre entier compris entre 1 et 255."));
  EXPECT_EQ(messages.texts()[2], QString::fromUtf8("La commande a échoué."));
}

// A device that keeps the text drawn on it, all runs in order.
class DrawnText : public QPaintDevice {
 public:
  QString text;
  QPaintEngine* paintEngine() const override { return &engine_; }

 protected:
  int metric(PaintDeviceMetric metric) const override {
    switch (metric) {
      case PdmWidth: case PdmHeight: return 1000;
      case PdmWidthMM: case PdmHeightMM: return 264;
      case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
      case PdmDepth: return 32;
      case PdmNumColors: return 1 << 24;
      case PdmDevicePixelRatio: return 1;
      case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
      default: return 0;
    }
  }

 private:
  class Engine : public QPaintEngine {
   public:
    explicit Engine(DrawnText* device) : QPaintEngine(AllFeatures), device_(device) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { device_->text += item.text(); }
    Type type() const override { return User; }

   private:
    DrawnText* device_;
  };
  mutable Engine engine_{this};
};

// An older V-Window's rows are the calculator's names: "T", theta, "min"
// ... drawn and measured as the calculator shows them.
TEST_F(NumericPagesTest, TheOlderVWindowRowsReadAsTheCalculatorShowsThem) {
  SelectedEntryPage<CQXVWinDataPage> page;
  show(&page);
  CQXDocEntry entry;
  entry.SetItem(new CQXVWindowItem);
  ASSERT_TRUE(page.LoadFromItem(&entry));
  CQXGridCtrl& grid = page.GetGrid();
  LOGFONT bold = grid.GetFont();
  bold.lfWeight = 600;
  QStringList rows;
  for (int r = grid.GetFixedRowCount(); r < grid.GetRowCount(); ++r) {
    DrawnText device;
    QPainter painter(&device);
    CDC dc(&painter);
    grid.DrawFixedCell(&dc, r, 0, QRect(0, 0, 300, 30), TRUE);
    rows << device.text;
    const int width = QFontMetrics(grid.FontOf(bold), &device).horizontalAdvance(device.text);
    EXPECT_EQ(grid.GetCellExtent(r, 0, &dc).width(), width + 4 * grid.GetMargin()) << device.text.toStdString();
  }
  EXPECT_TRUE(rows.contains(QStringLiteral("Tθmin"))) << rows.join(' ').toStdString();
  EXPECT_TRUE(rows.contains(QStringLiteral("Tθmax")));
  EXPECT_TRUE(rows.contains(QStringLiteral("Tθptch")));
}

}  // namespace
}  // namespace tallix::test
