// The token editor's layout: fonts, lines and wrapping, painting, hit-test,
// caret placement and scrolling.
#include "tokens/QXTokenEditor.h"

#include "classlib/GridBufferDC.h"
#include "platform/CalcShownText.h"
#include "platform/SysColor.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

// ---- fonts and colours ----

void CQXTokenEditor::measureFont(FontTable* table, const QFont& font, QPaintDevice* device) const {
  table->font = font;
  const QFontMetrics metrics = device ? QFontMetrics(font, device) : QFontMetrics(font);
  for (int c = 0; c < 256; ++c) {
    const char code = static_cast<char>(c);
    table->texts[std::size_t(c)] = CalcDisplayText(std::string_view(&code, 1), font);
    table->widths[std::size_t(c)] = metrics.horizontalAdvance(table->texts[std::size_t(c)]);
  }
  table->lineHeight = std::max(metrics.boundingRect(QStringLiteral("0")).height(), metrics.height());
  table->lineHeight = std::max(table->lineHeight, 1);
}

void CQXTokenEditor::setEditorFont(const QFont& font) {
  font_ = font;
  measureFont(&screen_, font, this);
  if (caretKind_ != 0) createCaret(caretKind_);
  relayout();
}

void CQXTokenEditor::loadColors() {
  colorText_ = GetSysColor(COLOR_WINDOWTEXT);
  colorHighlightText_ = GetSysColor(COLOR_HIGHLIGHTTEXT);
  colorWindow_ = GetSysColor(COLOR_WINDOW);
  colorHighlight_ = GetSysColor(COLOR_HIGHLIGHT);
  colorMargin_ = GetSysColor(COLOR_WINDOW);
  colorFace_ = GetSysColor(COLOR_BTNFACE);
}

// ---- lines ----

namespace {

template <class Pass>
bool lineInClip(const Pass& pass, int h) {
  return pass.y + h > pass.clip.top() && pass.y <= pass.clip.bottom();
}

}  // namespace

QRect CQXTokenEditor::clientArea() const {
  QRect client;
  GetClientRect(&client);
  return client;
}

QRect CQXTokenEditor::textArea() const {
  const QRect client = clientArea();
  return QRect(QPoint(leftMargin_, client.top()), QPoint(client.width() - rightMargin_ - 1, client.bottom()));
}

QByteArray CQXTokenEditor::tokenChars(WORD word) const {
  if (isLineBreak(word)) {
    // Its glyph (a blank when glyphs are off), then the break itself.
    char glyph = ' ';
    if (options_ & kTokenOptionShowBreakGlyphs) {
      const auto it = std::find(breakTokens_.begin(), breakTokens_.end(), BYTE(word >> 8));
      const std::size_t at = std::size_t(it - breakTokens_.begin());
      if (it != breakTokens_.end() && at < breakGlyphs_.size()) glyph = static_cast<char>(breakGlyphs_[at]);
    }
    const char chars[] = {glyph, '\r'};
    return QByteArray(chars, 2);
  }
  const CQXTokenTextEntry* entry = entryOf(word);
  return QByteArray(entry->text.data(), qsizetype(entry->text.size()));
}

void CQXTokenEditor::layout(LayoutPass* pass, int first, int charOffset,
                            const std::function<bool(int, const TokenGeometry&)>& visit) const {
  const FontTable& table = *pass->table;
  const int h = table.lineHeight;
  const int count = tokens_.GetSize();
  if (pass->printing && pass->y >= pass->bottom) {
    pass->full = true;
    pass->stopToken = first;
    pass->stopChar = charOffset;
    return;
  }
  for (int i = first; i < count; ++i) {
    const DWORD element = tokens_.GetAt(i);
    const WORD word = WORD(element & kTokenWordMask);
    const bool lineBreak = isLineBreak(word);
    const QByteArray chars = tokenChars(word);
    const bool selected = !pass->printing && (element & kTokenSelectedBit);
    const COLORREF background = !selected ? pass->window : pass->focused ? colorHighlight_ : colorFace_;
    const COLORREF text = selected && pass->focused ? colorHighlightText_ : pass->text;
    TokenGeometry g;
    bool started = false;
    for (int k = i == first ? charOffset : 0; k < chars.size(); ++k) {
      const BYTE c = static_cast<BYTE>(chars[k]);
      const bool breakChar = (lineBreak && k == chars.size() - 1) || isLineBreakByte(c);
      const int w = breakChar ? 0 : table.widths[c];
      if ((breakChar || pass->x + w > pass->right) && pass->wrap) {
        // A new line, and the character goes on it whether it fits there or
        // not: no loop, however wide it is.
        // Printing: the next line goes on this page only when it fits
        // whole above the bottom (the page's first line always goes).
        if (pass->printing && pass->y + 2 * h > pass->bottom) {
          pass->full = true;
          const bool after = breakChar && k + 1 >= chars.size();
          pass->stopToken = after ? i + 1 : i;
          pass->stopChar = after ? 0 : breakChar ? k + 1 : k;
          if (started && visit) visit(i, g);
          return;
        }
        if (pass->dc && pass->x < pass->right && lineInClip(*pass, h))
          pass->dc->FillSolidRect(QRect(pass->x, pass->y, pass->right - pass->x, h), pass->window);
        ++pass->lines;
        pass->x = pass->left;
        pass->y += h;
      }
      if (!started) {
        g.start = QPoint(pass->x, pass->y);
        g.firstEndX = pass->x;
        started = true;
      }
      pass->placed = true;
      if (pass->dc && lineInClip(*pass, h)) {
        if (w > 0) pass->dc->FillSolidRect(QRect(pass->x, pass->y, w, h), background);
        if (!breakChar) {
          pass->dc->SetTextColor(text);
          pass->dc->TextOut(pass->x, pass->y, table.texts[c]);
        }
      }
      pass->x += w;
      if (pass->y == g.start.y()) g.firstEndX = pass->x;
    }
    if (!started) {
      g.start = QPoint(pass->x, pass->y);
      g.firstEndX = pass->x;
    }
    g.end = QPoint(pass->x, pass->y);
    if (visit && !visit(i, g)) return;
  }
}

void CQXTokenEditor::startPass(LayoutPass* pass, const FontTable* table) const {
  const QRect area = textArea();
  pass->table = table;
  pass->left = area.left();
  pass->right = area.right() + 1;
  pass->wrap = IsMultiLine();
  pass->x = pass->left;
  pass->y = 0;
  pass->focused = hasFocus();
  pass->text = colorText_;
  pass->window = colorWindow_;
}

void CQXTokenEditor::relayout() {
  layoutValid_ = false;
  updateLayout();
  Invalidate();
}

// Lays the content out in content coordinates and keeps every token's
// place; everything that asks where a token lies reads it from there.
void CQXTokenEditor::updateLayout() {
  if (layoutValid_ || inLayoutUpdate_) return;
  inLayoutUpdate_ = true;
  // Showing or hiding the bar changes the width: then once more (and no
  // more, so that a bar that would come and go settles).
  for (int pass = 0; pass < 2; ++pass) {
    const int width = clientArea().width();
    layoutPass();
    updateScrollRange();
    if (clientArea().width() == width) break;
  }
  layoutValid_ = true;
  inLayoutUpdate_ = false;
}

void CQXTokenEditor::layoutPass() {
  LayoutPass pass;
  startPass(&pass, &screen_);
  geometry_.assign(std::size_t(tokens_.GetSize()), TokenGeometry{});
  layout(&pass, 0, 0, [this](int i, const TokenGeometry& g) {
    geometry_[std::size_t(i)] = g;
    return true;
  });
  lines_ = pass.lines;
  contentEnd_ = QPoint(pass.x, pass.y + screen_.lineHeight);
}

int CQXTokenEditor::visibleLines() const {
  return std::max(clientArea().height() / std::max(screen_.lineHeight, 1), 1);
}

QPoint CQXTokenEditor::toClient(QPoint content) const {
  if (IsMultiLine()) return content - QPoint(0, scrollPos_ * screen_.lineHeight);
  return content - QPoint(scrollPos_, 0);
}

QPoint CQXTokenEditor::toContent(QPoint client) const {
  if (IsMultiLine()) return client + QPoint(0, scrollPos_ * screen_.lineHeight);
  return client + QPoint(scrollPos_, 0);
}

int CQXTokenEditor::maxSideOffset() const {
  return std::max(0, contentEnd_.x() - leftMargin_ - (textArea().width()) + 1);
}

void CQXTokenEditor::updateScrollRange() {
  if (IsMultiLine()) {
    scrollMax_ = tokens_.GetSize() == 0 ? 0 : std::max(0, lines_ - clientArea().height() / screen_.lineHeight);
    scrollPos_ = std::clamp(scrollPos_, 0, scrollMax_);
  } else {
    scrollMax_ = maxSideOffset();
    scrollPos_ = std::clamp(scrollPos_, 0, scrollMax_);
  }
  setVerticalBar();
}

// The vertical bar shows the first visible line of a multi-line editor;
// with nothing to scroll it is hidden, or disabled with style 0x2000.
void CQXTokenEditor::setVerticalBar() {
  if (!hasVerticalBar_) return;
  if (!IsMultiLine() || scrollMax_ == 0) {
    if (GetStyle() & kTokenEditorDisableNoScroll) {
      ShowScrollBar(SB_VERT, TRUE);
      SetScrollRange(SB_VERT, 0, 0);
      EnableScrollBar(SB_VERT, ESB_DISABLE_BOTH);
    } else {
      ShowScrollBar(SB_VERT, FALSE);
    }
    return;
  }
  SetScrollRange(SB_VERT, 0, scrollMax_);
  SetScrollPos(SB_VERT, scrollPos_);
  ShowScrollBar(SB_VERT, TRUE);
  EnableScrollBar(SB_VERT, ESB_ENABLE_BOTH);
}

// ---- where tokens lie ----

const CQXTokenEditor::TokenGeometry& CQXTokenEditor::geometryOf(int index) {
  updateLayout();
  return geometry_[std::size_t(index)];
}

QPoint CQXTokenEditor::CaretPoint() {
  const int count = tokens_.GetSize();
  if (count == 0 || caret_ < 0) return QPoint(leftMargin_, 0);
  updateLayout();
  QPoint at;
  if (HasSelection()) {
    at = selQ_ < selP_ ? geometryOf(selQ_).start : geometryOf(selQ_ - 1).end;
  } else if (caret_ >= count) {
    at = geometryOf(count - 1).end;
  } else {
    at = caretSide_ == 2 ? geometryOf(caret_).end : geometryOf(caret_).start;
  }
  return toClient(at);
}

BOOL CQXTokenEditor::GetSelectionRect(QPoint* topLeft, QPoint* bottomRight) {
  const int count = tokens_.GetSize();
  if (count == 0 || !HasSelection()) return FALSE;
  const int first = std::min(selP_, selQ_), after = std::min(std::max(selP_, selQ_), count - 1);
  if (topLeft) *topLeft = toClient(geometryOf(first).start);
  if (bottomRight) *bottomRight = toClient(geometryOf(after).end + QPoint(0, screen_.lineHeight));
  return TRUE;
}

int CQXTokenEditor::HitTest(QPoint point, BOOL exact, int* half) {
  int h = 0;
  const int index = hitTestAt(point, exact, &h);
  if (half) *half = h;
  return index;
}

int CQXTokenEditor::hitTestAt(QPoint point, bool exact, int* half) {
  *half = 0;
  const int count = tokens_.GetSize();
  if (count == 0) return -1;
  updateLayout();
  const QRect area = textArea();
  const int h = screen_.lineHeight;
  if (exact && (point.x() < area.left() || point.x() > area.right())) return -1;
  if (!exact) point.setX(std::clamp(point.x(), area.left(), std::max(area.left(), area.right())));
  QPoint c = toContent(point);
  if (c.x() >= contentEnd_.x() && (!IsMultiLine() || c.y() >= contentEnd_.y())) {
    *half = 2;
    return -2;
  }
  if (!IsMultiLine()) c.setY(0);
  else if (!exact && c.y() >= contentEnd_.y()) c.setY(contentEnd_.y() - 1);
  const auto inside = [&c, h](int left, int right, int top) {
    return c.x() >= left && c.x() < right && c.y() >= top && c.y() < top + h;
  };
  const auto rightHalf = [&c](int left, int right) { return 2 * (c.x() - left) >= right - left; };
  const int lineLeft = leftMargin_, lineRight = area.right() + 1;
  for (int i = 0; i < count; ++i) {
    const TokenGeometry& g = geometry_[std::size_t(i)];
    if (c.y() < g.start.y()) {
      if (exact) return -1;
      *half = 1;
      return std::max(i - 1, 0);
    }
    const int lines = (g.end.y() - g.start.y()) / h + 1;
    if (lines == 1) {
      if (inside(g.start.x(), g.end.x(), g.start.y())) {
        *half = rightHalf(g.start.x(), g.end.x()) ? 2 : 1;
        return i;
      }
      continue;
    }
    if (inside(g.start.x(), g.firstEndX, g.start.y())) {
      *half = 1;
      return i;
    }
    if (lines > 2 && c.y() >= g.start.y() + h && c.y() < g.end.y() && c.x() >= lineLeft && c.x() < lineRight) {
      *half = 2;
      return i;
    }
    if (inside(lineLeft, g.end.x(), g.end.y())) {
      *half = lines == 2 || rightHalf(lineLeft, g.end.x()) ? 2 : 1;
      return i;
    }
  }
  if (exact || c.y() >= geometry_.back().end.y() + h) return -1;
  *half = 2;
  return count - 1;
}

// ---- painting ----

void CQXTokenEditor::paintTokens(CDC* dc, const QRect& clip) {
  updateLayout();
  const QRect client = clientArea();
  const QRect area = textArea();
  const int h = screen_.lineHeight;
  CFont font;
  font.SetFont(screen_.font);
  CFont* oldFont = dc->SelectObject(&font);
  dc->SetBkMode(TRANSPARENT);
  if (tokens_.GetSize() > 0) {
    LayoutPass pass;
    startPass(&pass, &screen_);
    pass.dc = dc;
    pass.clip = clip;
    const QPoint origin = toClient(QPoint(pass.x, 0));
    pass.x = origin.x();
    pass.y = origin.y();
    layout(&pass, 0, 0, nullptr);
    // The rest of the last line and everything below it.
    if (pass.x < pass.right) dc->FillSolidRect(QRect(pass.x, pass.y, pass.right - pass.x, h), colorWindow_);
    if (pass.y + h < client.height())
      dc->FillSolidRect(QRect(area.left(), pass.y + h, area.width(), client.height() - pass.y - h), colorWindow_);
  } else {
    dc->FillSolidRect(client, colorWindow_);
  }
  // The margins.
  dc->FillSolidRect(QRect(0, 0, leftMargin_, client.height()), colorMargin_);
  dc->FillSolidRect(QRect(area.right() + 1, 0, client.width() - area.right() - 1, client.height()), colorMargin_);
  dc->SelectObject(oldFont);
}

// ---- scrolling ----

// By `n` lines (multi-line) or pixels (single-line); positive n towards the
// start.
void CQXTokenEditor::scrollBy(int n) {
  updateLayout();
  const int old = scrollPos_;
  scrollPos_ = std::clamp(IsMultiLine() ? scrollPos_ - n : scrollPos_ + n, 0, scrollMax_);
  if (scrollPos_ == old) return;
  setVerticalBar();
  Invalidate();
  PositionCaret(caretSide_);
}

void CQXTokenEditor::scrollToTop() { scrollBy(IsMultiLine() ? scrollPos_ : -scrollPos_); }

void CQXTokenEditor::scrollToEnd() {
  updateLayout();
  if (IsMultiLine()) {
    scrollBy(scrollPos_ - scrollMax_);
    return;
  }
  // The first token whose right edge reaches the text's overhang.
  const int overhang = contentEnd_.x() - leftMargin_ - textArea().width();
  int target = 0;
  if (overhang > 0) {
    for (const TokenGeometry& g : geometry_)
      if (g.end.x() - leftMargin_ >= overhang) {
        target = g.end.x() - leftMargin_;
        break;
      }
  }
  scrollBy(std::min(target, scrollMax_) - scrollPos_);
}

void CQXTokenEditor::keepCaretInView() {
  updateLayout();
  if (tokens_.GetSize() == 0) {
    scrollPos_ = 0;
    setVerticalBar();
    return;
  }
  const QPoint caret = CaretPoint();
  const QRect client = clientArea();
  if (IsMultiLine()) {
    const int h = screen_.lineHeight;
    const int bottom = client.bottom() + 1;
    if (visibleLines() >= 3) {
      // A line of the text stays in view above and below the caret.
      if (caret.y() < client.top() + h)
        scrollBy((client.top() - caret.y()) / h + 1);
      else if (caret.y() + h >= bottom)
        scrollBy(-((2 * h + caret.y() - bottom) / h + 1));
    } else if (caret.y() < client.top()) {
      // Too low a window for that: the caret's line comes into view.
      scrollBy((client.top() - caret.y() + h - 1) / h);
    } else if (caret.y() + h > bottom) {
      scrollBy(-((caret.y() + h - bottom + h - 1) / h));
    }
    return;
  }
  // Sideways, a third of the text area beyond the caret comes into view.
  const QRect area = textArea();
  const int step = std::max(area.width() / 3, 1);
  if (caret.x() <= area.left() && scrollPos_ > 0)
    scrollBy(-(area.left() - caret.x() + step));
  else if (caret.x() > area.right())
    scrollBy(caret.x() - area.right() + step);
}

void CQXTokenEditor::OnVScroll(UINT code, UINT pos, CScrollBar*) {
  const int page = std::max(visibleLines() - 1, 1);
  switch (code) {
    case SB_LINEUP: scrollBy(1); break;
    case SB_LINEDOWN: scrollBy(-1); break;
    case SB_PAGEUP: scrollBy(page); break;
    case SB_PAGEDOWN: scrollBy(-page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: scrollBy(scrollPos_ - std::max(int(pos), 0)); break;
    case SB_ENDSCROLL:
      SetFocus();
      PositionCaret();
      break;
    default: break;
  }
}

// ---- the caret ----

QRect CQXTokenEditor::caretRect() {
  const int width = std::max(screen_.widths[' '] / 4, 2);
  return QRect(CaretPoint(), QSize(width, screen_.lineHeight));
}

void CQXTokenEditor::createCaret(int kind) {
  caretKind_ = kind;
  caretHidden_ = 0;
  caretBlinkOn_ = true;
  if (!blink_) {
    blink_ = new QTimer(this);
    connect(blink_, &QTimer::timeout, this, &CQXTokenEditor::blinkCaret);
  }
  const int flash = QApplication::cursorFlashTime();
  if (flash > 0) blink_->start(flash / 2);
  else blink_->stop();
  updateCaret();
}

void CQXTokenEditor::destroyCaret() {
  if (caretKind_ == 0) return;
  updateCaret();
  caretKind_ = 0;
  if (blink_) blink_->stop();
}

// Hidden while the content changes; the repaint that follows the change
// draws it again.
void CQXTokenEditor::hideCaret() { ++caretHidden_; }

void CQXTokenEditor::showCaret() {
  if (caretHidden_ > 0) --caretHidden_;
}

void CQXTokenEditor::blinkCaret() {
  caretBlinkOn_ = !caretBlinkOn_;
  updateCaret();
}

bool CQXTokenEditor::IsCaretVisible() const { return caretKind_ != 0 && caretHidden_ == 0 && caretBlinkOn_; }

// Repaints where the caret was drawn and where it goes.
void CQXTokenEditor::updateCaret() {
  if (!drawnCaret_.isEmpty()) GetViewport()->update(drawnCaret_);
  if (caretKind_ != 0) GetViewport()->update(caretRect());
}

void CQXTokenEditor::PositionCaret(int side) {
  caretSide_ = side;
  if (!hasFocus() || caretKind_ == 0) return;
  // The caret shows at once where it moved to.
  caretBlinkOn_ = true;
  if (blink_ && blink_->isActive()) blink_->start();
  updateCaret();
}

BOOL CQXTokenEditor::OnMouseWheel(UINT, short delta, QPoint) {
  if (!IsMultiLine()) return FALSE;
  scrollBy(TakeWheelSteps(delta, QApplication::wheelScrollLines()));
  return TRUE;
}

void CQXTokenEditor::paintEvent(QPaintEvent* event) {
  QPainter painter(GetViewport());
  painter.setClipRegion(event->region());
  CDC dc(&painter);
  {
    CGridBufferDC buffer(&dc);
    paintTokens(&buffer, event->rect());
  }
  drawnCaret_ = QRect();
  if (IsCaretVisible()) {
    drawnCaret_ = caretRect();
    painter.fillRect(drawnCaret_, caretKind_ == 2 ? QColor(Qt::gray) : ColorRefToQColor(colorText_));
  }
}
