// CTabCtrl: a tab control, a QTabBar with its display area below it (above
// it with TCS_BOTTOM). The window covers both, as the platform's does, and
// paints the display area's frame; the windows shown in the display area
// (a sheet's pages) are its siblings, laid over it.
//
// A change of tab by the user (mouse, keys) asks the parent first with
// WM_NOTIFY TCN_SELCHANGING; a non-zero result keeps the old tab. Then the
// selection changes and TCN_SELCHANGE follows. SetCurSel changes it without
// notifications. The bar has one row of tabs (GetRowCount is always 1);
// tabs that do not fit scroll.
#pragma once

#include "platform/Wnd.h"

#include <QRect>
#include <QString>

class QTabBar;

// Tab control styles and item fields.
enum : DWORD { TCS_BOTTOM = 0x0002 };
enum : UINT { TCIF_TEXT = 0x0001 };
// Notifications of a tab control to its parent.
enum : int { TCN_SELCHANGE = -551, TCN_SELCHANGING = -552 };

struct TCITEM {
  UINT mask = 0;
  QString pszText;
};

class CTabCtrl : public CWnd {
  Q_OBJECT

 public:
  explicit CTabCtrl(QWidget* parent = nullptr);
  ~CTabCtrl() override;
  DECLARE_MESSAGE_MAP()

  // The new item's index, -1 when `index` is out of range.
  int InsertItem(int index, const QString& text);
  BOOL DeleteItem(int index);
  int GetItemCount() const;
  // TCIF_TEXT: the item's text. FALSE for an index without an item.
  BOOL SetItem(int index, const TCITEM* item);
  BOOL GetItem(int index, TCITEM* item) const;
  // The item's rectangle in the control's client coordinates.
  BOOL GetItemRect(int index, QRect* rect) const;
  int GetCurSel() const;
  // The previous selection; -1 for an index without an item.
  int SetCurSel(int index);
  int GetRowCount() const { return 1; }

  DWORD GetStyle() const { return style_; }
  void ModifyStyle(DWORD remove, DWORD add);

  // larger FALSE: the display area of a control whose window is `rect`;
  // TRUE: the window a display area of `rect` needs. Both in the same
  // coordinates. The area lies 4 pixels inside the sides, 4 pixels from the
  // edge away from the tabs and 10 pixels from the tab row.
  void AdjustRect(BOOL larger, QRect* rect) const;

  QTabBar* GetTabBar() const { return bar_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void onCurrentChanged(int index);
  LRESULT notifyParent(int code);
  void placeBar();
  int tabRowHeight() const;

  QTabBar* bar_;
  DWORD style_ = 0;
  int curSel_ = -1;
  bool quiet_ = false;
};
