// The grid's geometry, painting and scrolling.
#include "classlib/GridBufferDC.h"
#include "classlib/GridCtrl.h"
#include "classlib/GridEditBox.h"
#include "classlib/GridTipWnd.h"
#include "platform/ImageList.h"
#include "platform/SysColor.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

// The size of a check box drawn in a cell.
constexpr int kCheckSize = 13;

// Selects a font into a DC for one scope.
class FontScope {
 public:
  FontScope(CDC* dc, const QFont& font) : dc_(dc) {
    font_.SetFont(font);
    old_ = dc_->SelectObject(&font_);
  }
  ~FontScope() { dc_->SelectObject(old_); }

 private:
  CDC* dc_;
  CFont font_;
  CFont* old_;
};

}  // namespace

// ---- geometry ----

CGridCellID CGridCtrl::GetFirstVisibleCell() const {
  const int vpos = GetScrollPos32(SB_VERT), hpos = GetScrollPos32(SB_HORZ);
  CGridCellID cell(fixedRows_, fixedCols_);
  for (int y = 0; cell.row < rowCount_ && y < vpos; ++cell.row) y += rowHeights_[size_t(cell.row)];
  for (int x = 0; cell.col < colCount_ && x < hpos; ++cell.col) x += colWidths_[size_t(cell.col)];
  return cell;
}

CGridCellRange CGridCtrl::GetVisibleCellRange(QRect* covered) const {
  QRect client;
  GetClientRect(&client);
  const CGridCellID first = GetFirstVisibleCell();
  int y = GetFixedRowHeight(), maxRow = first.row - 1;
  for (int r = first.row; r < rowCount_ && y < client.height(); ++r) {
    maxRow = r;
    y += rowHeights_[size_t(r)];
  }
  int x = GetFixedColumnWidth(), maxCol = first.col - 1;
  for (int c = first.col; c < colCount_ && x < client.width(); ++c) {
    maxCol = c;
    x += colWidths_[size_t(c)];
  }
  if (covered) *covered = QRect(QPoint(0, 0), QPoint(x - 1, y - 1));
  return CGridCellRange(first.row, first.col, maxRow, maxCol);
}

CGridCellRange CGridCtrl::GetFullyVisibleCellRange() const {
  QRect client, covered;
  GetClientRect(&client);
  CGridCellRange range = GetVisibleCellRange(&covered);
  if (range.maxRow >= range.minRow && covered.bottom() + 1 > client.height()) --range.maxRow;
  if (range.maxCol >= range.minCol && covered.right() + 1 > client.width()) --range.maxCol;
  return range;
}

BOOL CGridCtrl::GetCellOrigin(int row, int col, QPoint* origin) const {
  if (!IsValid(row, col)) return FALSE;
  const CGridCellID first = GetFirstVisibleCell();
  int x = 0, y = 0;
  if (col < fixedCols_) {
    for (int c = 0; c < col; ++c) x += colWidths_[size_t(c)];
  } else {
    if (col < first.col) return FALSE;
    x = GetFixedColumnWidth();
    for (int c = first.col; c < col; ++c) x += colWidths_[size_t(c)];
  }
  if (row < fixedRows_) {
    for (int r = 0; r < row; ++r) y += rowHeights_[size_t(r)];
  } else {
    if (row < first.row) return FALSE;
    y = GetFixedRowHeight();
    for (int r = first.row; r < row; ++r) y += rowHeights_[size_t(r)];
  }
  if (origin) *origin = QPoint(x, y);
  return TRUE;
}

BOOL CGridCtrl::GetCellRect(int row, int col, QRect* rect) const {
  QPoint origin;
  if (!GetCellOrigin(row, col, &origin)) return FALSE;
  if (rect) *rect = QRect(origin, QSize(colWidths_[size_t(col)] - 1, rowHeights_[size_t(row)] - 1));
  return TRUE;
}

BOOL CGridCtrl::GetTextRect(int row, int col, QRect* rect) const {
  QRect r;
  if (!GetCellRect(row, col, &r)) return FALSE;
  const int image = GetItemImage(row, col);
  if (imageList_ && image >= 0 && image < imageList_->GetImageCount())
    r.setLeft(r.left() + imageList_->GetImageSize().width() + margin_);
  if (rect) *rect = r;
  return TRUE;
}

CGridCellID CGridCtrl::HitTestCell(QPoint point, BOOL allowFixed) const {
  const CGridCellID first = GetFirstVisibleCell();
  const auto find = [](int pos, int fixed, int firstFree, int count, const std::vector<int>& sizes) {
    int at = 0;
    for (int i = 0; i < fixed; ++i) {
      at += sizes[size_t(i)];
      if (pos < at) return i;
    }
    for (int i = firstFree; i < count; ++i) {
      at += sizes[size_t(i)];
      if (pos < at) return i;
    }
    return -1;
  };
  CGridCellID cell(-1, -1);
  if (point.x() >= 0 && point.y() >= 0) {
    cell.row = find(point.y(), fixedRows_, first.row, rowCount_, rowHeights_);
    cell.col = find(point.x(), fixedCols_, first.col, colCount_, colWidths_);
  }
  if (!allowFixed) {
    if (cell.row >= 0 && cell.row < fixedRows_) cell.row = -1;
    if (cell.col >= 0 && cell.col < fixedCols_) cell.col = -1;
  }
  return cell;
}

BOOL CGridCtrl::IsCellVisible(int row, int col) const {
  QPoint origin;
  if (!GetCellOrigin(row, col, &origin)) return FALSE;
  QRect client;
  GetClientRect(&client);
  return origin.x() < client.width() && origin.y() < client.height();
}

void CGridCtrl::EnsureVisible(int row, int col) {
  if (!IsValid(row, col)) return;
  const CGridCellRange range = GetVisibleCellRange();
  if (col >= fixedCols_) {
    for (int i = range.maxCol; i < col; ++i) OnHScroll(SB_LINERIGHT, 0);
    for (int i = col; i < range.minCol; ++i) OnHScroll(SB_LINELEFT, 0);
  }
  if (row >= fixedRows_) {
    for (int i = range.maxRow; i < row; ++i) OnVScroll(SB_LINEDOWN, 0);
    for (int i = row; i < range.minRow; ++i) OnVScroll(SB_LINEUP, 0);
  }
  QRect client, rect;
  GetClientRect(&client);
  if (GetCellRect(row, col, &rect)) {
    if (col >= fixedCols_ && rect.right() + 1 > client.width()) OnHScroll(SB_LINERIGHT, 0);
    if (row >= fixedRows_ && rect.bottom() + 1 > client.height()) OnVScroll(SB_LINEDOWN, 0);
  }
}

BOOL CGridCtrl::RedrawCell(int row, int col) {
  if (!allowDraw_ || !IsCellVisible(row, col)) return FALSE;
  QRect rect;
  if (!GetCellRect(row, col, &rect)) return FALSE;
  update(rect.adjusted(0, 0, 1, 1));
  return TRUE;
}

BOOL CGridCtrl::RedrawCell(int row, int col, CDC* dc) {
  if (!dc) return RedrawCell(row, col);
  if (!allowDraw_ || !IsCellVisible(row, col)) return FALSE;
  QRect rect;
  if (!GetCellRect(row, col, &rect)) return FALSE;
  if (row < fixedRows_ || col < fixedCols_) return DrawFixedCell(dc, row, col, rect, TRUE);
  const BOOL drawn = DrawCell(dc, row, col, rect, TRUE);
  CPen pen(PS_SOLID, 0, gridColor_);
  CPen* old = dc->SelectObject(&pen);
  if (gridLines_ == 3 || gridLines_ == 1) {
    dc->MoveTo(rect.left(), rect.bottom() + 1);
    dc->LineTo(rect.right() + 2, rect.bottom() + 1);
  }
  if (gridLines_ == 3 || gridLines_ == 2) {
    dc->MoveTo(rect.right() + 1, rect.top());
    dc->LineTo(rect.right() + 1, rect.bottom() + 2);
  }
  dc->SelectObject(old);
  return drawn;
}

BOOL CGridCtrl::RedrawColumn(int col) {
  BOOL all = TRUE;
  for (int r = 0; r < rowCount_; ++r) all = RedrawCell(r, col) && all;
  return all;
}

// ---- painting ----

void CGridCtrl::paintEvent(QPaintEvent* e) {
  if (!allowDraw_) return;
  QRect client;
  GetClientRect(&client);
  QPainter painter(GetViewport());
  painter.setClipRegion(e->region() & client);
  painter.setFont(font());
  CDC dc(&painter);
  if (doubleBuffer_) {
    CGridBufferDC buffer(&dc);
    OnDraw(&buffer);
  } else {
    OnDraw(&dc);
  }
}

void CGridCtrl::OnDraw(CDC* dc) {
  QRect clip;
  if (dc->GetClipBox(&clip) == NULLREGION) return;
  QRect client, covered;
  GetClientRect(&client);
  const CGridCellRange visible = GetVisibleCellRange(&covered);
  const int fixedW = GetFixedColumnWidth(), fixedH = GetFixedRowHeight();
  const int right = std::min(covered.right() + 1, client.width());
  const int bottom = std::min(covered.bottom() + 1, client.height());
  dc->FillSolidRect(QRect(0, 0, right, fixedH), fixedBkColor_);
  dc->FillSolidRect(QRect(0, fixedH, fixedW, bottom - fixedH), fixedBkColor_);
  dc->FillSolidRect(QRect(fixedW, fixedH, right - fixedW, bottom - fixedH), bkColor_);
  dc->FillSolidRect(QRect(right, 0, client.width() - right, client.height()), shadowColor_);
  dc->FillSolidRect(QRect(0, bottom, right, client.height() - bottom), shadowColor_);

  QRect rect;
  const auto draw = [&](int r, int c, bool fixed) {
    if (!GetCellRect(r, c, &rect) || !rect.adjusted(0, 0, 1, 1).intersects(clip)) return;
    if (fixed)
      DrawFixedCell(dc, r, c, rect, FALSE);
    else
      DrawCell(dc, r, c, rect, FALSE);
  };
  for (int r = 0; r < fixedRows_; ++r)
    for (int c = 0; c < fixedCols_; ++c) draw(r, c, true);
  for (int r = visible.minRow; r <= visible.maxRow; ++r)
    for (int c = 0; c < fixedCols_; ++c) draw(r, c, true);
  for (int r = 0; r < fixedRows_; ++r)
    for (int c = visible.minCol; c <= visible.maxCol; ++c) draw(r, c, true);
  for (int r = visible.minRow; r <= visible.maxRow; ++r)
    for (int c = visible.minCol; c <= visible.maxCol; ++c) draw(r, c, false);

  CPen pen(PS_SOLID, 0, gridColor_);
  CPen* old = dc->SelectObject(&pen);
  if (gridLines_ == 3 || gridLines_ == 2) {
    int x = fixedW;
    for (int c = visible.minCol; c <= visible.maxCol; ++c) {
      x += colWidths_[size_t(c)];
      dc->MoveTo(x - 1, fixedH);
      dc->LineTo(x - 1, bottom);
    }
  }
  if (gridLines_ == 3 || gridLines_ == 1) {
    int y = fixedH;
    for (int r = visible.minRow; r <= visible.maxRow; ++r) {
      y += rowHeights_[size_t(r)];
      dc->MoveTo(fixedW, y - 1);
      dc->LineTo(right, y - 1);
    }
  }
  dc->SelectObject(old);
  if (sizingLine_ >= 0) {
    const QColor xor_ = ColorRefToQColor(GetSysColor(COLOR_WINDOWTEXT));
    if (mouseMode_ == GRID_MOUSE_SIZING_COL)
      dc->GetPainter()->fillRect(QRect(sizingLine_, 0, 2, client.height()), xor_);
    else if (mouseMode_ == GRID_MOUSE_SIZING_ROW)
      dc->GetPainter()->fillRect(QRect(0, sizingLine_, client.width(), 2), xor_);
  }
}

BOOL CGridCtrl::DrawFixedCell(CDC* dc, int row, int col, QRect rect, BOOL) {
  if (!allowDraw_) return FALSE;
  GRIDITEMINFO item;
  item.row = row;
  item.col = col;
  item.mask = GRID_MASK_TEXT | GRID_MASK_IMAGE | GRID_MASK_BACKGROUND | GRID_MASK_TEXTCOLOR | GRID_MASK_FORMAT;
  if (!GetItem(&item)) return FALSE;
  const CGridCellData* cell = GetCell(row, col);
  if (!dc->IsPrinting())
    dc->FillSolidRect(rect, item.background == GRID_DEFAULT_COLOR ? fixedBkColor_ : item.background);
  dc->SetTextColor(item.textColor == GRID_DEFAULT_COLOR ? fixedTextColor_ : item.textColor);
  const bool inFocusLine = IsValid(focusCell_) && (row == focusCell_.row || col == focusCell_.col);
  LOGFONT font = cell->font;
  if (row == focusCell_.row || col == focusCell_.col) font.lfWeight = 600;
  FontScope fontScope(dc, FontOf(font));
  if (inFocusLine) {
    dc->DrawEdge(rect.adjusted(0, 0, 1, 1), BDR_SUNKENINNER, BF_RECT);
  } else {
    const QColor light = ColorRefToQColor(GetSysColor(COLOR_BTNHIGHLIGHT));
    const QColor dark = ColorRefToQColor(GetSysColor(COLOR_3DDKSHADOW));
    QPainter* p = dc->GetPainter();
    p->fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), light);
    p->fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), light);
    p->fillRect(QRect(rect.right() + 1, rect.top(), 1, rect.height() + 1), dark);
    p->fillRect(QRect(rect.left(), rect.bottom() + 1, rect.width() + 1, 1), dark);
  }
  rect.adjust(1, 1, -1, -1);
  dc->SetBkMode(TRANSPARENT);
  rect.adjust(margin_, 0, -margin_, 0);
  if (imageList_ && item.image >= 0 && item.image < imageList_->GetImageCount()) {
    const QSize size = imageList_->GetImageSize();
    const int x = ((item.format & DT_CENTER) && item.text.empty()) ? rect.left() + (rect.width() - size.width()) / 2
                                                                    : rect.left();
    imageList_->Draw(dc, item.image, QPoint(x, rect.top() + (rect.height() - size.height()) / 2), ILD_NORMAL);
    rect.setLeft(rect.left() + size.width() + margin_);
  }
  dc->DrawText(ShownText(row, col, item.text, FontOf(font)), &rect, item.format);
  return TRUE;
}

BOOL CGridCtrl::DrawCell(CDC* dc, int row, int col, QRect rect, BOOL) {
  if (!allowDraw_) return FALSE;
  GRIDITEMINFO item;
  item.row = row;
  item.col = col;
  item.mask = GRID_MASK_TEXT | GRID_MASK_IMAGE | GRID_MASK_STATE | GRID_MASK_BACKGROUND | GRID_MASK_TEXTCOLOR |
              GRID_MASK_FORMAT;
  if (!GetItem(&item)) return FALSE;
  const CGridCellData* cell = GetCell(row, col);
  const COLORREF background = item.background == GRID_DEFAULT_COLOR ? bkColor_ : item.background;
  COLORREF text = item.textColor == GRID_DEFAULT_COLOR ? textColor_ : item.textColor;
  dc->SetBkMode(TRANSPARENT);
  const QRect cellRect = rect;
  const auto frame = [&](const QRect& r) {
    QPainter* p = dc->GetPainter();
    p->save();
    p->setPen(QPen(Qt::black, 0));
    p->setBrush(Qt::NoBrush);
    p->drawRect(r.adjusted(0, 0, -1, -1));
    p->restore();
  };
  if (!dc->IsPrinting()) {
    if (item.state & GRID_STATE_FOCUSED) {
      dc->FillSolidRect(rect, background);
      frame(rect);
      rect.adjust(1, 1, -1, -1);
    } else if (item.state & GRID_STATE_SELECTED) {
      dc->FillSolidRect(rect, GetSysColor(COLOR_HIGHLIGHT));
      text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    } else {
      dc->FillSolidRect(rect, background);
    }
    if (item.state & GRID_STATE_DROPTARGET) frame(cellRect);
  }
  dc->SetTextColor(text);
  FontScope fontScope(dc, FontOf(cell->font));
  rect.adjust(margin_, 0, -margin_, 0);
  if (imageList_ && item.image >= 0 && item.image < imageList_->GetImageCount()) {
    const QSize size = imageList_->GetImageSize();
    imageList_->Draw(dc, item.image, QPoint(rect.left(), rect.top() + (rect.height() - size.height()) / 2),
                     ILD_NORMAL);
    rect.setLeft(rect.left() + size.width() + margin_);
  }
  if (item.state & GRID_STATE_CHECKBOX) {
    const int w = std::min(kCheckSize, cellRect.width()), h = std::min(kCheckSize, cellRect.height());
    const QRect box(cellRect.left() + (cellRect.width() - w) / 2, cellRect.top() + (cellRect.height() - h) / 2, w, h);
    dc->DrawFrameControl(box, DFC_BUTTON, DFCS_BUTTONCHECK | ((item.state & GRID_STATE_CHECKED) ? UINT(DFCS_CHECKED) : 0u));
  } else {
    dc->DrawText(ShownText(row, col, item.text, FontOf(cell->font)), &rect, item.format);
  }
  return TRUE;
}

QSize CGridCtrl::GetCellExtent(int row, int col, CDC* dc) {
  const CGridCellData* cell = GetCell(row, col);
  if (!cell || !dc) return QSize(0, 0);
  LOGFONT font = cell->font;
  if (row < fixedRows_ || col < fixedCols_) font.lfWeight = 600;
  FontScope fontScope(dc, FontOf(font));
  const QSize text = dc->GetTextExtent(ShownText(row, col, cell->text, FontOf(font)));
  QSize image(0, 0);
  if (imageList_ && cell->image >= 0 && cell->image < imageList_->GetImageCount()) image = imageList_->GetImageSize();
  return QSize(text.width() + 4 * margin_ + image.width(), std::max(text.height() + 2 * margin_, image.height()));
}

std::unique_ptr<CImageList> CGridCtrl::CreateDragImage(QPoint* offset) {
  QRect rect;
  if (!GetCellRect(focusCell_.row, focusCell_.col, &rect)) return nullptr;
  const QSize size(rect.width() + 1, rect.height() + 1);
  QImage image(size, QImage::Format_RGB32);
  image.fill(ColorRefToQColor(bkColor_));
  {
    QPainter painter(&image);
    CDC dc(&painter);
    DrawCell(&dc, focusCell_.row, focusCell_.col, QRect(0, 0, rect.width(), rect.height()), TRUE);
  }
  auto list = std::make_unique<CImageList>();
  if (!list->Create(size.width(), size.height(), ILC_MASK, 1, 1) || list->Add(image, textColor_) < 0)
    return nullptr;
  if (offset) *offset = QPoint(size.width(), size.height());
  return list;
}

// ---- scrolling ----

void CGridCtrl::ResetScrollBars() {
  if (!allowDraw_ || IsDestroyed()) return;
  const int totalW = GetVirtualWidth() - GetFixedColumnWidth();
  const int totalH = GetVirtualHeight() - GetFixedRowHeight();
  // Showing one bar narrows the area for the other: settle in a few passes.
  for (int pass = 0; pass < 3; ++pass) {
    QRect client;
    GetClientRect(&client);
    const int areaW = client.width() - GetFixedColumnWidth(), areaH = client.height() - GetFixedRowHeight();
    if (areaW <= 0 || areaH <= 0) return;
    hMax_ = totalW - 1 > areaW ? totalW - 1 : 0;
    vMax_ = totalH - 1 > areaH ? totalH - 1 : 0;
    const bool hShow = hMax_ > 0, vShow = vMax_ > 0;
    const bool changed = hShow != bool(HasScrollBar(SB_HORZ)) || vShow != bool(HasScrollBar(SB_VERT));
    ShowScrollBar(SB_HORZ, hShow);
    ShowScrollBar(SB_VERT, vShow);
    // Positions run 0 .. maximum; the page (the area) sizes the thumb.
    const auto setRange = [this](int bar, int limit, int page) {
      SCROLLINFO info;
      info.fMask = SIF_RANGE | SIF_PAGE;
      info.nPage = UINT(page);
      info.nMax = limit > 0 ? limit + page - 1 : 0;
      SetScrollInfo(bar, &info);
    };
    setRange(SB_HORZ, hMax_, areaW);
    setRange(SB_VERT, vMax_, areaH);
    if (!changed) break;
  }
}

namespace {

// One scroll step of either direction; `sizes` the row heights or column
// widths, `fixed` the fixed count, `first` the first visible index.
int scrolledPosition(UINT code, UINT pos, int current, int max, int first, int fixed, int count,
                     const std::vector<int>& sizes, int pageSize) {
  switch (code) {
    case SB_LINEUP:
      if (current >= 1 && first > fixed) return std::max(0, current - sizes[size_t(first - 1)]);
      return current;
    case SB_LINEDOWN:
      if (current < max && first < count) return std::min(max, current + sizes[size_t(first)]);
      return current;
    case SB_PAGEUP: return std::clamp(current - pageSize, 0, std::max(max, 0));
    case SB_PAGEDOWN: return std::clamp(current + pageSize, 0, std::max(max, 0));
    case SB_TOP: return 0;
    case SB_BOTTOM: return max;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: return std::clamp(int(pos), 0, std::max(max, 0));
    default: return current;
  }
}

}  // namespace

void CGridCtrl::OnHScroll(UINT code, UINT pos, CScrollBar*) {
  if (!hasFocus()) setFocus(Qt::OtherFocusReason);
  hideTitleTip();
  QRect client;
  GetClientRect(&client);
  const int current = GetScrollPos(SB_HORZ);
  const int next = scrolledPosition(code, pos, current, hMax_, GetFirstVisibleCell().col, fixedCols_, colCount_,
                                    colWidths_, client.width() - GetFixedColumnWidth());
  if (next != current) {
    SetScrollPos(SB_HORZ, next);
    update();
  }
}

void CGridCtrl::OnVScroll(UINT code, UINT pos, CScrollBar*) {
  if (!hasFocus()) setFocus(Qt::OtherFocusReason);
  hideTitleTip();
  QRect client;
  GetClientRect(&client);
  const int current = GetScrollPos(SB_VERT);
  const int next = scrolledPosition(code, pos, current, vMax_, GetFirstVisibleCell().row, fixedRows_, rowCount_,
                                    rowHeights_, client.height() - GetFixedRowHeight());
  if (next != current) {
    SetScrollPos(SB_VERT, next);
    update();
  }
}

BOOL CGridCtrl::OnMouseWheel(UINT, short delta, QPoint) {
  hideTitleTip();
  // One page a notch, or the system's lines.
  const bool pages = wheelLines_ < 0;
  const int steps = TakeWheelSteps(delta, pages ? 1 : wheelLines_);
  for (int i = 0; i < std::abs(steps); ++i)
    OnVScroll(steps > 0 ? (pages ? SB_PAGEUP : SB_LINEUP) : (pages ? SB_PAGEDOWN : SB_LINEDOWN), 0);
  return TRUE;
}

void CGridCtrl::resizeEvent(QResizeEvent* e) {
  if (inResize_) return;
  inResize_ = true;
  EndEditing();
  CWnd::resizeEvent(e);
  ResetScrollBars();
  inResize_ = false;
}
