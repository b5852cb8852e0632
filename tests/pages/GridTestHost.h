// A grid table on a shown, active window; records what the table reports.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/QXGridTable.h"
#include "tests/support/TestEnvironment.h"

namespace tallix::test {

class RecordingTable : public CQXGridTable {
 public:
  std::vector<UINT> refused;
  std::vector<std::string> refusedArgs;
  int rowChanges = 0, columnChanges = 0;
  std::vector<std::string> defaults;  // by row, from 1; empty: the base's
  std::function<BOOL(int, char*, UINT)> defaultText;  // by row, before `defaults`

 protected:
  void OnStoreRefused(UINT id, const std::string& a1, const std::string& a2) override {
    refused.push_back(id);
    refusedArgs = {a1, a2};
  }
  void OnRowCountChanged() override { ++rowChanges; }
  void OnColumnCountChanged() override { ++columnChanges; }
  BOOL GetDefaultCellText(int row, int col, char* buffer, UINT size) override {
    if (defaultText) return defaultText(row, buffer, size);
    if (defaults.empty()) return CQXGridTable::GetDefaultCellText(row, col, buffer, size);
    if (row < 1 || size_t(row) > defaults.size()) return FALSE;
    snprintf(buffer, size, "%s", defaults[size_t(row - 1)].c_str());
    return TRUE;
  }
};

class GridTableFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    host = std::make_unique<CWnd>();
    host->resize(400, 300);
    table = std::make_unique<RecordingTable>();
    ASSERT_TRUE(table->CreateGrid(host.get()));
    table->PlaceGrid(QRect(1, 1, 398, 298));
    grid().SetFixedRowCount(1);
    grid().SetFixedColumnCount(1);
    host->show();
    QApplication::setActiveWindow(host.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
  }
  void TearDown() override {
    table.reset();
    host.reset();
  }
  CQXGridCtrl& grid() { return table->GetGrid(); }
  std::string text(int row, int col) { return grid().GetItemText(row, col); }
  // Types `value` into data cell (row, col) through the in-place edit.
  void typeInto(int row, int col, const QString& value) {
    grid().setFocus();
    grid().SetFocusCell(row, col);
    grid().EditFocusCell();
    QWidget* edit = QApplication::focusWidget();
    ASSERT_NE(edit, &grid());
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, value);
    QTest::keyClick(edit, Qt::Key_Return);
  }

  TestEnvironment env{TestEnvironment::WithLanguageLibrary};
  std::unique_ptr<CWnd> host;
  std::unique_ptr<RecordingTable> table;
};

}  // namespace tallix::test
