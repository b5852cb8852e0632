#include "tokens/QXCharTableDlg.h"

#include "classlib/OrvoHelpDialog.h"
#include "classlib/SettingsTable.h"
#include "platform/CalcShownText.h"
#include "platform/LanguageLibrary.h"
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kRows = 7;
constexpr int kColumns = 32;
constexpr int kFirstCode = 32;
constexpr int kLastCode = 255;
constexpr int kGridId = 1043;
constexpr int kCodeDisplayId = 1048;
constexpr int kHelpButton = 20;
constexpr UINT kDialogId = 500;

// Kept for the run and shared by every table.
struct RunState {
  int row = 1;
  int col = 1;
  bool positionStored = false;
  QPoint position;
};
RunState& runState() {
  static RunState state;
  return state;
}

}  // namespace

// ---- the grid ----

CQXCharTableGrid::CQXCharTableGrid(QWidget* parent) : CWnd(parent), row_(runState().row), col_(runState().col) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

CQXCharTableGrid::~CQXCharTableGrid() = default;

void CQXCharTableGrid::RegisterGridClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  CLanguageLibrary::RegisterWidgetClass(QStringLiteral("CQXCharTableGrid"),
                                        [](QWidget* parent, const QString& name) -> QWidget* {
                                          auto* grid = new CQXCharTableGrid(parent);
                                          grid->setObjectName(name);
                                          return grid;
                                        });
}

void CQXCharTableGrid::ResetRunState() {
  runState().row = 1;
  runState().col = 1;
}

void CQXCharTableGrid::Measure(const LOGFONTA& font) {
  logFont_ = font;
  // The factor is a percentage; 1 (the default) and anything below keep the
  // height, since 0 would make the font vanish and a negative one turn the
  // height's sense around.
  const int factor = tallix::settings::readInt(tallix::settings::kEditCmdList, "Cmd Font Size Factor");
  if (factor > 1) logFont_.lfHeight = LONG(qint64(factor) * logFont_.lfHeight / 100);
  font_ = tallix::fontFromLogFont(logFont_);
  setFont(font_);
  cellHeight_ = std::max(QFontMetrics(font_).height(), 3);
  cellWidth_ = cellHeight_ - 2;
  // One pixel more than the cells take, so that the closing lines are
  // inside the control.
  grid_ = QRect(0, 0, kColumns * (cellWidth_ + 3) + 1, kRows * (cellHeight_ + 3) + 1);
  setFixedSize(grid_.size());
  update();
}

QRect CQXCharTableGrid::cellRect(int row, int col) const {
  return QRect(2 + (col - 1) * (cellWidth_ + 3), 2 + (row - 1) * (cellHeight_ + 3), cellWidth_, cellHeight_);
}

bool CQXCharTableGrid::hitCell(QPoint point, int* row, int* col) const {
  for (int r = 1; r <= kRows; ++r) {
    for (int c = 1; c <= kColumns; ++c) {
      const QRect cell = cellRect(r, c);
      if (QRect(cell.topLeft(), QSize(cellWidth_ + 4, cellHeight_ + 4)).contains(point)) {
        *row = r;
        *col = c;
        return true;
      }
    }
  }
  return false;
}

void CQXCharTableGrid::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (cellHeight_ <= 0) return;
  painter.setPen(Qt::black);
  for (int i = 0; i <= kRows; ++i) painter.drawLine(0, i * (cellHeight_ + 3), grid_.width() - 1, i * (cellHeight_ + 3));
  for (int i = 0; i <= kColumns; ++i) painter.drawLine(i * (cellWidth_ + 3), 0, i * (cellWidth_ + 3), grid_.height() - 1);
  painter.setFont(font_);
  const QPalette& colors = palette();
  for (int r = 1; r <= kRows; ++r) {
    for (int c = 1; c <= kColumns; ++c) {
      const QRect cell = cellRect(r, c);
      const bool current = r == row_ && c == col_;
      if (current) painter.fillRect(cell, colors.color(QPalette::Highlight));
      painter.setPen(current ? colors.color(QPalette::HighlightedText) : colors.color(QPalette::WindowText));
      const char code = char(32 * r + c - 1);
      painter.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, CalcDisplayText(std::string_view(&code, 1), font_));
    }
  }
  if (hasFocus()) {
    QPen dotted(Qt::black, 1, Qt::DotLine);
    painter.setPen(dotted);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect((col_ - 1) * (cellWidth_ + 3) + 1, (row_ - 1) * (cellHeight_ + 3) + 1, cellWidth_ + 1,
                     cellHeight_ + 1);
  }
}

void CQXCharTableGrid::moveTo(int row, int col) {
  row_ = row;
  col_ = col;
  runState().row = row;
  runState().col = col;
  if (codeDisplay_) {
    const int code = GetCurrentCode();
    codeDisplay_->setText(QStringLiteral("%1 (%2h)").arg(code).arg(QString::number(code, 16).toUpper()));
  }
  update();
}

void CQXCharTableGrid::SelectCode(int code) {
  if (code < kFirstCode || code > kLastCode) return;
  moveTo((code - kFirstCode) / kColumns + 1, code % kColumns + 1);
}

bool CQXCharTableGrid::moveByKey(int key, bool ctrl) {
  int r = row_;
  int c = col_;
  if (ctrl) {
    switch (key) {
      case Qt::Key_Home:
        if (r == 1 || c == 1) return false;
        r = c = 1;
        break;
      case Qt::Key_End:
        if (r == kRows || c == kColumns) return false;
        r = kRows;
        c = kColumns;
        break;
      case Qt::Key_Left: c = std::max(1, c - 4); break;
      case Qt::Key_Right: c = std::min(kColumns, c + 4); break;
      case Qt::Key_Up: r = std::max(1, r - 2); break;
      case Qt::Key_Down: r = std::min(kRows, r + 2); break;
      default: return false;
    }
  } else {
    switch (key) {
      case Qt::Key_PageUp: r = 1; break;
      case Qt::Key_PageDown: r = kRows; break;
      case Qt::Key_Home: c = 1; break;
      case Qt::Key_End: c = kColumns; break;
      case Qt::Key_Left:
        if (c > 1) --c;
        else if (r > 1) --r, c = kColumns;
        break;
      case Qt::Key_Right:
        if (c < kColumns) ++c;
        else if (r < kRows) ++r, c = 1;
        break;
      case Qt::Key_Up:
        if (r > 1) --r;
        else if (c > 1) --c, r = kRows;
        break;
      case Qt::Key_Down:
        if (r < kRows) ++r;
        else if (c < kColumns) ++c, r = 1;
        break;
      default: return false;
    }
  }
  if (r != row_ || c != col_) moveTo(r, c);
  return true;
}

void CQXCharTableGrid::keyPressEvent(QKeyEvent* event) {
  if (!moveByKey(event->key(), event->modifiers() & Qt::ControlModifier)) CWnd::keyPressEvent(event);
}

void CQXCharTableGrid::mousePressEvent(QMouseEvent* event) {
  setFocus();
  int r = 0;
  int c = 0;
  if (event->button() == Qt::LeftButton && hitCell(event->position().toPoint(), &r, &c)) moveTo(r, c);
}

void CQXCharTableGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  int r = 0;
  int c = 0;
  if (event->button() != Qt::LeftButton || !hitCell(event->position().toPoint(), &r, &c)) return;
  moveTo(r, c);
  if (CWnd* dialog = GetParent()) dialog->PostMessage(WM_COMMAND, IDOK, 0);
}

BOOL CQXCharTableGrid::OnMouseWheel(UINT, short delta, QPoint) {
  wheelSum_ = short(wheelSum_ + delta);
  if (std::abs(int(wheelSum_)) < 120) return TRUE;
  // Towards the user moves on to higher codes.
  if (wheelSum_ <= 0)
    SelectCode(std::min(kLastCode, GetCurrentCode() + wheelStep_));
  else
    SelectCode(std::max(kFirstCode, GetCurrentCode() - wheelStep_));
  wheelSum_ = 0;
  return TRUE;
}

void CQXCharTableGrid::focusInEvent(QFocusEvent* event) {
  CWnd::focusInEvent(event);
  update();
}

void CQXCharTableGrid::focusOutEvent(QFocusEvent* event) {
  CWnd::focusOutEvent(event);
  update();
}

// ---- the dialog ----

const CMessageMap& CQXCharTableDlg::messageMap() {
  static const CMessageMap map =
      MessageMapOf<CQXCharTableDlg>(CDialog::messageMap()).command(kHelpButton, &CQXCharTableDlg::OnHelp);
  return map;
}

CQXCharTableDlg::CQXCharTableDlg(QWidget* parent) : CDialog(kDialogId, parent) {
  CQXCharTableGrid::RegisterGridClass();
}

CQXCharTableDlg::~CQXCharTableDlg() = default;

void CQXCharTableDlg::ResetRunState() { runState().positionStored = false; }

void CQXCharTableDlg::OnHelp() { COrvoHelpDialog::ShowDialogHelp(kDialogId); }

BOOL CQXCharTableDlg::OnInitDialog() {
  grid_ = GetDlgItemAs<CQXCharTableGrid>(kGridId);
  codeDisplay_ = GetDlgItemAs<QLabel>(kCodeDisplayId);
  CDialog::OnInitDialog();
  if (grid_) {
    grid_->Measure(m_logFont);
    layoutControls();
  }
  placeWindow();
  if (grid_) {
    grid_->SelectCode(m_chosenCode == 0 ? 32 : m_chosenCode);
    grid_->setFocus();
  }
  return FALSE;
}

void CQXCharTableDlg::layoutControls() {
  // The controls are placed by the grid's size, not by the form's layout.
  delete layout();
  const QSize gridSize = grid_->GetGridSize();
  grid_->setGeometry(5, 10, gridSize.width(), gridSize.height());
  const int top = 10 + gridSize.height() + 10;
  int right = 5 + gridSize.width() - 10;
  QRect help;
  QRect ok;
  for (int id : {kHelpButton, int(IDCANCEL), int(IDOK)}) {
    QWidget* button = GetDlgItem(id);
    if (!button) continue;
    const QSize size = button->sizeHint();
    const QRect place(right - size.width(), top, size.width(), size.height());
    button->setGeometry(place);
    if (id == kHelpButton) help = place;
    if (id == IDOK) ok = place;
    right = place.left() - 10;
  }
  if (help.isNull()) help = QRect(5 + gridSize.width() - 10, top, 0, 0);
  if (codeDisplay_) {
    const bool extended = tallix::settings::readInt(tallix::settings::kEditCmdList, "Cmd Extended") != 0;
    codeDisplay_->setVisible(extended);
    codeDisplay_->setEnabled(extended);
    if (extended) {
      const int height = codeDisplay_->sizeHint().height();
      const int width = std::max(10, (ok.isNull() ? help.left() : ok.left()) - 15);
      codeDisplay_->setGeometry(5, help.bottom() + 1 - height, width, height);
      grid_->SetCodeDisplay(codeDisplay_);
    }
  }
  setFixedSize(help.right() + 1 + 20, help.bottom() + 1 + 10);
}

void CQXCharTableDlg::placeWindow() {
  QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
  QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect full = screen->geometry();
  const RunState& state = runState();
  const QRect stored(state.position, frameGeometry().size());
  if (state.positionStored && stored.left() <= full.right() + 1 - 10 && stored.top() <= full.bottom() + 1 - 10 &&
      stored.right() + 1 > 9 && stored.bottom() + 1 > 9) {
    move(stored.topLeft());
    return;
  }
  const QRect around = over ? over->frameGeometry() : screen->availableGeometry();
  move(around.center() - QPoint(width() / 2, height() / 2));
}

void CQXCharTableDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  if (pDX->m_bSaveAndValidate && grid_) m_chosenCode = BYTE(grid_->GetCurrentCode());
}

void CQXCharTableDlg::hideEvent(QHideEvent* event) {
  // The place the next table of the run opens at.
  runState().position = frameGeometry().topLeft();
  runState().positionStored = true;
  CDialog::hideEvent(event);
}
