// A grid on a shown, active window whose owner records the notifications.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "classlib/OrvoGridCtrl.h"

namespace tallix::test {

class GridOwner : public CWnd {
 public:
  BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT*) override {
    const auto* nm = reinterpret_cast<const NMGRIDCELL*>(lParam);
    log.emplace_back(nm->hdr.code, nm->row, nm->col);
    return TRUE;
  }
  std::vector<std::tuple<int, int, int>> log;
};

class GridFixture : public ::testing::Test {
 protected:
  // A grid of `rows` x `cols` with one fixed row and column, 40 x 20 cells.
  void makeGrid(int rows, int cols, QSize size = QSize(400, 300)) {
    owner = std::make_unique<GridOwner>();
    owner->resize(size);
    grid = new COrvoGridCtrl(rows, cols, 1, 1);
    grid->Create(QRect(QPoint(0, 0), size), owner.get(), 100);
    for (int r = 0; r < rows; ++r) grid->SetRowHeight(r, 20);
    for (int c = 0; c < cols; ++c) grid->SetColumnWidth(c, 40);
    grid->ResetScrollBars();
    owner->show();
    QApplication::setActiveWindow(owner.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(owner.get()));
    grid->setFocus();
    owner->log.clear();
  }
  QPoint centre(int row, int col) const {
    QRect r;
    grid->GetCellRect(row, col, &r);
    return r.center();
  }
  void click(int row, int col, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(grid, Qt::LeftButton, mods, centre(row, col));
  }
  void key(Qt::Key k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(QApplication::focusWidget(), k, mods); }
  std::string text(int row, int col) const { return grid->GetItemText(row, col); }

  std::unique_ptr<GridOwner> owner;
  COrvoGridCtrl* grid = nullptr;
};

}  // namespace tallix::test
